// lux-gallery: the framework's windows for a look by eye and for the tests that drive them with a real
// pointer and keyboard in a real X server. Every event those tests watch is one line on standard output.
//
// Keys: S turns the smoke overlay on and off, T switches the theme, C opens the controls window, Esc
// closes the window it is pressed in (the first window's Esc quits).
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "controls_window.h"
#include "gallery_window.h"
#include "menus_window.h"
#include "platform/window.h"
#include "ui/application.h"

int main(int argc, char** argv) {
  bool controlsOnly = false, menusOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::puts(
          "Usage: lux-gallery [--controls | --menus]\n"
          "Opens a window showing the framework. S: smoke overlay, T: theme, C: the controls window, Esc: close.\n"
          "--controls opens only the controls window, --menus only the popup menus window; closing it quits.");
      return 0;
    }
    if (std::strcmp(argv[i], "--controls") == 0) {
      controlsOnly = true;
      continue;
    }
    if (std::strcmp(argv[i], "--menus") == 0) {
      menusOnly = true;
      continue;
    }
    std::fprintf(stderr, "lux-gallery: unknown option %s\n", argv[i]);
    return 2;
  }
  try {
    platform::SetWindowBackend(platform::CreateSystemBackend());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "lux-gallery: %s\n", error.what());
    return 1;
  }
  ui::Application();
  {
    // Made on first use and kept: closing it only hides it, so it opens again as it was left.
    std::unique_ptr<gallery::TControlsWindow> controls;
    auto openControls = [&controls, controlsOnly] {
      if (!controls) {
        controls = std::make_unique<gallery::TControlsWindow>(controlsOnly);
        controls->SetPosition(ui::TPosition::poScreenCenter);
      }
      controls->Show();
    };
    std::unique_ptr<gallery::TGalleryWindow> first;
    std::unique_ptr<gallery::TMenusWindow> menus;
    if (menusOnly) {
      menus = std::make_unique<gallery::TMenusWindow>(true);
      menus->SetPosition(ui::TPosition::poScreenCenter);
      menus->Show();
    } else if (controlsOnly) {
      openControls();
    } else {
      first = std::make_unique<gallery::TGalleryWindow>(openControls);
      first->SetPosition(ui::TPosition::poScreenCenter);
      first->Show();
    }
    ui::Application().Run();
  }
  return 0;
}
