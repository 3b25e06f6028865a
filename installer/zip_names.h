// Entry names as a ZIP archive stores them, decoded to UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace installer {

// The name of an entry whose stored bytes are `raw`: as it stands when the flags mark it UTF-8; else the
// UTF-8 copy of an Info-ZIP Unicode path block (`unicodePath`, the block's data) while it still matches
// the name; else the bytes read as the IBM PC code page 437 (plain ASCII as it stands).
std::string DecodeZipName(std::string_view raw, std::uint16_t flags, std::optional<std::string_view> unicodePath);

}  // namespace installer
