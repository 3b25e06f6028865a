// Test support: a control that paints itself green once clicked and red before, so a click shows in pixels.
#pragma once

#include "ui/controls.h"

namespace testsupport {

struct TToggle : ui::TCustomControl {
  using ui::TCustomControl::TCustomControl;
  bool on = false;
  void Click() override {
    on = !on;
    Invalidate();
    ui::TCustomControl::Click();
  }
  void Paint() override {
    Canvas()->BrushColor = on ? 0xFF00C000 : 0xFFC00000;
    Canvas()->FillRect(ClientRect());
  }
};

}  // namespace testsupport
