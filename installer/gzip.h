// Gzip members held in memory: how the installer carries its uninstaller.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "installer/zip_error.h"

namespace installer {

// A gzip member held in memory (as the installer carries its uninstaller): the size its trailer gives,
// and the member inflated whole, checked against that size and the trailer's CRC-32. EZipError when
// the data is not one whole, intact gzip member.
std::uint64_t GzipInflatedSize(std::span<const std::uint8_t> member);
std::vector<std::uint8_t> Gunzip(std::span<const std::uint8_t> member);

}  // namespace installer
