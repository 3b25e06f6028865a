// FXForm: the framework's top-level window. It takes the theme's font and colours, draws its own
// title bar in them, fades to a new theme, darkens under a modal dialog with a translucent overlay,
// can go full screen and tells its controls when it moves or is resized.
#pragma once

#include <functional>
#include <memory>

#include "lux/animations.h"
#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/types.h"
#include "ui/forms.h"

namespace lux {

class FXForm;
using FXFormProcedure = std::function<void(FXForm* Sender)>;

// Sent to every child control after the window moved / was resized; they carry no data.
constexpr unsigned FormMovedMessage = ui::WM_USER + 513;
constexpr unsigned FormResizedMessage = ui::WM_USER + 514;

class FXForm : public ui::TForm, public FXControl {
 public:
  // Create: the window with its layout, which derived windows build in their stored-layout step.
  explicit FXForm(ui::TComponent* AOwner);
  // CreateNew: an empty window, as the dialogs use.
  FXForm(ui::TComponent* AOwner, int Dummy);
  ~FXForm() override;

  void InitForm();
  void SetBoundsRect(const TRect& Bounds) { SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height()); }
  bool IsResizable() const;
  // The height of the last child that is a title-bar panel; 0 without one.
  std::int32_t GetTitlebarHeight() const;
  // The system's colourisation changed.
  void ColorizationChanged();
  // Between the two (they pair up), the framework controls of the window note that their look changed
  // instead of repainting it each time; the last EndLayout paints each of them that is in sight once,
  // parents first, and the others paint when they are first drawn.
  // For windows that build many controls at once.
  void BeginLayout() { ++FLayingOut; }
  void EndLayout();
  bool LayingOut() const { return FLayingOut > 0; }

  bool IsContainer() override { return true; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

  bool MicaEffect() const { return FMicaEffect; }
  void SetMicaEffect(bool Value);
  bool SmokeEffect() const { return FSmokeEffect; }
  void SetSmokeEffect(bool Value);
  FXColorSets& CustomColors() { return *FCustomColors; }
  bool AllowThemeChangeAnimation = true;
  bool FullScreen() const { return FFullScreen; }
  void SetFullScreen(bool Value);
  bool WindowUpdateLocked() const { return FWindowUpdateLock; }
  void SetWindowUpdateLocked(bool Value);
  FXFormProcedure OnMove;
  FXThemeChange OnThemeChange;

  // The resolved colours; Accent is left to whoever sets it.
  const FXColorSet& DrawColors() const { return *FDrawColors; }
  // The overlay and the title-bar panel, for whoever needs to look at them.
  ui::TForm& SmokeOverlay() { return *Smoke; }
  ui::TTitleBarPanel* TitlebarControl() const { return TTlCtrl; }

  ui::TSizeConstraints WindowSizeLimits() const override;

 protected:
  // For windows with a layout of their own: `ReadLayout` builds it where a stored layout is read,
  // after the new-form initialisation and before InitForm, so InitForm finds its title-bar panel.
  FXForm(ui::TComponent* AOwner, const std::function<void(FXForm&)>& ReadLayout);

  void DoShow() override;
  void Activated(bool Active) override;
  void Moved() override;
  void Resized() override;

 private:
  void InitializeNewForm();
  void SetFormColor(TColor Value);
  // Forgets running fades when the form goes, so their last frames find nothing to touch.
  std::shared_ptr<FXForm*> FSelf;

  std::unique_ptr<FXColorSets> FCustomColors;
  std::unique_ptr<FXColorSet> FDrawColors;
  bool FWindowUpdateLock = false;
  int FLayingOut = 0;
  bool FFullScreen = false;
  TRect FRestoredPosition{};
  ui::TFormBorderStyle FRestoredBorder = ui::TFormBorderStyle::bsSizeable;
  bool FMicaEffect = false;
  bool FSmokeEffect = false;
  bool FTitlebarInitialized = false;
  bool FEnableTitlebar = false;
  ui::TTitleBarPanel* TTlCtrl = nullptr;
  std::unique_ptr<ui::TForm> Smoke;
  std::unique_ptr<TIntAni> SmokeAnimation;
};

}  // namespace lux
