// Loading SDL2 when the first window backend starts.
#define VEL_SDL_TABLE_ITSELF
#include "sdl_api.h"

#include "late_libraries.h"

namespace platform::sdl {
namespace {

TApi Load() {
  const TLateLibraries libraries({"libSDL2-2.0.so.0"});
  TApi api{};
#define VEL_SDL_FIND(name) libraries.Find(api.name, #name);
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
