// Known folders and path expansion: shell folder names, environment references, the publisher's
// application-data folders, the user's known folders, folder sizes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace vel {

inline constexpr char PathDelim = platform::kPathDelim;

enum class TAppDataKind { Local, Roaming, LocalLow };

enum class TUserFolder {
  Profile,
  AppData,
  LocalAppData,
  Personal,
  MyPictures,
  Desktop,
  MyMusic,
  MyVideo,
  NetHood,
  Recent,
  StartMenu,
  Startup,
  Downloads,
  Programs,
};

// The publisher's folder under the application-data roots.
inline constexpr std::string_view PublisherFolder = "VelnorSoftware";

std::string ExpandPath(std::string_view Path);
std::string ExpandShellFolders(std::string_view Path);
std::string ExpandEnvironment(std::string_view Path);
std::string GetSystemDrive();
float WindowsVersion();
std::string CurrentUserName();
std::string AppDataFolder(std::string_view Name, bool AddPublisherFolder, bool CreateFolders,
                          TAppDataKind Kind = TAppDataKind::Local);
std::string GetUserFolder(TUserFolder Folder);
// GetUserFolder when it names a real place to put files; empty when the folder cannot be known
// (a damaged store or an unset variable leaves an empty, relative or unexpanded answer) or when it
// is a file-system root, which is never a user's folder.
std::string KnownUserFolder(TUserFolder Folder);
std::int64_t FolderSize(std::string_view Path);

std::string IncludeTrailingPathDelimiter(std::string_view path);
// The folder part of a path with its delimiter (D:\Apps\ of D:\Apps\Q); empty when there is none.
std::string ExtractFilePath(std::string_view path);
bool DirectoryExists(std::string_view path);
bool FileExists(std::string_view path);

}  // namespace vel
