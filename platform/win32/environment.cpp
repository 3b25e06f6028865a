// Windows: the process environment, the system's version and the logged-on user's name.
#include "platform/environment.h"
#include "support.h"

#include <windows.h>

#include <string>
#include <system_error>

#include "platform/text.h"

namespace platform {
std::string GetEnv(std::string_view name) {
  std::wstring key = Wide(name);
  std::wstring value;
  // Another thread may grow the variable between the two calls, so ask again until it fits.
  DWORD size = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
  while (size > 0) {
    value.resize(size);
    DWORD length = GetEnvironmentVariableW(key.c_str(), value.data(), size);
    if (length < size) {
      value.resize(length);
      return Narrow(value);
    }
    size = length;
  }
  return {};
}

void SetEnv(std::string_view name, std::string_view value) {
  std::wstring key = Wide(name);
  if (value.empty())
    SetEnvironmentVariableW(key.c_str(), nullptr);
  else
    SetEnvironmentVariableW(key.c_str(), Wide(value).c_str());
}

OsVersion GetOsVersion() {
  // GetVersionExW answers with the version the manifest claims to support, not the real one;
  // ntdll tells the truth and has done so on every version the installer runs on.
  using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  RTL_OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    auto proc = GetProcAddress(ntdll, "RtlGetVersion");
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(proc));
    if (rtlGetVersion && rtlGetVersion(&info) == 0)
      return {static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion)};
  }
  return {};
}

std::string UserName() {
  std::wstring name(1024, L'\0');
  DWORD size = static_cast<DWORD>(name.size());
  if (!GetUserNameW(name.data(), &size))
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
  // The size counts the terminating zero.
  name.resize(size > 0 ? size - 1 : 0);
  return Narrow(name);
}

}  // namespace platform
