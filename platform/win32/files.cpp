// Windows: UTF-8 paths to standard-library paths, and INI files through the private-profile API.
#include "platform/files.h"
#include "support.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/text.h"

namespace platform {
// Through the project's own conversion rather than u8string(), which throws on malformed text:
// a file name the system hands us (an unpaired surrogate, say) must still be shown.
std::filesystem::path ToPath(std::string_view utf8) { return std::filesystem::path(Wide(utf8)); }

std::string FromPath(const std::filesystem::path& path) { return Narrow(path.native()); }

void MarkExecutable(const std::filesystem::path&) {}

void WriteFileData(const std::filesystem::path& file, std::span<const std::uint8_t> data) {
  HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE)
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "Cannot write " + FromPath(file));
  // In pieces: one write of a whole large payload is several times slower on some virtual machines.
  constexpr std::size_t kPiece = 256 * 1024;
  DWORD error = 0;
  for (std::size_t done = 0; done < data.size();) {
    DWORD written = 0;
    const auto piece = static_cast<DWORD>(std::min(kPiece, data.size() - done));
    if (!WriteFile(out, data.data() + done, piece, &written, nullptr) || written == 0) {
      error = GetLastError();
      if (!error) error = ERROR_WRITE_FAULT;
      break;
    }
    done += written;
  }
  if (!CloseHandle(out) && !error) error = GetLastError();
  if (error) throw std::system_error(static_cast<int>(error), std::system_category(), "Cannot write " + FromPath(file));
}

bool IsNoSpaceError(const std::exception& error) {
  if (const auto* system = dynamic_cast<const std::system_error*>(&error)) {
    const std::error_code code = system->code();
    if (code == std::errc::no_space_on_device) return true;
    if (code.category() == std::system_category() &&
        (code.value() == ERROR_DISK_FULL || code.value() == ERROR_HANDLE_DISK_FULL))
      return true;
  }
  const std::string_view text = error.what();
  for (const std::string& words : {std::system_category().message(ERROR_DISK_FULL),
                                   std::generic_category().message(ENOSPC)})
    if (!words.empty() && text.find(words) != std::string_view::npos) return true;
  return false;
}

bool IsLink(const std::filesystem::path& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

namespace {

// The profile functions write a file they make themselves in the ANSI code page, where a character
// outside it (a folder named "Ωmega 製品") comes back as "?"; a file that starts with the UTF-16 mark
// they read and write in UTF-16. So the file gets the mark before the first write: a new one is made
// with it, and one in the code page (as earlier versions wrote it) is turned into UTF-16, its text read
// the way the profile functions read it, and renamed over the old one whole.
void PrepareUnicodeProfile(const std::string& file) {
  const std::filesystem::path path = ToPath(file);
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
    return;
  std::wstring text;
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = Wide(std::string_view(bytes).substr(3));
  } else if (!bytes.empty()) {
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    text.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
  }
  std::vector<std::uint8_t> unicode = {0xFF, 0xFE};
  const auto* units = reinterpret_cast<const std::uint8_t*>(text.data());
  unicode.insert(unicode.end(), units, units + text.size() * sizeof(wchar_t));
  ReplaceFileWith(path, unicode, ".tmp");
}

// The mark and the write after it are one step for the threads of this process: another thread's
// conversion must not replace the file between them. (Installers of one application never write one
// report at once: they take turns by the application's lock.)
std::mutex& ProfileWrites() {
  static std::mutex writes;
  return writes;
}

}  // namespace

void IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value) {
  std::lock_guard<std::mutex> hold(ProfileWrites());
  PrepareUnicodeProfile(file);
  if (!WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                  Wide(file).c_str()))
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), file);
}

void IniWriteStrings(const std::string& file, const std::vector<TIniValue>& values) {
  // The profile functions write a key at a time; the lock keeps this program's other writes out between them.
  std::lock_guard<std::mutex> hold(ProfileWrites());
  PrepareUnicodeProfile(file);
  for (const TIniValue& value : values)
    if (!WritePrivateProfileStringW(Wide(value.Section).c_str(), Wide(value.Key).c_str(), Wide(value.Value).c_str(),
                                    Wide(file).c_str()))
      throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), file);
}

void IniWriteSection(const std::string& file, std::string_view section,
                     const std::vector<std::string>& lines) {
  // The section's text: lines separated by zero characters and ended by two.
  std::wstring block;
  for (const std::string& line : lines) block += Wide(line) + L'\0';
  block += L'\0';
  std::lock_guard<std::mutex> hold(ProfileWrites());
  PrepareUnicodeProfile(file);
  if (!WritePrivateProfileSectionW(Wide(section).c_str(), block.c_str(), Wide(file).c_str()))
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

namespace {

std::wstring_view TrimBlanks(std::wstring_view s) {
  while (!s.empty() && (s.front() == L' ' || s.front() == L'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> IniReadSection(const std::string& file,
                                                                 std::string_view section) {
  std::wstring wideSection = Wide(section), wideFile = Wide(file);
  std::wstring block(4096, L'\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(block.size());
    DWORD length = GetPrivateProfileSectionW(wideSection.c_str(), block.data(), size, wideFile.c_str());
    // A section cut short comes back as size - 2 characters.
    if (length + 2 < size) {
      block.resize(length);
      break;
    }
    block.resize(block.size() * 2);
  }
  // The section comes as raw "key=value" lines; the quotes GetPrivateProfileString would drop are
  // dropped here too, so both readers agree.
  std::vector<std::pair<std::string, std::string>> entries;
  std::wstring_view rest = block;
  while (!rest.empty()) {
    std::wstring_view line = rest.substr(0, rest.find(L'\0'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    std::size_t eq = line.find(L'=');
    if (eq == std::wstring_view::npos) continue;
    std::wstring_view value = TrimBlanks(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    entries.emplace_back(Narrow(TrimBlanks(line.substr(0, eq))), Narrow(value));
  }
  return entries;
}

}  // namespace platform
