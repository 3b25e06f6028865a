// The popup menu: item lists, the menu windows with their blur surface, painting, animation, mouse, keys and closing.
#include "lux/popup_menu.h"

#include <algorithm>
#include <cmath>

#include "lux/graphics.h"
#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "ui/application.h"
#include "ui/canvas.h"
#include "ui/screen.h"

namespace lux {

namespace {

constexpr int MinWidth = 215;
constexpr int ItemHeight = 35;
const char* const CheckGlyph = "\xEE\x9C\xBE";    // U+E73E
const char* const RadioGlyph = "\xEE\xA4\x95";    // U+E915
const char* const ChevronGlyph = "\xEE\x9D\xAC";  // U+E76C
constexpr TColor DisabledText = 8421504;

// A menu window: a form the application does not count among its own (it never becomes the main form).
class TPopupWindow : public ui::TForm {
 public:
  TPopupWindow() : ui::TForm(nullptr, false) {}
};

ui::TAlphaColor Opaque(TColor Color) { return MakeARGB(Color, 255); }

// The width of a text in a font; before the menu has a buffer to draw on, an estimate, so layout and
// hit testing still work.
int MeasureText(ui::TCanvas* Canvas, const ui::TFont& Font, const std::string& Text) {
  if (Text.empty()) return 0;
  if (!Canvas) return static_cast<int>(std::lround(Text.size() * std::abs(Font.Height()) * 0.5));
  Canvas->Font = Font;
  return Canvas->TextWidth(Text);
}

}  // namespace

// ---- FXPopupItems

FXPopupItems::FXPopupItems(FXPopupContainer* AOwner) : TMPersistent(AOwner) {}

int FXPopupItems::IndexOf(const std::string& AText) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[static_cast<std::size_t>(i)]->Text() == AText) return i;
  return -1;
}

int FXPopupItems::IndexOf(const FXPopupContainer* AItem) const {
  auto found = std::find(FItems.begin(), FItems.end(), AItem);
  return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

void FXPopupItems::Add(FXPopupContainer* AItem) {
  if (AItem) FItems.push_back(AItem);
}

void FXPopupItems::Delete(int Index, bool AndFree) {
  FXPopupContainer* item = Item(Index);
  FItems.erase(FItems.begin() + Index);
  if (AndFree) delete item;
}

void FXPopupItems::Clear(bool AndFree) {
  std::vector<FXPopupContainer*> items;
  items.swap(FItems);
  if (AndFree)
    for (FXPopupContainer* item : items) delete item;
}

// ---- FXPopupContainer

FXPopupContainer::FXPopupContainer(ui::TComponent* AOwner)
    : FXComponent(AOwner), FImage(std::make_unique<FXIconSelect>(this)), FItems(std::make_unique<FXPopupItems>(this)) {}

FXPopupContainer::~FXPopupContainer() {
  FItems->Clear(true);
  // An item freed on its own leaves its menu's list, so the menu never paints a freed item.
  if (auto* owner = dynamic_cast<FXPopupContainer*>(Owner()))
    if (int i = owner->FItems->IndexOf(this); i >= 0) owner->FItems->FItems.erase(owner->FItems->FItems.begin() + i);
}

int FXPopupContainer::MenuIndex() const {
  auto* owner = dynamic_cast<FXPopupContainer*>(Owner());
  return owner ? owner->FItems->IndexOf(this) : -1;
}

void FXPopupContainer::SetChecked(bool Value) {
  FChecked = Value;
  if (!FRadioItem || !Value) return;
  auto* owner = dynamic_cast<FXPopupContainer*>(Owner());
  if (!owner) return;
  FXPopupItems& items = *owner->FItems;
  const int at = items.IndexOf(this);
  if (at < 0) return;
  for (int i = at - 1; i >= 0 && items[i]->FRadioItem; --i) items[i]->FChecked = false;
  for (int i = at + 1; i < items.Count() && items[i]->FRadioItem; ++i) items[i]->FChecked = false;
}

// ---- FXPopupComponent

FXPopupComponent::FXPopupComponent(ui::TComponent* AOwner)
    : FXPopupContainer(AOwner),
      FCustomColors(std::make_unique<FXColorSets>(this)),
      FDrawColors(std::make_unique<FXColorSet>(this)),
      FSelf(std::make_shared<FXPopupComponent*>(this)) {
  FText = Name();
}

FXPopupComponent::~FXPopupComponent() {
  *FSelf = nullptr;
  // The animation's frames touch the window: let it end while the window is still there.
  FAnim.reset();
  FItems->Clear(true);
  FGlassBlur = nullptr;
  // One of the window's own handlers may be freeing this component: the window goes once it returned.
  ui::Application().Release(std::move(FForm));
}

bool FXPopupComponent::MenuOpen() const { return FForm && FForm->Visible(); }

FXPopupComponent* FXPopupComponent::OpenSubMenu() const {
  if (!FForm) return nullptr;
  for (int i = 0; i < FItems->Count(); ++i)
    if (auto* item = dynamic_cast<FXPopupComponent*>(FItems->Item(i)); item && item->MenuOpen()) return item;
  return nullptr;
}

bool FXPopupComponent::Selectable(int Index) const {
  if (Index < 0 || Index >= FItems->Count()) return false;
  const FXPopupContainer* item = FItems->Item(Index);
  return dynamic_cast<const FXPopupItem*>(item) && item->Visible() && item->Enabled() && !item->IsSeparator();
}

void FXPopupComponent::UpdateTheme(bool UpdateChildren) {
  if (auto* owner = dynamic_cast<FXPopupComponent*>(Owner()); owner && !dynamic_cast<FXPopupMenu*>(this)) {
    FAnimType = owner->FAnimType;
    FDrawColors->SetBackGround(owner->FDrawColors->BackGround());
    FDrawColors->SetForeGround(owner->FDrawColors->ForeGround());
    FDrawColors->SetAccent(owner->FDrawColors->Accent());
  } else if (FCustomColors->Enabled()) {
    FDrawColors->LoadFrom(*FCustomColors, ThemeManager().DarkTheme());
    if (FGlassBlur) FGlassBlur->SetCustomColors(*FCustomColors);
  } else {
    FDrawColors->SetBackGround(ThemeManager().SystemColor->BackGroundInterior());
    FDrawColors->SetForeGround(ThemeManager().SystemColor->ForeGround());
    FDrawColors->SetAccent(ThemeManager().AccentColor());
  }
  if (!IsLoading() && FGlassBlur) FGlassBlur->ReDraw();
  if (MenuOpen() && UpdateChildren)
    for (int i = 0; i < FItems->Count(); ++i)
      if (auto* control = dynamic_cast<FXControl*>(FItems->Item(i))) control->UpdateTheme(UpdateChildren);
}

void FXPopupComponent::CreateWindow() {
  FXPopupMenu* root = FParentMenu ? FParentMenu : dynamic_cast<FXPopupMenu*>(this);
  FForm = std::make_unique<TPopupWindow>();
  ui::TForm& form = *FForm;
  form.SetBounds(FDropPoint.X, FDropPoint.Y, MinWidth, form.Height());
  form.SetAlphaBlend(true);
  form.SetCaption("Popup Menu");
  form.SetBorderStyle(ui::TFormBorderStyle::bsNone);
  form.SetMenuWindow(true);
  form.SetTransparentColorValue(MakeARGB(PopupTransparentColor, 255));
  form.SetTransparentColor(true);
  form.SetStayOnTop(true);
  form.Font.SetName(ThemeManager().FormFont());
  if (ThemeManager().FormFontHeight() > 0) form.Font.SetHeight(ThemeManager().FormFontHeight());
  FNormalHeight = 0;
  FNormalWidth = 0;
  // A window released by its own handler outlives its component, or is no longer its window: its
  // later events reach nothing.
  auto owner = [self = std::weak_ptr<FXPopupComponent*>(FSelf), window = &form]() -> FXPopupComponent* {
    const auto alive = self.lock();
    return alive && *alive && (*alive)->FForm.get() == window ? *alive : nullptr;
  };
  form.OnShow = [owner](ui::TForm&) {
    if (auto* c = owner()) c->FormShow();
  };
  form.OnActivate = [owner](ui::TForm&) {
    if (auto* c = owner()) c->FormActivate();
  };
  form.OnDeactivate = [owner](ui::TForm&) {
    if (auto* c = owner()) c->FormDeactivate();
  };
  form.OnKeyDown = [owner](ui::TWinControl&, int& Key, ui::TShiftState) {
    if (auto* c = owner()) c->FormKeyDown(Key);
  };

  FGlassBlur = new FXBlurMaterial(&form);
  FXBlurMaterial& blur = *FGlassBlur;
  blur.SetParent(&form);
  blur.SetAlign(ui::TAlign::alClient);
  blur.SetVersion(root && root->FFlatMenu ? FXBlurVersion::None : FXBlurVersion::Screenshot);
  if (root) blur.SetCustomColors(*root->FCustomColors);
  blur.UpdateTheme(false);
  blur.SetRefreshMode(FXGlassRefreshMode::Manual);
  blur.OnPaintBuffer = [owner](FXControl*) {
    if (auto* c = owner()) c->PaintItems();
  };
  blur.OnMouseDown = [owner](ui::TControl&, ui::TMouseButton, ui::TShiftState, int, int) {
    auto* c = owner();
    if (!c) return;
    c->FItemPressed = true;
    if (c->FGlassBlur) c->FGlassBlur->ReDraw();
  };
  blur.OnMouseUp = [owner](ui::TControl&, ui::TMouseButton, ui::TShiftState, int, int) {
    if (auto* c = owner()) c->MouseReleased();
  };
  blur.OnMouseMove = [owner](ui::TControl&, ui::TShiftState, int X, int Y) {
    if (auto* c = owner()) c->MouseMoveAt(X, Y);
  };
  blur.OnMouseEnter = [owner](ui::TControl&) {
    auto* c = owner();
    if (!c) return;
    c->FItemPressed = false;
    if (c->FGlassBlur) c->FGlassBlur->ReDraw();
  };
  blur.SyncroniseImage();
}

void FXPopupComponent::OpenMenuAt(TPoint P) {
  FDropPoint = P;
  if (!FForm) CreateWindow();
  else if (FGlassBlur) FGlassBlur->SyncroniseImage();
  if (FParentMenu == this || !FParentPopup)
    if (auto* menu = dynamic_cast<FXPopupMenu*>(this); menu && !menu->MenuOpen()) {
      menu->WatchPresses();
      menu->FFocusedBefore = nullptr;
      for (int i = 0; i < ui::Application().FormCount(); ++i)
        if (ui::Application().Forms(i)->Active()) menu->FFocusedBefore = ui::Application().Forms(i);
    }
  FHoverOver = -1;
  FItemPressed = false;
  if (FForm->Visible()) FormShow();  // already open: it moves to the new point
  else FForm->Show();
  if (FForm) FForm->Update();
}

void FXPopupComponent::FormShow() {
  ui::TForm& form = *FForm;
  int left = FDropPoint.X, top = FDropPoint.Y;
  const TRect D = ui::VirtualDesktop();
  if (!D.IsEmpty()) {
    // Past the right or bottom edge the window opens on the other side of the drop point, and then
    // still keeps within the desktop.
    if (left < D.Left) left = D.Left;
    if (top < D.Top) top = D.Top;
    if (D.Right < left + FNormalWidth) left = FDropPoint.X - FNormalWidth;
    if (D.Bottom < top + FNormalHeight) top = FDropPoint.Y - FNormalHeight;
    left = std::max(std::min(left, D.Right - FNormalWidth), D.Left);
    top = std::max(std::min(top, D.Bottom - FNormalHeight), D.Top);
  }
  form.SetBounds(left, top, form.Width(), form.Height());
  StartAnimation();
}

void FXPopupComponent::StartAnimation() {
  ui::TForm& form = *FForm;
  // A new opening replaces a running one, which is let to end first.
  FAnim.reset();
  FAnimating = false;
  const bool growsUp = form.Top() < FDropPoint.Y;
  const int left = form.Left(), top = form.Top();
  switch (FAnimType) {
    case FXAnimateSelection::Instant:
      form.SetAlphaBlendValue(255);
      form.SetBounds(left, top, FNormalWidth, FNormalHeight);
      return;
    case FXAnimateSelection::Opacity:
      form.SetBounds(left, top, FNormalWidth, FNormalHeight);
      form.SetAlphaBlendValue(0);
      break;
    case FXAnimateSelection::Linear:
    case FXAnimateSelection::Square:
      form.SetAlphaBlendValue(255);
      form.SetBounds(left, top, FNormalWidth, form.Height());
      break;
  }
  auto anim = std::make_unique<TIntAni>();
  anim->SetAniKind(TAniKind::akIn);
  anim->SetAniFunctionKind(TAniFunctionKind::afkQuadratic);
  if (FAnimType == FXAnimateSelection::Opacity) {
    anim->SetStartValue(0);
    anim->SetEndValue(255);
  } else {
    anim->SetDuration(10);
    anim->SetStep(10);
    anim->SetStartValue(FNormalHeight / 8);
    anim->SetEndValue(FNormalHeight);
  }
  const FXAnimateSelection kind = FAnimType;
  anim->SetOnSync([this, kind, growsUp](std::int32_t V) {
    if (!FForm) return;
    ui::TForm& f = *FForm;
    switch (kind) {
      case FXAnimateSelection::Opacity: f.SetAlphaBlendValue(static_cast<std::uint8_t>(std::clamp(V, 0, 255))); break;
      case FXAnimateSelection::Linear:
        f.SetBounds(f.Left(), growsUp ? FDropPoint.Y - V : f.Top(), f.Width(), V);
        break;
      case FXAnimateSelection::Square: {
        const int w = FNormalHeight > 0 ? static_cast<int>(std::trunc(static_cast<double>(V) / FNormalHeight * (FNormalWidth - 50))) + 50
                                        : FNormalWidth;
        f.SetBounds(f.Left(), growsUp ? FDropPoint.Y - V : f.Top(), w, V);
        break;
      }
      case FXAnimateSelection::Instant: break;
    }
    f.Update();
  });
  anim->SetOnDone([this] { FAnimating = false; });
  FAnimating = true;
  FAnim = std::move(anim);
  FAnim->Start();
}

void FXPopupComponent::FormActivate() {
  CloseWindowsForward(false);
}

bool FXPopupComponent::ChainFocused() const {
  for (const FXPopupComponent* c = this; c; c = c->OpenSubMenu())
    if (c->FForm && c->FForm->Active()) return true;
  return false;
}

void FXPopupComponent::FormDeactivate() {
  if (OpenSubMenu()) return;
  // The window that takes the focus learns it only after this one lost it: look once both are told.
  std::weak_ptr<FXPopupComponent*> self = FSelf;
  ui::Application().Queue([self] {
    auto alive = self.lock();
    if (!alive || !*alive) return;
    FXPopupComponent* root = (*alive)->FParentMenu ? (*alive)->FParentMenu : *alive;
    if (!root->MenuOpen() || root->ChainFocused()) return;
    root->CloseWindowsForward(true);
  });
}

void FXPopupComponent::FormKeyDown(int& Key) {
  namespace keys = platform::keys;
  switch (Key) {
    case keys::Return:
    case keys::Space:
      // Only an item the pointer could pick runs: a hidden or disabled one never does.
      if (Selectable(FHoverOver)) ExecuteItem(FHoverOver);
      break;
    case keys::Escape: CloseMenu(false); break;
    case keys::Left:
      if (FParentMenu != this) CloseMenu(false);
      break;
    case keys::Up:
    case keys::Down: {
      const int step = Key == keys::Up ? -1 : 1;
      for (int i = FHoverOver + step; i >= 0 && i < FItems->Count(); i += step)
        if (Selectable(i)) {
          SetHoverOver(i);
          break;
        }
      break;
    }
    case keys::Right:
      if (Selectable(FHoverOver)) OpenItem(FHoverOver);
      break;
    default: return;
  }
  Key = 0;
}

void FXPopupComponent::SetHoverOver(int Value) {
  if (Value == FHoverOver) return;
  FHoverOver = Value;
  if (FGlassBlur) FGlassBlur->ReDraw();
  if (FForm) FForm->Update();
}

void FXPopupComponent::MouseMoveAt(int X, int Y) {
  int index = -1;
  for (int i = 0; i < FItems->Count(); ++i) {
    const FXPopupContainer* item = FItems->Item(i);
    if (dynamic_cast<const FXPopupItem*>(item) && item->Enabled() && item->FBounds.Contains({X, Y})) {
      index = i;
      break;
    }
  }
  if (index == FHoverOver) return;
  SetHoverOver(index);
  if (index < 0) return;
  if (FForm && !FForm->Active()) FForm->Window().Activate();
  if (FXPopupComponent* open = OpenSubMenu()) open->CloseWindowsForward(true);
  auto* item = dynamic_cast<FXPopupComponent*>(FItems->Item(index));
  if (item->OnHover) item->OnHover(item);
  if (item->GetMenuItemCount() > 0 && !item->MenuOpen()) OpenItem(index);
}

void FXPopupComponent::MouseReleased() {
  FItemPressed = false;
  if (FGlassBlur) FGlassBlur->ReDraw();
  if (!Selectable(FHoverOver)) return;
  const int index = FHoverOver;
  auto* item = dynamic_cast<FXPopupComponent*>(FItems->Item(index));
  std::weak_ptr<FXPopupComponent*> self = item->FSelf;
  ExecuteItem(index);
  // The click's handlers may have freed the item or the whole menu.
  if (auto alive = self.lock(); alive && *alive && item->GetMenuItemCount() > 0 && !item->MenuOpen()) {
    std::weak_ptr<FXPopupComponent*> me = FSelf;
    if (auto still = me.lock(); still && *still) OpenItem(index);
  }
}

void FXPopupComponent::ExecuteItem(int Index) {
  auto* item = dynamic_cast<FXPopupComponent*>(FItems->Item(Index));
  if (!item || item->GetMenuItemCount() > 0) return;
  if (item->FAutoCheck) {
    const bool was = item->FChecked;
    if (item->FRadioItem) item->SetChecked(true);
    else item->SetChecked(!was);
    if (item->FChecked != was && item->OnCheck) item->OnCheck(item);
  }
  FXPopupMenu* root = FParentMenu ? FParentMenu : dynamic_cast<FXPopupMenu*>(this);
  if (root) {
    const bool close = item->OnClick ? root->CloseOnExecute : item->FAutoCheck ? root->CloseOnCheck : root->CloseOnNoExecuteClick;
    if (close) CloseWindowsBackwards();
    std::weak_ptr<FXPopupComponent*> alive = item->FSelf;
    if (root->OnItemClick) root->OnItemClick(root, item, Index);
    if (auto still = alive.lock(); !still || !*still) return;
  }
  if (item->OnClick) item->OnClick(item);
}

void FXPopupComponent::OpenItem(int Index) {
  auto* item = dynamic_cast<FXPopupComponent*>(FItems->Item(Index));
  if (!item || !FForm) return;
  item->FEnableRadius = FEnableRadius;
  item->FEnableBorder = FEnableBorder;
  if (item->GetMenuItemCount() == 0) return;
  item->UpdateTheme(false);
  item->FParentPopup = this;
  item->FParentMenu = FParentMenu;
  item->OpenMenuAt({FForm->Left() + FForm->Width() - 10, FForm->Top() + item->FBounds.Top});
}

namespace {
// Whether a window of the menu, open or just closed, still has the focus as far as the program knows.
bool HoldsFocus(FXPopupContainer& Container) {
  if (auto* c = dynamic_cast<FXPopupComponent*>(&Container); c && c->MenuWindow() && c->MenuWindow()->Active()) return true;
  for (int i = 0; i < Container.Items().Count(); ++i)
    if (HoldsFocus(*Container.Items()[i])) return true;
  return false;
}
}  // namespace

void FXPopupComponent::CloseMenu(bool FreeMem) {
  // The focus goes back only from the menu's own windows, never from another program the user turned to.
  const bool giveBack = MenuOpen() && HoldsFocus(*this);
  if (FreeMem) {
    FAnim.reset();
    FAnimating = false;
    FGlassBlur = nullptr;
    // Closed from one of its items' handlers, the window is still handling the click or key.
    ui::Application().Release(std::move(FForm));
  } else if (FForm && FForm->Visible()) {
    FForm->Close();
  }
  if (FParentMenu == this || !FParentPopup)
    if (auto* menu = dynamic_cast<FXPopupMenu*>(this); menu && !menu->MenuOpen()) {
      menu->StopWatchingPresses();
      if (giveBack) menu->ReturnFocus();
    }
}

void FXPopupComponent::CloseWindowsBackwards() {
  FXPopupComponent* top = this;
  for (FXPopupComponent* c = this; c; c = c->FParentPopup) {
    c->CloseMenu(false);
    top = c;
  }
  // Whatever is still open further down the chain goes with it.
  top->CloseWindowsForward(true);
}

void FXPopupComponent::CloseWindowsForward(bool CloseSelf) {
  FXPopupComponent* open = OpenSubMenu();
  if (CloseSelf) CloseMenu(false);
  for (int i = 0; i < FItems->Count(); ++i)
    if (auto* item = dynamic_cast<FXPopupComponent*>(FItems->Item(i)); item && (item == open || item->MenuOpen()))
      item->CloseWindowsForward(true);
}

void FXPopupComponent::PaintItems() {
  if (!FForm || !FGlassBlur) return;
  ui::TForm& form = *FForm;
  ui::TBitmap& buffer = FGlassBlur->Buffer();
  const int W = form.Width();
  const bool canDraw = !buffer.Empty();
  std::unique_ptr<ui::TCanvas> canvasHolder;
  if (canDraw) canvasHolder = std::make_unique<ui::TCanvas>(buffer);
  ui::TCanvas* canvas = canvasHolder.get();

  const TColor fore = FDrawColors->ForeGround();
  form.Font.SetColor(Opaque(fore));
  const bool dark = ThemeManager().DarkTheme();
  const std::uint8_t hoverAlpha = (FItemPressed && !dark) || (!FItemPressed && dark) ? 40 : 20;

  bool hasImages = false, hasChecks = false;
  for (int i = 0; i < FItems->Count(); ++i) {
    const FXPopupContainer* item = FItems->Item(i);
    hasImages = hasImages || item->FImage->Enabled();
    if (item->GetMenuItemCount() == 0 && (item->FAutoCheck || item->FRadioItem || item->FChecked)) hasChecks = true;
  }

  ui::TFont textFont = form.Font;
  ui::TFont smallFont = form.Font;
  smallFont.SetHeight(RoundEven(form.Font.Height() * 2.5 / 3));
  ui::TFont chevronFont = form.Font;
  chevronFont.SetName(ThemeManager().IconFont());
  chevronFont.SetHeight(RoundEven(form.Font.Height() * 2.8 / 3));

  // The window takes the widest item's width: measured first, then painted to it.
  int widest = MinWidth;
  struct TRow {
    int Y = 0;
    int TextWidth = 0, ShortcutWidth = 0, ChevronWidth = 0;
  };
  std::vector<TRow> rows(static_cast<std::size_t>(FItems->Count()));
  int y = 5;
  for (int i = 0; i < FItems->Count(); ++i) {
    FXPopupContainer* item = FItems->Item(i);
    item->FBounds = TRect{};
    if (!item->FVisible) continue;
    TRow& row = rows[static_cast<std::size_t>(i)];
    row.Y = y;
    if (item->IsSeparator()) {
      y += 1;
      continue;
    }
    int x = 20;
    if (hasChecks) x += 35;
    if (item->FImage->Enabled() || (hasImages && !hasChecks)) x += 35;
    ui::TFont f = textFont;
    f.SetStyle({.Bold = item->FDefault});
    row.TextWidth = MeasureText(canvas, f, item->FText);
    x += row.TextWidth + 20;
    if (!item->FShortCut.empty() && item->GetMenuItemCount() == 0) {
      row.ShortcutWidth = MeasureText(canvas, smallFont, item->FShortCut);
      x += row.ShortcutWidth + 20;
    }
    if (item->GetMenuItemCount() > 0) {
      row.ChevronWidth = MeasureText(canvas, chevronFont, ChevronGlyph);
      x += row.ChevronWidth + 20;
    }
    widest = std::max(widest, x);
    y += ItemHeight;
  }
  FNormalWidth = widest;
  for (int i = 0; i < FItems->Count(); ++i) {
    FXPopupContainer* item = FItems->Item(i);
    if (item->FVisible && !item->IsSeparator()) {
      const int top = rows[static_cast<std::size_t>(i)].Y;
      item->FBounds = TRect{10, top, FNormalWidth, top + ItemHeight};
    }
  }

  if (canvas) {
    const FXTextFlags oneLine{FXTextFlag::Center, FXTextFlag::VerticalCenter};
    for (int i = 0; i < FItems->Count(); ++i) {
      FXPopupContainer* item = FItems->Item(i);
      if (!item->FVisible) continue;
      const TRow& row = rows[static_cast<std::size_t>(i)];
      const int top = row.Y;
      if (item->IsSeparator()) {
        GDIFillRect(*canvas, TRect{10, top, W - 10, top + 1}, fore, 100);
        continue;
      }
      const TColor textColor = item->FEnabled ? fore : DisabledText;
      int x = 20;
      if (i == FHoverOver) {
        const FXBrush brush{MakeARGB(fore, hoverAlpha)};
        GDIRoundRect(*canvas, FXRoundRect(TRect{10, top + 2, W - 10, top + 33}, 15), &brush, nullptr);
      }
      if (item->GetMenuItemCount() == 0 && (item->FAutoCheck || item->FChecked || item->FRadioItem) && item->FChecked) {
        const std::string glyph = item->FRadioItem ? RadioGlyph : CheckGlyph;
        ui::TCanvasState state(*canvas);
        canvas->Font = textFont;
        canvas->Font.SetName(ThemeManager().IconFont());
        canvas->Font.SetColor(Opaque(textColor));
        GetMaxFontHeight(*canvas, glyph, 20, ItemHeight);
        DrawTextRect(*canvas, TRect{x, top, x + 20, top + ItemHeight}, glyph, oneLine);
      }
      if (hasChecks) x += 35;
      if (item->FImage->Enabled()) {
        ui::TCanvasState state(*canvas);
        canvas->Font = textFont;
        canvas->Font.SetColor(Opaque(textColor));
        item->FImage->DrawIcon(*canvas, TRect{x, top, x + 20, top + ItemHeight});
      }
      if (item->FImage->Enabled() || (hasImages && !hasChecks)) x += 35;
      {
        ui::TCanvasState state(*canvas);
        canvas->Font = textFont;
        canvas->Font.SetStyle({.Bold = item->FDefault});
        canvas->Font.SetColor(Opaque(textColor));
        DrawTextRect(*canvas, TRect{x, top, x + row.TextWidth, top + ItemHeight}, item->FText, oneLine);
      }
      if (row.ShortcutWidth > 0) {
        ui::TCanvasState state(*canvas);
        canvas->Font = smallFont;
        canvas->Font.SetColor(Opaque(textColor));
        DrawTextRect(*canvas, TRect{W - row.ShortcutWidth - 20, top, W - 20, top + ItemHeight}, item->FShortCut, oneLine);
      }
      if (row.ChevronWidth > 0) {
        ui::TCanvasState state(*canvas);
        canvas->Font = chevronFont;
        canvas->Font.SetColor(Opaque(fore));
        DrawTextRect(*canvas, TRect{W - row.ChevronWidth - 20, top, W - 20, top + ItemHeight}, ChevronGlyph, oneLine);
      }
    }
  }

  y += 5;
  FNormalHeight = y;
  if (y != form.Height() && !FAnimating) form.SetBounds(form.Left(), form.Top(), form.Width(), y);

  if (FEnableRadius && !buffer.Empty()) {
    // Every pixel outside the rounded corners takes the key colour exactly, so the window is cut there.
    const ui::TPixel key = ui::Premultiply(MakeARGB(PopupTransparentColor, 255));
    const int BW = buffer.Width(), BH = buffer.Height();
    const double r = 29 / 2.0;
    for (int cy = 0; cy < std::min(15, BH); ++cy)
      for (int cx = 0; cx < std::min(15, BW); ++cx) {
        const double dx = r - (cx + 0.5), dy = r - (cy + 0.5);
        if (dx * dx + dy * dy <= r * r) continue;
        buffer.SetPixel(cx, cy, key);
        if (BW - 1 - cx >= 0) buffer.SetPixel(BW - 1 - cx, cy, key);
        if (BH - 1 - cy >= 0) buffer.SetPixel(cx, BH - 1 - cy, key);
        if (BW - 1 - cx >= 0 && BH - 1 - cy >= 0) buffer.SetPixel(BW - 1 - cx, BH - 1 - cy, key);
      }
    if (FEnableBorder && canvas) {
      const FXPen pen{MakeARGB(FDrawColors->Accent(), 255), 1};
      GDIRoundRect(*canvas, FXRoundRect(TRect{0, 0, BW, BH}, 29), nullptr, &pen);
    }
  }
}

// ---- FXPopupMenu

FXPopupMenu::FXPopupMenu(ui::TComponent* AOwner) : FXPopupComponent(AOwner) {
  FAnimType = FXAnimateSelection::Linear;
  FParentMenu = this;
  UpdateTheme(false);
}

FXPopupMenu::~FXPopupMenu() { StopWatchingPresses(); }

void FXPopupMenu::PopupAtPoint(TPoint Point) {
  bool CanPopup = true;
  if (OnBeforePopup) OnBeforePopup(this, CanPopup, Point);
  if (!CanPopup) return;
  OpenMenuAt(Point);
  if (OnPopup) OnPopup(this);
}

void FXPopupMenu::PopupAtCursor() { PopupAtPoint(ui::CursorPos()); }

void FXPopupMenu::WatchPresses() {
  if (FPressWatcher) return;
  std::weak_ptr<FXPopupComponent*> self = FSelf;
  FPressWatcher = ui::Application().AddPressWatcher([self](ui::TForm& Form) {
    auto alive = self.lock();
    if (!alive || !*alive) return;
    FXPopupComponent* root = *alive;
    for (const FXPopupComponent* c = root; c; c = c->OpenSubMenu())
      if (c->MenuWindow() == &Form) return;
    root->CloseWindowsForward(true);
  });
}

void FXPopupMenu::ReturnFocus() {
  ui::TForm* before = FFocusedBefore;
  FFocusedBefore = nullptr;
  // Without a window manager (and on some with one) a hidden window's focus goes nowhere; the window
  // the menu was opened from takes the keys again. A window freed meanwhile is no longer listed.
  if (!before) return;
  for (int i = 0; i < ui::Application().FormCount(); ++i)
    if (ui::Application().Forms(i) == before) {
      if (before->Visible() && !before->Embedded() && !before->Active()) before->Window().Activate();
      return;
    }
}

void FXPopupMenu::StopWatchingPresses() {
  if (!FPressWatcher) return;
  ui::Application().RemovePressWatcher(FPressWatcher);
  FPressWatcher = 0;
}

}  // namespace lux
