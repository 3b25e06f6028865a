// Windows: the executable's RCDATA resources.
#include "platform/resources.h"

#include "support.h"

namespace platform {

std::optional<std::span<const std::uint8_t>> FindEmbeddedData(std::string_view name) {
  HRSRC info = FindResourceW(nullptr, Wide(name).c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!info) return std::nullopt;
  HGLOBAL handle = LoadResource(nullptr, info);
  if (!handle) return std::nullopt;
  // Resources stay mapped for the life of the process; nothing needs releasing.
  auto data = static_cast<const std::uint8_t*>(LockResource(handle));
  DWORD size = SizeofResource(nullptr, info);
  if (!data) return std::nullopt;
  return std::span<const std::uint8_t>(data, size);
}

}  // namespace platform
