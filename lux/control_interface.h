// The interface through which the framework tells a window or control that the theme changed.
#pragma once

#include "lux/types.h"

namespace lux {

class FXControl {
 public:
  virtual ~FXControl() = default;
  virtual bool IsContainer() = 0;
  virtual void UpdateTheme(bool UpdateChildren) = 0;
  virtual TColor Background() = 0;
  // True while the object reads its properties from its stored layout; colour sets do not notify it then.
  virtual bool IsLoading() { return false; }
};

}  // namespace lux
