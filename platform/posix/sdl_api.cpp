// Loading SDL2 when the first window backend starts.
#define VEL_SDL_TABLE_ITSELF
#include "sdl_api.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>
#include <type_traits>

namespace platform::sdl {
namespace {

constexpr const char* kLibrary = "libSDL2-2.0.so.0";

TApi Load() {
  // Never closed: SDL keeps threads and handlers of its own that outlive any one window.
  // Global, as when SDL was linked: a preloaded library that stands in for some of its functions (the
  // first-frame benchmark's probe) reaches the real ones through the global scope.
  void* library = dlopen(kLibrary, RTLD_LAZY | RTLD_GLOBAL);
  if (!library) throw std::runtime_error(std::string("Cannot load ") + kLibrary + ": " + dlerror());
  TApi api{};
  auto find = [&](auto& slot, const char* name) {
    // The program's own scope first, so that such a stand-in is the one called.
    void* symbol = dlsym(RTLD_DEFAULT, name);
    if (!symbol) symbol = dlsym(library, name);
    if (!symbol) throw std::runtime_error(std::string(kLibrary) + " has no " + name);
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(symbol);
  };
#define VEL_SDL_FIND(name) find(api.name, #name);
  VEL_SDL_FUNCTIONS(VEL_SDL_FIND)
  VEL_SDL_FIND(SDL_GetWindowWMInfo)
#undef VEL_SDL_FIND
  return api;
}

}  // namespace

const TApi& Api() {
  static const TApi api = Load();
  return api;
}

}  // namespace platform::sdl
