// The ZIP reader's one kind of error, and the two ways its messages name what is wrong.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace installer {

class EZipError : public std::runtime_error {
 public:
  using runtime_error::runtime_error;
};

inline std::string QuotedText(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A fault of the archive as a whole, named by the archive's path.
inline EZipError ZipArchiveError(const std::string& archive, const std::string& what) {
  return EZipError("Cannot read the ZIP archive " + QuotedText(archive) + ": " + what);
}

// A fault of one entry, named as the archive stores it.
inline EZipError ZipEntryError(const std::string& name, const std::string& what) {
  return EZipError("ZIP entry " + QuotedText(name) + ": " + what);
}

}  // namespace installer
