// The X connection's descriptor behind an SDL window, for a loop that waits on it with poll.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

namespace platform {

int X11Descriptor(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return -1;
  return XConnectionNumber(info.info.x11.display);
}

}  // namespace platform
