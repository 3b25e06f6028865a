// Windows: the console of the parent process, and writing lines to it or to redirected output.
#include "platform/console.h"

#include <windows.h>

#include <memory>
#include <string>
#include <system_error>

#include "platform/text.h"

namespace platform {
namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

[[noreturn]] void ThrowLastError() {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                          "standard output");
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// A console takes UTF-16 whatever its code page; files and pipes get the UTF-8 bytes.
void WriteTo(HANDLE handle, std::string_view line) {
  if (IsConsole(handle)) {
    std::u16string wide = Utf8ToUtf16(line);
    const wchar_t* p = reinterpret_cast<const wchar_t*>(wide.data());
    std::size_t left = wide.size();
    while (left > 0) {
      DWORD written = 0;
      if (!WriteConsoleW(handle, p, static_cast<DWORD>(left), &written, nullptr)) ThrowLastError();
      p += written;
      left -= written;
    }
    return;
  }
  const char* p = line.data();
  std::size_t left = line.size();
  while (left > 0) {
    DWORD written = 0;
    if (!WriteFile(handle, p, static_cast<DWORD>(left), &written, nullptr)) ThrowLastError();
    p += written;
    left -= written;
  }
}

}  // namespace

void AttachParentConsole() { AttachConsole(ATTACH_PARENT_PROCESS); }

void ReleaseConsole() { FreeConsole(); }

void WriteConsoleLine(std::string_view text) {
  std::string line(text);
  line += "\r\n";
  // A window program has a standard output only when the shell redirected it; otherwise the lines
  // go to the console it attached to.
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output != nullptr && output != INVALID_HANDLE_VALUE) {
    WriteTo(output, line);
    return;
  }
  HANDLE opened =
      CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (opened == INVALID_HANDLE_VALUE) ThrowLastError();
  UniqueHandle console(opened);
  WriteTo(console.get(), line);
}

}  // namespace platform
