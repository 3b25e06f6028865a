// Keeping ZIP entries inside the extraction folder: checked names, resolved links.
#include "installer/zip_paths.h"

#include <algorithm>
#include <string_view>
#include <system_error>

#include "installer/zip_error.h"
#include "platform/files.h"
#include "platform/text.h"

namespace installer {
namespace fs = std::filesystem;

namespace {

bool IsReservedDeviceName(std::string_view segment) {
  // Windows opens these devices in any folder and with any extension, so "nul.txt" is the null device.
  segment = segment.substr(0, segment.find('.'));
  while (!segment.empty() && segment.back() == ' ') segment.remove_suffix(1);
  std::string upper;
  for (char c : segment) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (upper == device) return true;
  if (upper.size() >= 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0)) {
    std::string_view number = std::string_view(upper).substr(3);
    if (number.size() == 1 && number[0] >= '0' && number[0] <= '9') return true;
    if (number == "\u00B9" || number == "\u00B2" || number == "\u00B3") return true;
  }
  return false;
}

}  // namespace

fs::path SafeRelativePath(const std::string& name) {
  if (name.empty()) throw ZipEntryError(name, "the name is empty");
  if (!platform::IsValidUtf8(name)) throw ZipEntryError(name, "the name is not valid UTF-8");
  if (name.front() == '/' || name.front() == '\\') throw ZipEntryError(name, "the name is an absolute path");
  if (name.find(':') != std::string::npos)
    throw ZipEntryError(name, "the name holds a drive, device or data stream (\":\")");
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F || std::string_view("<>\"|?*").find(static_cast<char>(c)) != std::string_view::npos)
      throw ZipEntryError(name, "the name holds a character that file names cannot hold");

  fs::path relative;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    std::string_view segment = std::string_view(name).substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    // Windows drops trailing dots and spaces, so ". ." or "..." would walk up a folder there.
    if (segment.find_first_not_of(". ") == std::string_view::npos)
      throw ZipEntryError(name, "the name leads out of the folder (\"..\")");
    if (IsReservedDeviceName(segment)) throw ZipEntryError(name, "the name is a reserved device name");
    relative /= platform::ToPath(segment);
  }
  if (relative.empty()) throw ZipEntryError(name, "the name names no file or folder");
  return relative;
}

fs::path WithoutTrailingSeparator(fs::path path) {
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

// Existing links in `path` are followed, so a link inside the folder that points elsewhere is caught;
// and since not every standard library sees every kind of link (Windows junctions), any existing link
// between the folder and the path is refused outright.
void CheckInside(const fs::path& path, const fs::path& root, const fs::path& canonicalFolder,
                 const std::string& name) {
  fs::path step = root;
  for (const fs::path& part : path.lexically_relative(root)) {
    step /= part;
    if (platform::IsLink(step)) throw ZipEntryError(name, "the path leads out of the folder through a link");
  }
  std::error_code ec;
  fs::path real = fs::weakly_canonical(path, ec);
  if (ec) throw ZipEntryError(name, "cannot resolve " + QuotedText(platform::FromPath(path)) + ": " + ec.message());
  auto mismatch = std::mismatch(canonicalFolder.begin(), canonicalFolder.end(), real.begin(), real.end());
  if (mismatch.first != canonicalFolder.end()) throw ZipEntryError(name, "the path leads out of the folder through a link");
}

fs::path CanonicalFolder(const fs::path& folder) {
  std::error_code ec;
  fs::path result = WithoutTrailingSeparator(fs::weakly_canonical(folder, ec));
  if (ec) throw EZipError("Cannot resolve the folder " + QuotedText(platform::FromPath(folder)) + ": " + ec.message());
  return result;
}

}  // namespace installer
