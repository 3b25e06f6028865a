// Shows a framework window, starts a theme fade and a few other animations, and returns from main
// while they still run: the process must end normally.
#include <chrono>
#include <memory>

#include "lux/animations.h"
#include "lux/forms.h"
#include "lux/theme_manager.h"
#include "ui/application.h"

int main() {
  using namespace std::chrono_literals;
  ui::TApplication& app = ui::Application();
  lux::ThemeManager().SetDarkThemeMode(lux::FXDarkSetting::ForceLight);
  lux::FXForm form(nullptr);
  form.Show();
  const ui::TAlphaColor before = form.Color();

  int frames = 0;
  auto longRun = std::make_unique<lux::TIntAni>(true, lux::TAniKind::akIn, lux::TAniFunctionKind::afkLinear, 0, 100,
                                                [&frames](std::int32_t) { ++frames; }, nullptr);
  longRun->SetDuration(20000);
  longRun->SetStep(200);
  lux::TIntAni::Launch(std::move(longRun));
  // Asleep before its first frame when the program ends.
  auto delayed = std::make_unique<lux::TIntAni>(true, lux::TAniKind::akIn, lux::TAniFunctionKind::afkLinear, 0, 100,
                                                [&frames](std::int32_t) { ++frames; }, nullptr);
  delayed->SetDelayStartTime(60000);
  lux::TIntAni::Launch(std::move(delayed));

  // Busy ones, handing a frame over every millisecond or so, so that some are always on their way
  // into the loop while the program ends.
  for (int i = 0; i < 30; ++i) {
    auto busy = std::make_unique<lux::TIntAni>(true, lux::TAniKind::akIn, lux::TAniFunctionKind::afkLinear, 0, 100,
                                               [&frames](std::int32_t) { ++frames; }, nullptr);
    busy->SetDuration(250);
    busy->SetStep(250);
    lux::TIntAni::Launch(std::move(busy));
  }

  lux::ThemeManager().SetDarkThemeMode(lux::FXDarkSetting::ForceDark);
  // Mid-fade: the window shows a blend, not yet the dark colour.
  app.RunUntil([&] { return form.Color() != before && frames > 0; }, 10s);
  return 0;
}
