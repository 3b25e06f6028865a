// The gallery's first window: tiles that show the framework's colours, shapes, text, glyphs and blur,
// a theme button drawn by hand, and the button that opens the controls window.
#include "gallery_window.h"

#include <string>
#include <utility>
#include <vector>

#include "events.h"
#include "lux/button.h"
#include "lux/colors.h"
#include "lux/controls.h"
#include "lux/graphics.h"
#include "lux/icon_font.h"
#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "platform/window.h"
#include "ui/application.h"

namespace gallery {
namespace {

using namespace lux;

constexpr const char* kCaption = "Lux Gallery";

// The common look of the gallery's tiles: they follow the theme and paint into their buffer.
class TTile : public FXWindowsControl, public FXControl {
 public:
  explicit TTile(FXForm& AForm) : FXWindowsControl(&AForm) {}
  bool IsContainer() override { return false; }
  void UpdateTheme(bool) override {
    SetColor(ThemeManager().SystemColor->BackGround());
    Invalidate();
  }
  TColor Background() override { return ThemeManager().SystemColor->BackGround(); }

 protected:
  static const FXCompleteColorSet& Colors() { return *ThemeManager().SystemColor; }
  void PaintBuffer() override {
    PaintBackground();
    ui::TCanvas canvas(Buffer());
    canvas.Font = Font();
    canvas.Font.SetName(ThemeManager().FormFont());
    canvas.Font.SetHeight(15);
    canvas.Font.SetColor(MakeARGB(Colors().ForeGround(), 255));
    PaintTile(canvas);
    FXWindowsControl::PaintBuffer();
  }
  virtual void PaintTile(ui::TCanvas& Canvas) = 0;
};

// The theme's colours side by side.
class TSwatches : public TTile {
 public:
  using TTile::TTile;

 protected:
  void PaintTile(ui::TCanvas& Canvas) override {
    const FXCompleteColorSet& c = Colors();
    const std::vector<std::pair<const char*, TColor>> swatches = {
        {"Background", c.BackGround()}, {"Interior", c.BackGroundInterior()}, {"Text", c.ForeGround()}, {"Accent", c.Accent()}};
    int x = 0;
    for (const auto& [name, color] : swatches) {
      const FXBrush brush{MakeARGB(color, 255)};
      const FXPen pen{MakeARGB(c.ForeGround(), 60), 1};
      DrawRoundRect(Canvas, FXRoundRect(Rect(x, 0, x + 70, 40), 6), &brush, &pen, true);
      DrawTextRect(Canvas, Rect(x, 42, x + 86, Height()), name, {});
      x += 90;
    }
  }
};

// A rounded shape with a two-pixel outline, and text wrapped by the framework's own rules.
class TShapes : public TTile {
 public:
  using TTile::TTile;

 protected:
  void PaintTile(ui::TCanvas& Canvas) override {
    const FXBrush brush{MakeARGB(Colors().Accent(), 255)};
    const FXPen pen{MakeARGB(Colors().ForeGround(), 255), 2};
    DrawRoundRect(Canvas, FXRoundRect(Rect(2, 2, 120, 90), 18), &brush, &pen, true);
    const FXBrush interior{MakeARGB(Colors().BackGroundInterior(), 255)};
    DrawRoundRect(Canvas, FXRoundRect(Rect(132, 0, Width(), Height()), 10), &interior, nullptr, true);
    DrawTextRect(Canvas, Rect(142, 6, Width() - 10, Height() - 6),
                 "Text in the framework wraps at spaces and keeps its trailing spaces; a word wider than the "
                 "box is broken where it must be.",
                 {FXTextFlag::WordWrap});
  }
};

// Glyphs of the icon font, as the installer's pages and buttons use them.
class TGlyphs : public TTile {
 public:
  using TTile::TTile;

 protected:
  void PaintTile(ui::TCanvas& Canvas) override {
    Canvas.Font.SetName(IconFontFamily());
    Canvas.Font.SetHeight(24);
    const char* glyphs[] = {"\uE100", "\uE101", "\uE102", "\uE10A", "\uE73E", "\uE97C", "\uEA39", "\uF167", "\uE70D", "\uE8A6"};
    int x = 0;
    for (const char* glyph : glyphs) {
      Canvas.TextOut(x, 4, glyph);
      x += 36;
    }
  }
};

// A picture and its blurred copy.
class TBlur : public TTile {
 public:
  using TTile::TTile;

 protected:
  void PaintTile(ui::TCanvas& Canvas) override {
    const int w = Width() / 2 - 6, h = Height();
    ui::TBitmap picture(w, h);
    {
      ui::TCanvas p(picture);
      p.BrushColor = MakeARGB(Colors().BackGroundInterior(), 255);
      p.FillRect(TRect{0, 0, w, h});
      for (int i = 0; i < 5; ++i) {
        p.BrushColor = MakeARGB(ChangeColorLight(Colors().Accent(), i * 20 - 40), 255);
        p.FillRect(TRect{i * w / 5, 0, i * w / 5 + w / 10, h});
      }
      p.BrushColor = MakeARGB(Colors().ForeGround(), 255);
      p.Pen.Width = 0;
      p.Ellipse(w / 2.0 - 20, h / 2.0 - 20, 40, 40);
    }
    ui::TBitmap blurred = picture;
    FastBlur(blurred, 6, 2, true);
    Canvas.Draw(0, 0, picture);
    Canvas.Draw(w + 12, 0, blurred);
  }
};

// A button that switches the theme: it shows hover and press, and has a hint.
class TThemeButton : public TTile {
 public:
  explicit TThemeButton(FXForm& AForm) : TTile(AForm) {
    SetHint("Switches between the light and the dark theme");
    SetCursor(ui::TCursor::Hand);
  }
  void Click() override {
    gallery::ToggleTheme();
    TTile::Click();
  }

 protected:
  // The look follows the state, so the buffer is drawn again, not only copied.
  void InteractionStateChanged(FXControlState) override { Invalidate(); }
  void PaintTile(ui::TCanvas& Canvas) override {
    TColor fill = Colors().Accent();
    if (InteractionState() == FXControlState::Hover) fill = ChangeColorLight(fill, 40);
    if (InteractionState() == FXControlState::Press) fill = ChangeColorLight(fill, -40);
    const FXBrush brush{MakeARGB(fill, 255)};
    DrawRoundRect(Canvas, FXRoundRect(Rect(0, 0, Width(), Height()), 8), &brush, nullptr, true);
    Canvas.Font.SetColor(MakeARGB(ContrastTextColor(fill), 255));
    DrawTextRect(Canvas, Rect(0, 0, Width(), Height()), ThemeManager().DarkTheme() ? "Light theme" : "Dark theme",
                 {FXTextFlag::Center, FXTextFlag::VerticalCenter});
  }
};

// Tiles paint as soon as they are placed, so they are placed once fully made.
template <class T>
T* Place(FXForm& Form, const TRect& Bounds) {
  T* tile = new T(Form);
  tile->UpdateTheme(false);
  tile->SetParent(&Form);
  tile->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
  return tile;
}

}  // namespace

TGalleryWindow::TGalleryWindow(std::function<void()> OpenControls)
    : FXForm(nullptr), FOpenControls(std::move(OpenControls)) {
  SetCaption(kCaption);
  SetBorderStyle(ui::TFormBorderStyle::bsSingle);
  SetBorderIcons({.SystemMenu = true, .Minimize = false, .Maximize = false});
  SetClientSize(734, 461);
  // Each tile would paint for every property set on it; the layout's end paints each once.
  BeginLayout();
  Place<TSwatches>(*this, Rect(20, 50, 400, 120));
  Place<TShapes>(*this, Rect(20, 135, 714, 235));
  Place<TGlyphs>(*this, Rect(20, 250, 400, 290));
  Place<TBlur>(*this, Rect(20, 305, 400, 445));
  Place<TThemeButton>(*this, Rect(440, 395, 714, 445));

  auto* controls = new FXButton(this);
  controls->SetName("controls");
  controls->SetText("Controls");
  controls->SetHint("Opens a window with every control of the framework (key C)");
  controls->SetParent(this);
  controls->SetBounds(574, 345, 140, 35);
  controls->OnClick = [this](auto&&...) { FOpenControls(); };
  EndLayout();

  KeyPreview = true;
  OnKeyPress = [this](ui::TWinControl&, const std::string& key) { Key(key); };
  OnKeyDown = [this](ui::TWinControl&, int& key, ui::TShiftState) {
    if (key == platform::keys::Escape) Close();
  };
  OnClose = [](ui::TForm&, ui::TCloseAction&) { ui::Application().Terminate(); };
}

void TGalleryWindow::Key(const std::string& Key) {
  if (Key == "s" || Key == "S") SetSmokeEffect(!SmokeEffect());
  if (Key == "t" || Key == "T") ToggleTheme();
  if (Key == "c" || Key == "C") FOpenControls();
}

}  // namespace gallery
