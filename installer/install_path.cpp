// The install folder the user names, expanded and checked.
#include "installer/install_path.h"

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "vel/files.h"
#include "vel/text.h"

namespace installer {

std::string ExpandInstallPath(std::string_view Text) {
  // Only "~" alone or before a separator names the home folder; "~name" is left as it is.
  const bool home =
      !Text.empty() && Text[0] == '~' && (Text.size() == 1 || Text[1] == vel::PathDelim || Text[1] == '/');
  std::string expanded = home ? vel::GetUserFolder(vel::TUserFolder::Profile) + vel::ExpandPath(Text.substr(1))
                              // The rest is expanded apart, so that a "%" in the home folder's own name
                              // is not taken for a reference.
                              : vel::ExpandPath(Text);
  // Windows takes "C:/Apps/Q" for "C:\Apps\Q"; so does everything here that splits a path at its
  // separators.
  if (vel::PathDelim == '\\') std::replace(expanded.begin(), expanded.end(), '/', '\\');
  return expanded;
}

bool IsAbsolutePath(std::string_view Path) { return !Path.empty() && platform::ToPath(Path).is_absolute(); }

std::string AbsoluteInstallPath(std::string_view Expanded) {
  std::filesystem::path path = platform::ToPath(Expanded);
  if (!path.is_absolute()) path = std::filesystem::absolute(path);
  return platform::FromPath(path.lexically_normal());
}

namespace {

bool ValidUtf8(std::string_view Text) {
  for (std::size_t i = 0; i < Text.size();) {
    const auto c = static_cast<unsigned char>(Text[i]);
    std::size_t extra = 0;
    char32_t least = 0, code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if ((c & 0xE0) == 0xC0) {
      extra = 1, least = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, least = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, least = 0x10000, code = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= Text.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(Text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode's last are no characters.
    if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += extra + 1;
  }
  return true;
}

bool UsableName(const std::string& Name) {
  if (Name.empty()) return true;  // the empty last part of a folder written with a trailing separator
  for (char c : Name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  if (Name.back() == ' ' || Name.back() == '.') return false;
  return platform::kCaseSensitiveNames ? ValidUtf8(Name) : true;
}

}  // namespace

bool UsableInstallFolder(std::string_view Path) {
  const std::filesystem::path path = platform::ToPath(Path).lexically_normal();
  if (!path.is_absolute() || path.relative_path().empty()) return false;
  for (const std::filesystem::path& part : path.relative_path())
    if (!UsableName(platform::FromPath(part))) return false;
  const std::filesystem::path home =
      platform::ToPath(vel::GetUserFolder(vel::TUserFolder::Profile)).lexically_normal();
  auto bare = [](std::filesystem::path p) { return p.has_filename() ? p : p.parent_path(); };
  return home.empty() || bare(path) != bare(home);
}

bool PathInFolder(std::string_view Path, std::string_view Folder) {
  if (Folder.empty()) return false;
  if (!platform::kCaseSensitiveNames) return vel::LowerCase(Path).find(vel::LowerCase(Folder)) != std::string::npos;

  const std::filesystem::path folder = platform::ToPath(Folder).lexically_normal();
  // A relative folder names no place an absolute path could lie in.
  if (!folder.is_absolute()) return false;
  const std::filesystem::path path = platform::ToPath(Path).lexically_normal();
  auto p = path.begin();
  for (const std::filesystem::path& part : folder) {
    // The empty last element of a folder written with a trailing separator asks for nothing more.
    if (part.empty()) break;
    if (p == path.end() || *p != part) return false;
    ++p;
  }
  return true;
}

}  // namespace installer
