// Forms: top-level controls over a window of the seam, with focus, modal runs and closing.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window.h"
#include "ui/bitmap.h"
#include "ui/controls.h"

namespace ui {

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrClose = 8;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

struct TBorderIcons {
  bool SystemMenu = true, Minimize = true, Maximize = true, Help = false;
  friend bool operator==(const TBorderIcons&, const TBorderIcons&) = default;
};

// The first message number free for a program's own notifications, as Windows numbers them.
constexpr unsigned WM_USER = 0x0400;

class TForm;

// A form's own title bar: a control at the top of the client area that stands in for the system's
// caption, in colours the program chooses. While it is enabled the window has no system frame, and
// dragging the control (away from its caption buttons) moves the window.
class TTitleBar {
 public:
  explicit TTitleBar(TForm& form) : form_(form) {}

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  TControl* Control() const { return control_; }
  void SetControl(TControl* value);
  int Height() const { return height_; }
  void SetHeight(int value);
  // The system's caption buttons, colours and height; all off, the title bar control draws its own.
  bool SystemButtons = true;
  bool SystemColors = true;
  bool SystemHeight = true;

  TAlphaColor BackgroundColor = 0xFFFFFFFF;
  TAlphaColor InactiveBackgroundColor = 0xFFFFFFFF;
  TAlphaColor ButtonBackgroundColor = 0xFFFFFFFF;
  TAlphaColor ButtonInactiveBackgroundColor = 0xFFFFFFFF;
  TAlphaColor ButtonHoverBackgroundColor = 0xFFE5E5E5;
  TAlphaColor ButtonPressedBackgroundColor = 0xFFCCCCCC;
  TAlphaColor ForegroundColor = 0xFF000000;
  TAlphaColor InactiveForegroundColor = 0xFF999999;
  TAlphaColor ButtonForegroundColor = 0xFF000000;
  TAlphaColor ButtonInactiveForegroundColor = 0xFF999999;
  TAlphaColor ButtonHoverForegroundColor = 0xFF000000;
  TAlphaColor ButtonPressedForegroundColor = 0xFF000000;
  // Repaints the title bar after its colours were changed.
  void Invalidate();

 private:
  friend class TForm;
  TForm& form_;
  bool enabled_ = false;
  TControl* control_ = nullptr;
  int height_ = 31;
};

// The control a form's custom title bar shows: the caption in the title bar's colours and, when the
// system buttons are off, caption buttons of its own for the form's border icons.
class TTitleBarPanel : public TCustomControl {
 public:
  explicit TTitleBarPanel(TComponent* owner);

  enum class TButton { None, Minimize, Maximize, Close };
  // The caption button at a point in client coordinates.
  TButton ButtonAt(int x, int y) const;
  static constexpr int ButtonWidth = 46;

  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseLeave() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 protected:
  void Paint() override;

 private:
  // The title bar this panel draws for, when it is its form's enabled title bar control.
  const TTitleBar* Bar() const;
  TRect ButtonRect(int index) const;
  std::vector<TButton> Buttons() const;
  TButton hot_ = TButton::None;
  TButton pressed_ = TButton::None;
};

// Where a form is placed when it is shown: where its bounds say (poDesigned), or by a rule.
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                       poMainFormCenter, poOwnerFormCenter };

class TForm : public TWinControl, private platform::WindowInput {
 public:
  // The window comes from the seam's current backend.
  explicit TForm(TComponent* owner);
  ~TForm() override;
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  platform::Window& Window() { return *window_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height(); }
  void SetClientSize(int width, int height);
  TAlphaColor Color() const { return color_; }
  void SetColor(TAlphaColor value);
  // The window's constant alpha applies while AlphaBlend is on.
  bool AlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool value);
  std::uint8_t AlphaBlendValue() const { return alpha_; }
  void SetAlphaBlendValue(std::uint8_t value);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle value);
  const TBorderIcons& BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(const TBorderIcons& value);
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState value);
  TTitleBar& CustomTitleBar() { return titleBar_; }
  // The bounds of the monitor the form is on, in screen pixels.
  TRect MonitorBounds() const;
  // Whether this form lies inside another one (it has a parent) rather than in a window of its own.
  bool Embedded() const { return Parent() != nullptr; }
  bool StayOnTop() const { return stayOnTop_; }
  void SetStayOnTop(bool value);
  // See-through pixels: where the form's picture holds exactly TransparentColorValue (its alpha
  // ignored), the screen behind the window shows. Answers whether the window can do that (the form
  // stays as it was when it cannot).
  bool TransparentColor() const { return transparentColor_; }
  bool SetTransparentColor(bool value);
  TAlphaColor TransparentColorValue() const { return transparentColorValue_; }
  void SetTransparentColorValue(TAlphaColor value);
  // A menu window: no frame, above the others, off the taskbar, but it takes the focus when shown.
  bool MenuWindow() const { return menuWindow_; }
  void SetMenuWindow(bool value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  TFont Font;
  // The form's own OnKeyDown and OnKeyPress see keys before the active control does; a key set to 0
  // in OnKeyDown goes no further.
  bool KeyPreview = false;

  void Show();
  // Shows the form and runs the application loop until ModalResult is set or the form closes;
  // answers ModalResult (mrCancel when it closed without one).
  TModalResult ShowModal();
  bool Modal() const { return modal_; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult value);
  // Asks OnCloseQuery, then hides the form as OnClose decides.
  void Close();
  bool CloseQuery();

  TWinControl* ActiveControl() const { return active_; }
  // Moves the focus: the old control gets DoExit, the new one DoEnter. A control that cannot take
  // the focus leaves it where it is.
  void SetActiveControl(TWinControl* control);
  // Moves the focus as Tab (or Shift+Tab) does.
  void SelectNext(bool forward);
  bool Active() const { return activeWindow_; }
  // The control holding the pointer while a button is down.
  TControl* CaptureControl() const { return capture_; }
  TControl* HoverControl() const { return hover_; }

  // Paints and presents now when something was invalidated since the last present.
  void Update();
  // Paints and presents now (unless another part of the program holds the window-update lock on it).
  void Repaint();
  const TBitmap& Surface() const { return surface_; }
  // Whether painting is held back by the application's window-update lock.
  bool UpdatesLocked() const;
  // The form's own limits on the size the user can give its window (0: none); asked again by
  // UpdateSizeLimits.
  virtual TSizeConstraints WindowSizeLimits() const;
  void UpdateSizeLimits();

  std::function<void(TForm&, bool& canClose)> OnCloseQuery;
  std::function<void(TForm&, TCloseAction& action)> OnClose;
  std::function<void(TForm&)> OnActivate;
  std::function<void(TForm&)> OnDeactivate;
  std::function<void(TForm&)> OnShow;
  std::function<void(TForm&)> OnHide;

  // An embedded form keeps every key: it stands for a window of its own.
  bool WantsKey(int key, TShiftState shift) override;

 protected:
  // For hint windows: a form that the application does not list among its forms.
  TForm(TComponent* owner, bool listed);
  void PaintSelf(TCanvas& canvas) override;
  void PaintControl(TCanvas& canvas) override;
  void BoundsChanged(int oldWidth, int oldHeight) override;
  // The window has been moved on the screen / resized; the form's bounds are already the new ones.
  virtual void Moved();
  virtual void Resized();
  // The window became the active one (or stopped being it).
  virtual void Activated(bool active);
  // The form has just been shown; calls OnShow.
  virtual void DoShow();
  void ConstraintsChanged() override { UpdateSizeLimits(); }
  // The system frame and size rules follow the border style and the custom title bar.
  void ApplyWindowStyle();

 private:
  TPosition position_ = TPosition::poDesigned;
  friend class TControl;
  friend class TTitleBar;
  friend class TApplication;
  void InvalidateForm() { dirty_ = true; }
  // A control is going away, hiding or being disabled: it lets go of the focus, capture and hover.
  void ControlGoing(TControl* control);
  TControl* TargetAt(int x, int y);
  void ReleaseCapture();
  // A modal run shuts this form out: what the pointer held or hovered lets go, as when the system
  // disables a window.
  void CancelInput();
  // Input from the window that a running modal form refuses; a press brings that form forward.
  bool InputShutOut(bool pressed = false);
  // Applies Position as the hidden form is about to show.
  void PlaceByPosition();
  // A maximised embedded form covers its parent.
  void FitEmbedded();

  // Held while the form hands one piece of input to its controls (see TApplication::Release).
  struct TInputScope;
  void InputPointerMoved(int x, int y, unsigned shift) override;
  void InputPointerLeft() override;
  void InputButton(platform::MouseButton button, bool down, int x, int y, unsigned shift) override;
  void InputWheel(int delta, int x, int y, unsigned shift) override;
  void InputKey(int key, bool down, unsigned shift) override;
  void InputCharacter(const std::string& utf8) override;
  void InputFocus(bool focused) override;
  void InputResize(int width, int height) override;
  void InputCloseRequest() override;
  void InputExposed() override;
  void InputMoved(int x, int y) override;
  bool InputIsCaption(int x, int y) override;

  std::unique_ptr<platform::Window> window_;
  TBitmap surface_;
  std::string caption_;
  TAlphaColor color_ = 0xFFF0F0F0;
  std::uint8_t alpha_ = 255;
  bool alphaBlend_ = false;
  TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
  TBorderIcons borderIcons_;
  TWindowState windowState_ = TWindowState::wsNormal;
  TTitleBar titleBar_{*this};
  bool stayOnTop_ = false;
  bool transparentColor_ = false;
  TAlphaColor transparentColorValue_ = 0xFF000000;
  bool menuWindow_ = false;
  TPoint placed_;  // where Moved last found the form
  bool positioned_ = false;
  bool modal_ = false;
  TModalResult modalResult_ = mrNone;
  TWinControl* active_ = nullptr;
  TControl* capture_ = nullptr;
  TControl* pressed_ = nullptr;  // where the left button went down, for Click
  TControl* hover_ = nullptr;
  int buttonsDown_ = 0;
  bool activeWindow_ = false;
  bool dirty_ = true;
  // False once the form is gone: input code learns that a handler freed the form it runs in.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace ui
