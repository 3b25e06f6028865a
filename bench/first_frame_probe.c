// Preloaded into an SDL program: prints the time from FIRST_FRAME_START_NS (CLOCK_REALTIME, taken
// just before the program was started) to the end of its first presented frame, then ends it.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

void SDL_RenderPresent(void* renderer) {
  void (*real)(void*) = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
  real(renderer);
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const char* start = getenv("FIRST_FRAME_START_NS");
  double ms = start ? ((double)now.tv_sec * 1e9 + now.tv_nsec - atof(start)) / 1e6 : -1;
  printf("process start to first presented frame: %.1f ms\n", ms);
  fflush(stdout);
  _exit(0);
}
