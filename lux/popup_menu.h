// FXPopupMenu: the framework's context menu, with its items, sub-menus and the windows they open in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lux/animations.h"
#include "lux/blur_material.h"
#include "lux/classes.h"
#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/controls.h"
#include "lux/types.h"
#include "ui/forms.h"

namespace lux {

class FXPopupContainer;
class FXPopupComponent;
class FXPopupMenu;

// The handler may cancel the opening (CanPopup := false) or move it (Point, in screen pixels).
using TOnBeforePopup = std::function<void(ui::TComponent* Sender, bool& CanPopup, TPoint& Point)>;
using TOnItemClick = std::function<void(ui::TComponent* Sender, FXPopupComponent* Item, int Index)>;

// The items of a menu or of an item's sub-menu. The list does not own them: their owner component does.
class FXPopupItems : public TMPersistent {
 public:
  explicit FXPopupItems(FXPopupContainer* AOwner);

  int Count() const { return static_cast<int>(FItems.size()); }
  FXPopupContainer* Item(int Index) const { return FItems.at(static_cast<std::size_t>(Index)); }
  FXPopupContainer* operator[](int Index) const { return Item(Index); }
  // The first item whose Text equals AText, else -1.
  int IndexOf(const std::string& AText) const;
  int IndexOf(const FXPopupContainer* AItem) const;
  void Add(FXPopupContainer* AItem);
  void Delete(int Index, bool AndFree);
  void Clear(bool AndFree);

 private:
  friend class FXPopupContainer;
  std::vector<FXPopupContainer*> FItems;
};

class FXPopupContainer : public FXComponent {
 public:
  explicit FXPopupContainer(ui::TComponent* AOwner);
  // Frees the image and every item; leaves the list of a container that holds it.
  ~FXPopupContainer() override;

  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value) { FText = Value; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  bool Checked() const { return FChecked; }
  // A radio item unchecks its contiguous radio neighbours, without events.
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  bool IsDefault() const { return FDefault; }
  void SetIsDefault(bool Value) { FDefault = Value; }
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value) { FRadioItem = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }
  FXIconSelect& Image() { return *FImage; }
  void SetImage(const FXIconSelect& Value) { FImage->Assign(Value); }
  FXPopupItems& Items() { return *FItems; }
  const FXPopupItems& Items() const { return *FItems; }
  const std::string& Shortcut() const { return FShortCut; }
  void SetShortcut(const std::string& Value) { FShortCut = Value; }
  bool IsSeparator() const { return FText == "-"; }
  // Writing false leaves the text as it is.
  void SetIsSeparator(bool Value) {
    if (Value) FText = "-";
  }
  // The position in the owner's Items; -1 when the owner is not a popup container.
  int MenuIndex() const;
  // Where the item was last painted, in its menu window's client pixels (empty when it was not).
  TRect Bounds() const { return FBounds; }
  int GetMenuItemCount() const { return FItems->Count(); }

  TNotifyEvent OnClick;
  TNotifyEvent OnHover;
  TNotifyEvent OnCheck;

 protected:
  friend class FXPopupComponent;
  std::string FText;
  std::string FHint;
  bool FAutoCheck = false;
  bool FChecked = false;
  bool FEnabled = true;
  bool FDefault = false;
  bool FRadioItem = false;
  bool FVisible = true;
  std::unique_ptr<FXIconSelect> FImage;
  std::unique_ptr<FXPopupItems> FItems;
  std::string FShortCut;
  TRect FBounds{};
};

// A container that can open its items in a window of its own: the menu itself, or an item's sub-menu.
class FXPopupComponent : public FXPopupContainer, public FXControl {
 public:
  explicit FXPopupComponent(ui::TComponent* AOwner);
  // Waits for a running opening animation, then frees the window.
  ~FXPopupComponent() override;

  // Frees the window when FreeMem (it is made again at the next opening), else hides it.
  void CloseMenu(bool FreeMem);
  // Closes this window and every window that opened it, up to the root menu's, with every sub-menu.
  void CloseWindowsBackwards();
  // Closes this window when CloseSelf, and the chain of sub-menus open from it.
  void CloseWindowsForward(bool CloseSelf);

  bool IsContainer() override { return true; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

  // The menu window and its surface, null until the first opening (and after CloseMenu(true)).
  ui::TForm* MenuWindow() const { return FForm.get(); }
  FXBlurMaterial* GlassBlur() const { return FGlassBlur; }
  bool MenuOpen() const;
  // The highlighted item's index, -1 for none.
  int HoverOver() const { return FHoverOver; }
  bool ItemPressed() const { return FItemPressed; }
  // The menu window's size as the last paint found it.
  int NormalWidth() const { return FNormalWidth; }
  int NormalHeight() const { return FNormalHeight; }
  TPoint DropPoint() const { return FDropPoint; }
  const FXColorSet& DrawColors() const { return *FDrawColors; }
  FXAnimateSelection AnimationType() const { return FAnimType; }
  // Whether the opening animation is still playing.
  bool Animating() const { return FAnimating; }
  // The item whose sub-menu window is open from this window, or null.
  FXPopupComponent* OpenSubMenu() const;
  FXPopupMenu* RootMenu() const { return FParentMenu; }
  FXPopupComponent* ParentPopup() const { return FParentPopup; }

 protected:
  friend class FXPopupMenu;
  // Opens this component's window at a screen point.
  void OpenMenuAt(TPoint P);
  void OpenItem(int Index);
  void ExecuteItem(int Index);

  std::unique_ptr<TIntAni> FAnim;
  FXAnimateSelection FAnimType = FXAnimateSelection::Linear;
  FXPopupComponent* FParentPopup = nullptr;
  FXPopupMenu* FParentMenu = nullptr;
  std::int32_t FNormalHeight = 0;
  std::int32_t FNormalWidth = 0;
  TPoint FDropPoint{};
  std::unique_ptr<ui::TForm> FForm;
  FXBlurMaterial* FGlassBlur = nullptr;
  std::unique_ptr<FXColorSets> FCustomColors;
  std::unique_ptr<FXColorSet> FDrawColors;
  std::int32_t FHoverOver = -1;
  bool FItemPressed = false;
  bool FFlatMenu = false;
  bool FEnableRadius = true;
  bool FEnableBorder = true;

 private:
  void CreateWindow();
  void FormShow();
  void FormActivate();
  void FormDeactivate();
  void FormKeyDown(int& Key);
  void MouseMoveAt(int X, int Y);
  void MouseReleased();
  void SetHoverOver(int Value);
  // An item the pointer and the keys may land on: a visible, enabled item that is not a separator.
  bool Selectable(int Index) const;
  void PaintItems();
  void StartAnimation();
  // Whether this window or one down its chain of open sub-menus has the focus.
  bool ChainFocused() const;

  bool FAnimating = false;
  // Lets a check queued for later find out that the component is gone.
  std::shared_ptr<FXPopupComponent*> FSelf;
};

class FXPopupItem : public FXPopupComponent {
 public:
  using FXPopupComponent::FXPopupComponent;
};

class FXPopupMenu : public FXPopupComponent, public FXContextMenu {
 public:
  explicit FXPopupMenu(ui::TComponent* AOwner);
  ~FXPopupMenu() override;

  TNotifyEvent OnPopup;
  TOnBeforePopup OnBeforePopup;
  TOnItemClick OnItemClick;

  FXColorSets& CustomColors() { return *FCustomColors; }
  bool FlatMenu() const { return FFlatMenu; }
  void SetFlatMenu(bool Value) { FFlatMenu = Value; }
  void SetAnimationType(FXAnimateSelection Value) { FAnimType = Value; }
  bool EnableBorder() const { return FEnableBorder; }
  void SetEnableBorder(bool Value) { FEnableBorder = Value; }
  bool EnableRadius() const { return FEnableRadius; }
  void SetEnableRadius(bool Value) { FEnableRadius = Value; }
  bool CloseOnCheck = false;
  bool CloseOnExecute = true;
  bool CloseOnNoExecuteClick = true;

  // Opens at a screen point, after OnBeforePopup has had its say; OnPopup follows the opening.
  void PopupAtPoint(TPoint Point) override;
  void Popup(int X, int Y) { PopupAtPoint({X, Y}); }
  void PopupAtCursor();

 private:
  friend class FXPopupComponent;
  // Closes the chain on a press in any window outside it, while the menu is open.
  void WatchPresses();
  void StopWatchingPresses();
  // Gives the focus back to the window that had it when the menu opened, if it is still there.
  void ReturnFocus();
  std::uint64_t FPressWatcher = 0;
  ui::TForm* FFocusedBefore = nullptr;
};

// The colour of the menu's see-through pixels.
constexpr TColor PopupTransparentColor = 16711811;

}  // namespace lux
