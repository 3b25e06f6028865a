// The fixed numbers of the ZIP format: signatures, record sizes, flag and attribute bits, little-endian fields.
#pragma once

#include <cstddef>
#include <cstdint>

namespace installer::zip_format {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kUnicodePathExtraId = 0x7075;
constexpr std::uint32_t kMarker32 = 0xFFFFFFFF;
constexpr std::uint16_t kMarker16 = 0xFFFF;

constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;

constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
constexpr std::uint16_t kFlagUtf8 = 0x0800;

constexpr std::uint32_t kDosDirectory = 0x10;
constexpr std::uint32_t kWindowsReparsePoint = 0x400;
constexpr std::uint32_t kUnixTypeMask = 0170000;
constexpr std::uint32_t kUnixLink = 0120000;
constexpr std::uint32_t kUnixDirectory = 0040000;

inline std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t Le32(const unsigned char* p) { return Le16(p) | static_cast<std::uint32_t>(Le16(p + 2)) << 16; }
inline std::uint64_t Le64(const unsigned char* p) { return Le32(p) | static_cast<std::uint64_t>(Le32(p + 4)) << 32; }

// Host systems whose external attributes carry a Unix mode in their high 16 bits.
inline bool HasUnixMode(std::uint16_t madeBy) {
  int host = madeBy >> 8;
  return host == 3 || host == 19;  // Unix, OS X
}

// The Unix file type bits, or 0 where the host system keeps no Unix mode.
inline std::uint32_t UnixType(std::uint16_t madeBy, std::uint32_t externalAttributes) {
  return HasUnixMode(madeBy) ? (externalAttributes >> 16) & kUnixTypeMask : 0;
}

}  // namespace installer::zip_format
