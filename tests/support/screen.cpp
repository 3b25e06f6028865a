// Test support: the headless window behind a shown form.
#include "screen.h"

namespace testsupport {

platform::HeadlessWindow& Screen(ui::TForm& form) { return dynamic_cast<platform::HeadlessWindow&>(form.Window()); }

}  // namespace testsupport
