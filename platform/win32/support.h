// Windows-only helpers of the seam: UTF-16 at the API boundary, the system's error texts in UTF-8, COM scopes.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>
#include <string_view>

#include "platform/text.h"

namespace platform {

inline std::wstring Wide(std::string_view text) {
  std::u16string wide = Utf8ToUtf16(text);
  return {wide.begin(), wide.end()};
}

inline std::string Narrow(std::wstring_view text) {
  return Utf16ToUtf8({reinterpret_cast<const char16_t*>(text.data()), text.size()});
}

// The system's text for an error code, without its trailing line end.
inline std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0) return "System error " + std::to_string(code);
  std::wstring text(buffer, length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  return Narrow(text);
}

// Balances a successful CoInitializeEx for the calls of one scope: the shell may hand a launch to COM
// objects, and shell links are COM objects.
class ComScope {
 public:
  ComScope() {
    initialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }
  ~ComScope() {
    if (initialized_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialized_ = false;
};

}  // namespace platform
