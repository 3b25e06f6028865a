// Linux: blobs linked into the executable, listed in a table the build generates for each program.
#include "platform/resources.h"

#include "platform/text.h"

// Defined only in programs that carry data; weak, so the others link and find nothing.
extern "C" {
extern const platform::EmbeddedData vel_embedded_data[] __attribute__((weak));
extern const std::size_t vel_embedded_data_count __attribute__((weak));
}

namespace platform {

std::optional<std::span<const std::uint8_t>> FindEmbeddedData(std::string_view name) {
  if (!&vel_embedded_data_count) return std::nullopt;
  for (std::size_t i = 0; i < vel_embedded_data_count; ++i) {
    const EmbeddedData& d = vel_embedded_data[i];
    if (SameAsciiText(d.name, name))
      return std::span<const std::uint8_t>(d.begin, static_cast<std::size_t>(d.end - d.begin));
  }
  return std::nullopt;
}

}  // namespace platform
