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

}  // namespace platform
