// The install folder the user names, expanded and checked.
#include "installer/install_path.h"

#include <filesystem>

#include "platform/files.h"
#include "vel/files.h"
#include "vel/text.h"

namespace installer {

std::string ExpandInstallPath(std::string_view Text) {
  // Only "~" alone or before a separator names the home folder; "~name" is left as it is.
  const bool home =
      !Text.empty() && Text[0] == '~' && (Text.size() == 1 || Text[1] == vel::PathDelim || Text[1] == '/');
  if (!home) return vel::ExpandPath(Text);
  // The rest is expanded apart, so that a "%" in the home folder's own name is not taken for a reference.
  return vel::GetUserFolder(vel::TUserFolder::Profile) + vel::ExpandPath(Text.substr(1));
}

bool IsAbsolutePath(std::string_view Path) { return !Path.empty() && platform::ToPath(Path).is_absolute(); }

std::string AbsoluteInstallPath(std::string_view Expanded) {
  std::filesystem::path path = platform::ToPath(Expanded);
  if (!path.is_absolute()) path = std::filesystem::absolute(path);
  return platform::FromPath(path.lexically_normal());
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
