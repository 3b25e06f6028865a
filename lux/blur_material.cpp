// The blur material: the shared desktop images, their rebuild rules and the tinted copy each material paints.
#include "lux/blur_material.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "lux/forms.h"
#include "lux/graphics.h"
#include "lux/theme_manager.h"
#include "ui/forms.h"
#include "ui/screen.h"
#include "vel/files.h"

namespace lux {

namespace {

using Clock = std::chrono::steady_clock;

// One set per process, shared by every material: capturing and blurring is the expensive part.
struct TSharedImages {
  ui::TBitmap BlurredWallpaper;
  ui::TBitmap Wallpaper;
  ui::TBitmap Screenshot;
  // The last screenshot before blurring, to fill in where a material's own window covered the screen.
  ui::TBitmap RawScreenshot;
  TRect RawArea;
  std::optional<std::int64_t> WallpaperSize;
  std::optional<Clock::time_point> LastBuild;
  // When a screenshot was last asked of the system, whether or not it gave one.
  std::optional<Clock::time_point> ScreenshotTaken;
  bool Building = false;
  int Builds = 0;
  TBlurClock Now;
  TWallpaperSize SizeSource;
};

TSharedImages& Shared() {
  static TSharedImages images;
  return images;
}

Clock::time_point Now() { return Shared().Now ? Shared().Now() : Clock::now(); }
std::int64_t CurrentWallpaperSize() { return Shared().SizeSource ? Shared().SizeSource() : WallpaperFileSize(); }

// The refresh timer never needs to run faster than the screenshot may be rebuilt: a 1 ms timer would
// repaint a thousand times a second for a picture that changes once.
constexpr int RefreshInterval = 1000;
constexpr auto MaxScreenshotAge = std::chrono::milliseconds(1000);

// Where a visible window of the material's own covers the new capture, the capture shows the window
// itself; the previous capture's pixels there are the best picture of what lies behind it.
void MaskOwnWindow(ui::TBitmap& Shot, const TRect& Area, const ui::TControl& Control) {
  const ui::TForm* form = Control.ParentForm();
  if (!form || !form->Visible() || form->Embedded()) return;
  const TSharedImages& s = Shared();
  const TRect own = form->BoundsRect();
  for (int y = std::max(own.Top, Area.Top); y < std::min(own.Bottom, Area.Bottom); ++y)
    for (int x = std::max(own.Left, Area.Left); x < std::min(own.Right, Area.Right); ++x) {
      const int px = x - s.RawArea.Left, py = y - s.RawArea.Top;
      if (s.RawScreenshot.Empty() || px < 0 || py < 0 || px >= s.RawScreenshot.Width() || py >= s.RawScreenshot.Height())
        continue;
      Shot.SetPixel(x - Area.Left, y - Area.Top, s.RawScreenshot.Pixel(px, py));
    }
}

// Copies the part of Source at From into Target at (0, 0); what lies outside Source stays as it was.
void CopyClipped(ui::TBitmap& Target, const ui::TBitmap& Source, const TRect& From) {
  const int x0 = std::max(From.Left, 0), y0 = std::max(From.Top, 0);
  const int x1 = std::min({From.Right, Source.Width(), From.Left + Target.Width()});
  const int y1 = std::min({From.Bottom, Source.Height(), From.Top + Target.Height()});
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) Target.SetPixel(x - From.Left, y - From.Top, Source.Pixel(x, y));
}

std::uint8_t ClampAlpha(std::int32_t Value) { return static_cast<std::uint8_t>(std::clamp(Value, 0, 255)); }

const ui::TBitmap* ImageOf(FXBlurVersion Version) {
  TSharedImages& s = Shared();
  switch (Version) {
    case FXBlurVersion::WallpaperBlurred: return &s.BlurredWallpaper;
    case FXBlurVersion::Wallpaper: return &s.Wallpaper;
    case FXBlurVersion::Screenshot: return &s.Screenshot;
    case FXBlurVersion::None: break;
  }
  return nullptr;
}

// Resets Building however the rebuild ends.
struct TBuilding {
  TBuilding() { Shared().Building = true; }
  ~TBuilding() { Shared().Building = false; }
};

}  // namespace

bool BlurImageAvailable(FXBlurVersion Version) {
  const ui::TBitmap* image = ImageOf(Version);
  return image && !image->Empty();
}

void SetBlurClock(TBlurClock ANow) { Shared().Now = std::move(ANow); }

void SetWallpaperSizeSource(TWallpaperSize Source) { Shared().SizeSource = std::move(Source); }

void ForgetBlurImages() {
  TSharedImages& s = Shared();
  TBlurClock keepClock = std::move(s.Now);
  TWallpaperSize keepSize = std::move(s.SizeSource);
  s = TSharedImages{};
  s.Now = std::move(keepClock);
  s.SizeSource = std::move(keepSize);
}

int BlurImageBuildCount() { return Shared().Builds; }

std::int64_t WallpaperFileSize() {
  namespace fs = std::filesystem;
  const std::string roaming = vel::GetUserFolder(vel::TUserFolder::AppData);
  if (roaming.empty()) return -1;
  const fs::path themes = fs::path(roaming) / "Microsoft" / "Windows" / "Themes";
  // The per-monitor copy of later systems first (the material asks for monitor 999), then the single one.
  for (const char* name : {"Transcoded_999", "TranscodedWallpaper", "TranscodedWallpaper.jpg"}) {
    std::error_code error;
    const auto size = fs::file_size(themes / name, error);
    if (!error) return static_cast<std::int64_t>(size);
  }
  return -1;
}

FXBlurMaterial::FXBlurMaterial(ui::TComponent* AOwner)
    : FXBufferGraphicControl(AOwner),
      Tick(std::make_unique<ui::TTimer>()),
      FCustomColors(std::make_unique<FXColorSets>(this)),
      FDrawColors(std::make_unique<FXColorSet>(this)) {
  Tick->SetEnabled(false);
  Tick->SetInterval(RefreshInterval);
  Tick->OnTimer = [this] { SyncroniseImage(); };
  FCustomColors->SetDarkBackGround(0);
  FCustomColors->SetLightBackGround(16777215);
  FCustomColors->SetAccent(ThemeManager().AccentColor());
  SetBounds(Left(), Top(), 150, 200);
  // Only the colours here: the version is not chosen yet, and the first synchronisation builds the
  // image the chosen one needs.
  ResolveColors();
}

FXBlurMaterial::~FXBlurMaterial() { Tick->SetEnabled(false); }

void FXBlurMaterial::Changed() {
  Invalidate();
  if (ui::TForm* form = ParentForm()) form->Update();
}

void FXBlurMaterial::SetRefreshMode(FXGlassRefreshMode Value) {
  FRefreshMode = Value;
  Tick->SetEnabled(Value == FXGlassRefreshMode::Timer);
}

void FXBlurMaterial::SetVersion(FXBlurVersion Value) {
  if (Value == FVersion) return;
  FVersion = Value;
  Changed();
}

void FXBlurMaterial::SetEnableTinting(bool Value) {
  if (Value == FEnableTinting) return;
  FEnableTinting = Value;
  Changed();
}

void FXBlurMaterial::SetDarkTintOpacity(std::int32_t Value) {
  if (Value == FDarkTintOpacity) return;
  FDarkTintOpacity = Value;
  Changed();
}

void FXBlurMaterial::SetWhiteTintOpacity(std::int32_t Value) {
  if (Value == FWhiteTintOpacity) return;
  FWhiteTintOpacity = Value;
  Changed();
}

void FXBlurMaterial::SetCustomColors(const FXColorSets& Value) {
  FCustomColors->Assign(Value);
  UpdateTheme(false);
}

void FXBlurMaterial::Inflate(std::int32_t up, std::int32_t right, std::int32_t down, std::int32_t lft) {
  SetBounds(Left() - lft, Top() - up, Width() + right + lft, Height() + up + down);
}

void FXBlurMaterial::SyncroniseImage() {
  ReDraw();
  const TSharedImages& s = Shared();
  bool rebuild = false;
  switch (FVersion) {
    case FXBlurVersion::WallpaperBlurred:
    case FXBlurVersion::Wallpaper: rebuild = s.WallpaperSize != CurrentWallpaperSize(); break;
    case FXBlurVersion::Screenshot:
      // A failed capture counts as a build too, so a system without captures is not asked on every paint.
      rebuild = !s.ScreenshotTaken || Now() - *s.ScreenshotTaken >= MaxScreenshotAge;
      break;
    case FXBlurVersion::None: break;
  }
  if (rebuild) {
    RebuildImage();
    // The paint above showed the old picture; the new one shows now, not at some later paint.
    ReDraw();
  }
  if (FInvalidateAbove) Invalidate();
}

void FXBlurMaterial::RebuildImage() {
  TSharedImages& s = Shared();
  if (FVersion == FXBlurVersion::None || s.Building) return;
  TBuilding building;
  const TRect desktop = ui::VirtualDesktop();
  ui::TBitmap shot;
  const bool captured = ui::CaptureScreen(desktop, shot);
  ++s.Builds;
  if (captured) MaskOwnWindow(shot, desktop, *this);
  if (FVersion == FXBlurVersion::Screenshot) {
    s.ScreenshotTaken = Now();
    if (captured) {
      s.RawScreenshot = shot;
      s.RawArea = desktop;
      FastBlur(shot, 3, 8, false);
      s.Screenshot = std::move(shot);
    } else {
      s.Screenshot = ui::TBitmap();
    }
  } else {
    // The system's desktop picture is not reachable here; the desktop as the screen shows it stands in.
    if (captured) {
      s.Wallpaper = shot;
      FastBlur(shot, 8, 10, false);
      s.BlurredWallpaper = std::move(shot);
    } else {
      s.Wallpaper = s.BlurredWallpaper = ui::TBitmap();
    }
    s.WallpaperSize = CurrentWallpaperSize();
  }
  s.LastBuild = Now();
}

void FXBlurMaterial::PaintBuffer() {
  const bool available = BlurImageAvailable(FVersion);
  if (!available) Tick->SetEnabled(FRefreshMode == FXGlassRefreshMode::Timer);
  FDrawing = true;
  ui::TBitmap& buffer = Buffer();
  const TColor tint = FDrawColors->BackGround();
  buffer.Fill(MakeARGB(tint, 255));
  if (!Shared().Building && available && !buffer.Empty()) {
    const TRect desktop = ui::VirtualDesktop();
    const TPoint origin = ClientToScreen(*this, {0, 0});
    const TRect from = ui::Bounds(origin.X - desktop.Left, origin.Y - desktop.Top, Width(), Height());
    CopyClipped(buffer, *ImageOf(FVersion), from);
    if (FEnableTinting) {
      const std::uint8_t alpha = ClampAlpha(ThemeManager().DarkTheme() ? FDarkTintOpacity : FWhiteTintOpacity);
      ui::TBitmap layer(buffer.Width(), buffer.Height());
      layer.Fill(MakeARGB(tint, alpha));
      buffer.Draw(layer, 0, 0);
    }
  }
  FDrawing = false;
  FXBufferGraphicControl::PaintBuffer();
}

void FXBlurMaterial::ResolveColors() {
  if (FCustomColors->Enabled()) {
    FDrawColors->LoadFrom(*FCustomColors, ThemeManager().DarkTheme());
  } else {
    FDrawColors->SetAccent(ThemeManager().AccentColor());
    FDrawColors->SetBackGround(ThemeManager().DarkTheme() ? 0 : 16777215);
  }
}

void FXBlurMaterial::UpdateTheme(bool) {
  ResolveColors();
  // The desktop pictures do not depend on the theme: a capture and a blur of the whole desktop on every
  // theme change would only stall the window; what is missing is built.
  if (!IsLoading() && !BlurImageAvailable(FVersion)) RebuildImage();
}

void FXBlurMaterial::Notify(unsigned Message) {
  FXBufferGraphicControl::Notify(Message);
  if (Message == FormMovedMessage && FRefreshMode == FXGlassRefreshMode::Automatic) SyncroniseImage();
}

void FXBlurMaterial::VisibleChanged() {
  if (Visible()) SyncroniseImage();
}

}  // namespace lux
