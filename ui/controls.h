// Components and the control tree: ownership, bounds, alignment, anchors, focus order, hit testing,
// input and painting of windowed, graphic and custom controls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"
#include "ui/canvas.h"
#include "ui/types.h"

namespace ui {

using TMouseButton = platform::MouseButton;
using TShiftState = unsigned;  // platform::ShiftBits
using TCursor = platform::Cursor;

// A component is freed by its owner, which keeps the components it owns in creation order. One made
// without an owner belongs to whoever made it. Freeing a component earlier takes it off its owner's list.
class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(index); }
  // The position in its owner's list, -1 without an owner.
  int ComponentIndex() const;
  TComponent* FindComponent(const std::string& name) const;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t value) { tag_ = value; }
  bool Destroying() const { return destroying_; }

 protected:
  // Frees the owned components now, newest first; derived destructors call it while their own
  // parts still exist, so the components can detach from them.
  void DestroyComponents();

 private:
  TComponent* owner_;
  std::vector<TComponent*> components_;
  std::string name_;
  std::intptr_t tag_ = 0;
  bool destroying_ = false;
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

struct TAnchors {
  bool Left = true, Top = true, Right = false, Bottom = false;
  friend bool operator==(const TAnchors&, const TAnchors&) = default;
};

struct TMargins {
  int Left = 3, Top = 3, Right = 3, Bottom = 3;
  friend bool operator==(const TMargins&, const TMargins&) = default;
};

// Space a windowed control keeps free inside its edges when it aligns its children.
struct TPadding {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TPadding&, const TPadding&) = default;
};

// Limits of a control's size; 0 sets no limit.
struct TSizeConstraints {
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
  friend bool operator==(const TSizeConstraints&, const TSizeConstraints&) = default;
};

class TWinControl;
class TForm;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  // Takes the control off its old parent's list and puts it on top of the new one's.
  void SetParent(TWinControl* value);
  // The form the control sits on, or null while it is not on one.
  TForm* ParentForm() const;

  int Left() const { return bounds_.Left; }
  int Top() const { return bounds_.Top; }
  int Width() const { return bounds_.Width(); }
  int Height() const { return bounds_.Height(); }
  // In the parent's client coordinates.
  TRect BoundsRect() const { return bounds_; }
  TRect ClientRect() const { return {0, 0, Width(), Height()}; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int value) { SetBounds(value, Top(), Width(), Height()); }
  void SetTop(int value) { SetBounds(Left(), value, Width(), Height()); }
  void SetWidth(int value) { SetBounds(Left(), Top(), value, Height()); }
  void SetHeight(int value) { SetBounds(Left(), Top(), Width(), value); }

  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);
  const TAnchors& Anchors() const { return anchors_; }
  void SetAnchors(const TAnchors& value) { anchors_ = value; }
  const TMargins& Margins() const { return margins_; }
  void SetMargins(const TMargins& value);
  bool AlignWithMargins() const { return alignWithMargins_; }
  void SetAlignWithMargins(bool value);
  const TSizeConstraints& Constraints() const { return constraints_; }
  // Takes effect at once on the current size.
  void SetConstraints(const TSizeConstraints& value);

  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value) { cursor_ = value; }
  // Whether the pointer finds this control at all (false lets it through to what lies beneath).
  bool HitTest() const { return hitTest_; }
  void SetHitTest(bool value) { hitTest_ = value; }

  virtual bool IsWindowed() const { return false; }
  // Visible and enabled along the whole parent chain.
  bool Showing() const;
  bool EnabledInTree() const;

  // The control's client origin in the form's coordinates.
  TPoint OriginOnForm() const;
  TPoint FormToClient(TPoint p) const;

  // Asks the form to paint the control again before it next presents.
  virtual void Invalidate();

  // Input, already in the control's client coordinates.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  // Answers whether the control used the wheel; an unused turn goes on to the parent.
  virtual bool MouseWheel(TShiftState shift, int delta, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Click();
  // A notification without data from the form or a parent (a program's own message number).
  virtual void Notify(unsigned message);
  // Moves the control above its siblings of the same kind.
  void BringToFront();

  std::function<void(TControl&)> OnClick;
  std::function<void(TControl&, TMouseButton, TShiftState, int, int)> OnMouseDown;
  std::function<void(TControl&, TShiftState, int, int)> OnMouseMove;
  std::function<void(TControl&, TMouseButton, TShiftState, int, int)> OnMouseUp;
  std::function<void(TControl&, TShiftState, int delta, int x, int y, bool& handled)> OnMouseWheel;
  std::function<void(TControl&)> OnMouseEnter;
  std::function<void(TControl&)> OnMouseLeave;
  std::function<void(TControl&)> OnResize;

 protected:
  friend class TWinControl;
  friend class TForm;
  // The bounds changed; the old size is given so windowed controls can move their anchored children.
  virtual void BoundsChanged(int oldWidth, int oldHeight);
  // Paints the control on `canvas`, already moved to its client origin and clipped to it.
  virtual void PaintControl(TCanvas& canvas);
  // Enabled has just changed; the toolkit repaints, and controls whose look follows it re-resolve it.
  virtual void EnabledChanged();
  // The size constraints have just changed (a form passes them on to its window).
  virtual void ConstraintsChanged() {}
  // Visible has just changed.
  virtual void VisibleChanged() {}
  void RequestRealign();

 private:
  TWinControl* parent_ = nullptr;
  TRect bounds_;
  TAlign align_ = TAlign::alNone;
  TAnchors anchors_;
  TMargins margins_;
  bool alignWithMargins_ = false;
  TSizeConstraints constraints_;
  bool visible_ = true;
  bool enabled_ = true;
  bool hitTest_ = true;
  std::string hint_;
  TCursor cursor_ = TCursor::Arrow;
};

// A windowless control painted with its parent's canvas, beneath the parent's windowed children.
class TGraphicControl : public TControl {
 public:
  using TControl::TControl;
  // The canvas while painting; null otherwise.
  TCanvas* Canvas() const { return canvas_; }
  std::function<void(TGraphicControl&)> OnPaint;

 protected:
  virtual void Paint();
  void PaintControl(TCanvas& canvas) override;

 private:
  TCanvas* canvas_ = nullptr;
};

// A control that holds others, takes the focus and handles keys.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  bool IsWindowed() const override { return true; }

  // Children in z-order, bottom first.
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(index); }

  // The windowed children in the order Tab visits them.
  int TabOrder() const;
  void SetTabOrder(int value);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value) { tabStop_ = value; }
  bool CanFocus() const;
  bool Focused() const;
  // Makes this the active control of its form.
  void SetFocus();

  // The deepest visible child (or this) at a point in client coordinates whose HitTest lets it be
  // found; windowed children lie above graphic ones, later children above earlier ones.
  TControl* ControlAtPos(TPoint p);
  // The next control Tab (or Shift+Tab when !forward) reaches from `current` among this one's
  // descendants, wrapping around; null when none can take the focus.
  TWinControl* FindNextControl(TWinControl* current, bool forward) const;

  const TPadding& Padding() const { return padding_; }
  void SetPadding(const TPadding& value);
  // Lays the aligned children out again.
  void Realign();
  // Sends the notification to every child and their children, bottom first.
  void Broadcast(unsigned message);

  // Called before focus navigation sees a key; true keeps the key for the control.
  virtual bool WantsKey(int key, TShiftState shift);
  virtual void KeyDown(int& key, TShiftState shift);
  virtual void KeyUp(int& key, TShiftState shift);
  virtual void KeyPress(const std::string& character);
  virtual void DoEnter();
  virtual void DoExit();

  std::function<void(TWinControl&, int&, TShiftState)> OnKeyDown;
  std::function<void(TWinControl&, int&, TShiftState)> OnKeyUp;
  std::function<void(TWinControl&, const std::string&)> OnKeyPress;
  std::function<void(TWinControl&)> OnEnter;
  std::function<void(TWinControl&)> OnExit;

 protected:
  void BoundsChanged(int oldWidth, int oldHeight) override;
  void PaintControl(TCanvas& canvas) override;
  // The area aligned children share, before the padding; a scrolling container answers its content
  // area, which moves with the scroll position.
  virtual TRect AlignArea() const { return ClientRect(); }
  // Paints the control's own surface before its children.
  virtual void PaintSelf(TCanvas& canvas);

 private:
  friend class TControl;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void AlignControls();
  void CollectTabStops(std::vector<TWinControl*>& out) const;

  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tabList_;
  TPadding padding_;
  bool tabStop_ = false;
  bool aligning_ = false;
};

// A windowed control that paints itself on its own canvas.
class TCustomControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
  // The canvas while painting; null otherwise.
  TCanvas* Canvas() const { return canvas_; }
  std::function<void(TCustomControl&)> OnPaint;

 protected:
  virtual void Paint();
  void PaintSelf(TCanvas& canvas) override;

 private:
  TCanvas* canvas_ = nullptr;
};

// A plain container that fills itself with its colour.
class TPanel : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  // With ParentColor on, the parent's colour (a panel's or a form's) as it is now, so the panel follows
  // every change of it; otherwise, or on a parent of another kind, the panel's own.
  TAlphaColor Color() const;
  // Also turns ParentColor off.
  void SetColor(TAlphaColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);

 protected:
  void Paint() override;

 private:
  TAlphaColor color_ = 0xFFF0F0F0;
  bool parentColor_ = false;
};

}  // namespace ui
