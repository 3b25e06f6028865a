// What the drawing system of the machine running the tests does differently from the product's.
#pragma once

namespace testsupport {

// False where the system's drawing fills shapes without antialiasing although asked for it (GDI+ of
// Wine draws paths with hard edges); checks of soft edges only hold where this is true.
bool ShapesAntialiased();

}  // namespace testsupport
