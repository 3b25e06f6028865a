// The screen as the toolkit sees it: the pointer's position, the virtual desktop and copies of its pixels.
#pragma once

#include "ui/bitmap.h"
#include "ui/types.h"

namespace ui {

// The pointer's position in screen pixels; (0, 0) where the system does not tell.
TPoint CursorPos();
// The rectangle all monitors make together; without an answer from the system, the first form's
// monitor, or an empty rectangle.
TRect VirtualDesktop();
// A copy of the screen's pixels in `area` (screen pixels), opaque; false where the system gives none.
bool CaptureScreen(const TRect& area, TBitmap& image);

}  // namespace ui
