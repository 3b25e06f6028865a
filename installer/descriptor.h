// The build's descriptor of the application it carries and its install policy: the one table to
// change when the installer packages another application.
#pragma once

#include <cstdint>

namespace installer::descriptor {

inline constexpr const char* AppName = "Quarrow Studio";
inline constexpr const char* AppFullName = "Quarrow Studio Suite";
inline constexpr const char* ExeOfPath = "QuarrowStudio.exe";
inline constexpr std::uint32_t ProgramVersion[4] = {1, 1, 0, 0};
inline constexpr const char* Publisher = "Velnor Software";
inline constexpr const char* AppsPage = "https://velnor-software.example/apps";
inline constexpr const char* ContactPage = "https://velnor-software.example/contact";

// Install policy.
inline constexpr bool CanBeRun = true;
inline constexpr bool EnableUninstaller = true;
inline constexpr bool AddRecordToRegistry = true;
inline constexpr bool AllowCustomPath = true;
inline constexpr bool AllowOptions = false;
inline constexpr bool AllowExtensions = false;
inline constexpr bool AllowCreateShortcut = true;
inline constexpr bool HasEULA = true;
// The licence the wizard asks the user to accept, line by line.
inline constexpr const char* LicenseText[] = {"============", "License Agreement", "Updated: Never", "===========", "",
                                              "You must do nothing"};

}  // namespace installer::descriptor
