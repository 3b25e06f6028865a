// The drawing system of the Windows build: Windows' GDI+ antialiases paths, Wine's does not.
#include "drawing.h"

#include <windows.h>

namespace testsupport {

bool ShapesAntialiased() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return !ntdll || !GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace testsupport
