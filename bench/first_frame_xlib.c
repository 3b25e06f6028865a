// What a window costs without SDL: Xlib alone opens the display, makes a window of the same size as
// bench/first_frame_floor.c, draws five lines of text in five sizes with cairo and pango (the text a
// first page shows, roughly) and presents that one frame with XPutImage. bench/first_frame.sh runs it
// beside SDL's floor, to show how much of that floor is SDL's own start. It prints its figures the
// way bench/first_frame_probe.c does. With --no-text it presents the one colour only, as the floor.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <pango/pangocairo.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <time.h>

int main(int argc, char** argv) {
  const int text = !(argc > 1 && strcmp(argv[1], "--no-text") == 0);
  Display* display = XOpenDisplay(NULL);
  if (!display) return 1;
  const int screen = DefaultScreen(display), width = 734, height = 461;
  XSetWindowAttributes attributes;
  attributes.background_pixmap = None;
  attributes.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask;
  Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, CopyFromParent,
                                InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
  XStoreName(display, window, "floor");

  char* pixels = malloc((size_t)width * height * 4);
  if (!pixels) return 1;
  memset(pixels, 0xE0, (size_t)width * height * 4);
  if (text) {
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data((unsigned char*)pixels, CAIRO_FORMAT_RGB24, width, height, width * 4);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Sans");
    const char* lines[] = {"Welcome to the installer", "This application will help you install it", "Next", "Previous",
                           "Package Info"};
    for (int i = 0; i < 5; ++i) {
      pango_font_description_set_absolute_size(font, (12 + 3 * i) * PANGO_SCALE);
      pango_layout_set_font_description(layout, font);
      pango_layout_set_text(layout, lines[i], -1);
      cairo_move_to(cr, 20, 20 + 40 * i);
      pango_cairo_show_layout(cr, layout);
    }
    cairo_surface_flush(surface);
  }

  XMapWindow(display, window);
  XImage* image = XCreateImage(display, DefaultVisual(display, screen), 24, ZPixmap, 0, pixels, width, height, 32, 0);
  GC gc = XCreateGC(display, window, 0, NULL);
  XPutImage(display, window, gc, image, 0, 0, 0, 0, width, height);
  XSync(display, False);

  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const char* start = getenv("FIRST_FRAME_START_NS");
  const double ms = start ? ((double)now.tv_sec * 1e9 + now.tv_nsec - atof(start)) / 1e6 : -1;
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  const double cpu =
      (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  printf("process start to first presented frame: %.1f ms (processor time %.1f ms)\n", ms, cpu);
  return 0;
}
