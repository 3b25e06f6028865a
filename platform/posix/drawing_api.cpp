// Loading cairo, pango and fontconfig the first time something is drawn or measured.
#define VEL_DRAWING_TABLE_ITSELF
#include "drawing_api.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace platform::drawing {
namespace {

// Each function is looked up in these in turn; the libraries' own dependencies come with them.
constexpr const char* kLibraries[] = {"libcairo.so.2",        "libpangocairo-1.0.so.0", "libpangoft2-1.0.so.0",
                                      "libpango-1.0.so.0",    "libgobject-2.0.so.0",    "libfontconfig.so.1"};

TApi Load() {
  // Never closed: fonts, font maps and type registrations live as long as the process.
  std::vector<void*> libraries;
  for (const char* name : kLibraries) {
    void* library = dlopen(name, RTLD_LAZY | RTLD_LOCAL);
    if (!library) throw std::runtime_error(std::string("Cannot load ") + name + ": " + dlerror());
    libraries.push_back(library);
  }
  TApi api{};
  auto find = [&](auto& slot, const char* name) {
    for (void* library : libraries)
      if (void* symbol = dlsym(library, name)) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(symbol);
        return;
      }
    throw std::runtime_error(std::string("No drawing library has ") + name);
  };
#define VEL_DRAWING_FIND(name) find(api.name, #name);
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
