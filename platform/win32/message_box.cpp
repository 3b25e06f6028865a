// Windows: the system's modal message box.
#include "platform/message_box.h"

#include "platform/text.h"
#include "support.h"

namespace platform {

int ShowMessageBox(const std::string& title, const std::string& text, MessageButtons buttons,
                   int unanswered) {
  UINT style = (buttons == MessageButtons::YesNo ? MB_YESNO | MB_ICONQUESTION : MB_OK) | MB_SETFOREGROUND;
  int result = MessageBoxW(nullptr, Wide(NativeLineBreaks(text)).c_str(), Wide(title).c_str(), style);
  // Without a desktop (a service, a test under Wine without a display) the box returns at once,
  // with 0 or, under Wine, -1: neither is an answer, and a question must not read it as "go on".
  return result <= 0 ? unanswered : result;
}

bool CanAskUser() {
  // A service's window station is never shown: a box there waits for nobody.
  USEROBJECTFLAGS flags{};
  HWINSTA station = GetProcessWindowStation();
  if (station && GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
      !(flags.dwFlags & WSF_VISIBLE))
    return false;
  // Without a display driver (Wine without an X server) no window can be made at all; the probe is
  // never shown.
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!probe) return false;
  DestroyWindow(probe);
  return true;
}

}  // namespace platform
