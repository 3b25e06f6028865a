// Forms: top-level controls over a window of the seam, with focus, modal runs and closing.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/window.h"
#include "ui/bitmap.h"
#include "ui/controls.h"

namespace ui {

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrClose = 8;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

// Where a form is placed when it is shown: where its bounds say (poDesigned), or by a rule.
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                       poMainFormCenter, poOwnerFormCenter };

class TForm : public TWinControl, private platform::WindowInput {
 public:
  // The window comes from the seam's current backend.
  explicit TForm(TComponent* owner);
  ~TForm() override;

  platform::Window& Window() { return *window_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height(); }
  void SetClientSize(int width, int height);
  TAlphaColor Color() const { return color_; }
  void SetColor(TAlphaColor value);
  std::uint8_t AlphaBlendValue() const { return alpha_; }
  void SetAlphaBlendValue(std::uint8_t value);
  bool StayOnTop() const { return stayOnTop_; }
  void SetStayOnTop(bool value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition value) { position_ = value; }
  TFont Font;

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
  // Paints and presents now.
  void Repaint();
  const TBitmap& Surface() const { return surface_; }

  std::function<void(TForm&, bool& canClose)> OnCloseQuery;
  std::function<void(TForm&, TCloseAction& action)> OnClose;
  std::function<void(TForm&)> OnActivate;
  std::function<void(TForm&)> OnDeactivate;
  std::function<void(TForm&)> OnShow;
  std::function<void(TForm&)> OnHide;

 protected:
  void PaintSelf(TCanvas& canvas) override;
  void BoundsChanged(int oldWidth, int oldHeight) override;

 private:
  TPosition position_ = TPosition::poDesigned;
  friend class TControl;
  void InvalidateForm() { dirty_ = true; }
  // A control is going away, hiding or being disabled: it lets go of the focus, capture and hover.
  void ControlGoing(TControl* control);
  TControl* TargetAt(int x, int y);
  void ReleaseCapture();

  void InputPointerMoved(int x, int y, unsigned shift) override;
  void InputPointerLeft() override;
  void InputButton(platform::MouseButton button, bool down, int x, int y, unsigned shift) override;
  void InputWheel(int delta, int x, int y, unsigned shift) override;
  void InputKey(int key, bool down, unsigned shift) override;
  void InputCharacter(const std::string& utf8) override;
  void InputFocus(bool focused) override;
  void InputResize(int width, int height) override;
  void InputCloseRequest() override;

  std::unique_ptr<platform::Window> window_;
  TBitmap surface_;
  std::string caption_;
  TAlphaColor color_ = 0xFFF0F0F0;
  std::uint8_t alpha_ = 255;
  bool stayOnTop_ = false;
  bool modal_ = false;
  TModalResult modalResult_ = mrNone;
  TWinControl* active_ = nullptr;
  TControl* capture_ = nullptr;
  TControl* pressed_ = nullptr;  // where the left button went down, for Click
  TControl* hover_ = nullptr;
  int buttonsDown_ = 0;
  bool activeWindow_ = false;
  bool dirty_ = true;
};

}  // namespace ui
