// Windows: the system's modal message box.
#include "platform/message_box.h"

#include <windows.h>

#include "platform/text.h"

namespace platform {

void ShowMessageBox(const std::string& title, const std::string& text) {
  std::u16string wideTitle = Utf8ToUtf16(title), wideText = Utf8ToUtf16(text);
  MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(wideText.c_str()),
              reinterpret_cast<const wchar_t*>(wideTitle.c_str()), MB_OK);
}

}  // namespace platform
