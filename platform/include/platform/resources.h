// Raw data carried inside the running executable (RCDATA resources on Windows, linked-in blobs on
// Linux), found by name without regard to letter case.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform {

std::optional<std::span<const std::uint8_t>> FindEmbeddedData(std::string_view name);

// How the Linux build's generated table describes one blob (the Windows build uses resources).
struct EmbeddedData {
  const char* name;
  const std::uint8_t* begin;
  const std::uint8_t* end;
};

}  // namespace platform
