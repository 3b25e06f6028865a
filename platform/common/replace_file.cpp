// Replacing a file whole: written beside it under a name of its own, then renamed over it.
#include <system_error>

#include "platform/files.h"

namespace platform {

void ReplaceFileWith(const std::filesystem::path& target, std::span<const std::uint8_t> data, std::string_view suffix,
                     bool executable) {
  const std::filesystem::path part = TemporaryNameFor(target, suffix);
  auto discard = [&] {
    std::error_code ignored;
    std::filesystem::remove(part, ignored);
  };
  try {
    WriteFileData(part, data);
    if (executable) MarkExecutable(part);
  } catch (const std::system_error& e) {
    discard();
    // Named by the file the caller knows, with the system's reason: a full disk stays recognisable.
    throw std::system_error(e.code(), "Cannot write " + FromPath(target));
  }
  std::error_code ec;
  std::filesystem::rename(part, target, ec);
  if (ec) {
    discard();
    throw std::system_error(ec, "Cannot replace " + FromPath(target));
  }
}

}  // namespace platform
