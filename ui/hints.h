// Hint windows: the small popup that shows a control's hint after the pointer rests on it, and the
// application-wide class they are made from.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>

#include "ui/forms.h"
#include "ui/timer.h"

namespace ui {

// How a window is to be made: the style bits a hint window class may take away.
struct TCreateParams {
  bool Border = true;      // a one-pixel system frame
  bool DropShadow = true;  // the system's shadow under the window
};

class THintWindow : public TForm {
 public:
  explicit THintWindow(TComponent* owner);
  ~THintWindow() override;

  // The window's rectangle (from the origin) for `hint` wrapped within `maxWidth`.
  virtual TRect CalcHintRect(int maxWidth, const std::string& hint, const void* data);
  // Shows `hint` in a window at `rect` (screen pixels) without taking the focus from the active form.
  virtual void ActivateHint(const TRect& rect, const std::string& hint);
  void ReleaseHint();
  // The creation parameters the window was shown with.
  const TCreateParams& Params() const { return params_; }

 protected:
  // Called before the window first shows; a class removes the style bits it does not want.
  virtual void CreateParams(TCreateParams& params);
  // Paints the client area; the hint's text is the window's caption.
  virtual void Paint();
  void PaintSelf(TCanvas& canvas) override;
  TCanvas* Canvas() const { return canvas_; }

 private:
  friend class THintController;
  TCanvas* canvas_ = nullptr;
  std::function<void()> gone_;  // tells the application its hint window is freed with its owner
  TCreateParams params_;
  bool created_ = false;
};

// A hint window class: the type the application makes its hint windows of.
struct THintWindowClass {
  const std::type_info* Type = &typeid(THintWindow);
  std::function<THintWindow*(TComponent* owner)> Make = [](TComponent* owner) { return new THintWindow(owner); };

  template <class T>
  static THintWindowClass Of() {
    return {&typeid(T), [](TComponent* owner) -> THintWindow* { return new T(owner); }};
  }
};

// The application's hint timing and its one hint window.
class THintController {
 public:
  explicit THintController(TApplication& app);
  ~THintController();
  THintController(const THintController&) = delete;
  THintController& operator=(const THintController&) = delete;

  void MouseMove(TControl* control, TPoint screen);
  void Cancel();
  void Show();
  void Hide();
  // A control going away takes the hint shown or waiting for it along.
  void Going(TControl* going);
  THintWindow* Visible() const;

  THintWindowClass class_;

 private:
  TApplication& app_;
  TTimer pause_;
  TTimer hide_;
  TControl* control_ = nullptr;
  TPoint pointer_;
  THintWindow* window_ = nullptr;
};

}  // namespace ui
