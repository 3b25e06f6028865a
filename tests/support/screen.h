// Test support: the headless window a shown form is presented in, to click, type into and read pixels from.
#pragma once

#include "platform/headless_window.h"
#include "ui/forms.h"

namespace testsupport {

// The form must be shown, through the headless window backend.
platform::HeadlessWindow& Screen(ui::TForm& form);

}  // namespace testsupport
