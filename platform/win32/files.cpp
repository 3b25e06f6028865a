// Windows: UTF-8 paths to standard-library paths, and INI files through the private-profile API.
#include "platform/files.h"
#include "wide.h"

#include <windows.h>

#include <system_error>

#include "platform/text.h"

namespace platform {
// Through the project's own conversion rather than u8string(), which throws on malformed text:
// a file name the system hands us (an unpaired surrogate, say) must still be shown.
std::filesystem::path ToPath(std::string_view utf8) { return std::filesystem::path(Wide(utf8)); }

std::string FromPath(const std::filesystem::path& path) { return Narrow(path.native()); }

void IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value) {
  if (!WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                  Wide(file).c_str()))
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), file);
}

std::string IniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view fallback) {
  std::wstring wideSection = Wide(section), wideKey = Wide(key), wideFallback = Wide(fallback),
               wideFile = Wide(file);
  std::wstring value(256, L'\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(value.size());
    DWORD length =
        GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideFallback.c_str(),
                                 value.data(), size, wideFile.c_str());
    // A value cut short comes back as size - 1 characters; only then retry with more room.
    if (length + 1 < size) {
      value.resize(length);
      return Narrow(value);
    }
    value.resize(value.size() * 2);
  }
}

}  // namespace platform
