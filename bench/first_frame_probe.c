// Preloaded into an SDL program: prints the time from FIRST_FRAME_START_NS (CLOCK_REALTIME, taken
// just before the program was started) to the end of the first frame presented in a shown window,
// and the processor time spent until then, then ends the program. Frames presented in windows not yet
// shown are not counted: nobody sees them.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

// Ends the program if `window` is shown: the frame just presented is the first anyone sees.
static void Presented(void* window) {
  unsigned (*flagsOf)(void*) = (unsigned (*)(void*))dlsym(RTLD_NEXT, "SDL_GetWindowFlags");
  const unsigned kShown = 0x4;  // SDL_WINDOW_SHOWN
  if (!window || !(flagsOf(window) & kShown)) return;
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const char* start = getenv("FIRST_FRAME_START_NS");
  double ms = start ? ((double)now.tv_sec * 1e9 + now.tv_nsec - atof(start)) / 1e6 : -1;
  // The processor time says what the program costs whatever else the machine is doing.
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  printf("process start to first presented frame: %.1f ms (processor time %.1f ms)\n", ms, cpu);
  fflush(stdout);
  _exit(0);
}

// Programs show their pictures either through the window's own image or through a renderer.
int SDL_UpdateWindowSurface(void* window) {
  int (*real)(void*) = (int (*)(void*))dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface");
  const int result = real(window);
  if (result == 0) Presented(window);
  return result;
}

void SDL_RenderPresent(void* renderer) {
  void (*real)(void*) = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
  void* (*windowOf)(void*) = (void* (*)(void*))dlsym(RTLD_NEXT, "SDL_RenderGetWindow");
  real(renderer);
  Presented(windowOf(renderer));
}
