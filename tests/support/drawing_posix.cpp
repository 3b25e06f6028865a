// The drawing system of the Linux build: cairo antialiases what it is asked to.
#include "drawing.h"

namespace testsupport {

bool ShapesAntialiased() { return true; }

}  // namespace testsupport
