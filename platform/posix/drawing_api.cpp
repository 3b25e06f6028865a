// Loading cairo, pango and fontconfig the first time something is drawn or measured.
#define VEL_DRAWING_TABLE_ITSELF
#include "drawing_api.h"

#include "late_libraries.h"

namespace platform::drawing {
namespace {

TApi Load() {
  // Each function is looked up in these in turn; the libraries' own dependencies come with them.
  const TLateLibraries libraries({"libcairo.so.2", "libpangocairo-1.0.so.0", "libpangoft2-1.0.so.0",
                                  "libpango-1.0.so.0", "libgobject-2.0.so.0", "libfontconfig.so.1"});
  TApi api{};
#define VEL_DRAWING_FIND(name) libraries.Find(api.name, #name);
  VEL_DRAWING_FUNCTIONS(VEL_DRAWING_FIND)
#undef VEL_DRAWING_FIND
  return api;
}

}  // namespace

const TApi& Api() {
  static const TApi api = Load();
  return api;
}

}  // namespace platform::drawing
