// The least an SDL program can do before its first frame: start SDL's video, make a window the size of
// the gallery's and the installer's, show it and present one frame of a single colour, the way the
// toolkit's windows present theirs (the window's own image, no OpenGL). bench/first_frame.sh runs it
// beside the program it measures, as the floor that program's figure stands against.
#include <SDL2/SDL.h>
#include <string.h>

int main(void) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return 1;
  SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 734, 461, SDL_WINDOW_HIDDEN);
  if (!window) return 1;
  SDL_ShowWindow(window);
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return 1;
  memset(surface->pixels, 0xE0, (size_t)surface->pitch * (size_t)surface->h);
  SDL_UpdateWindowSurface(window);
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  return 0;
}
