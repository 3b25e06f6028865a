// The popup menu on the headless screen: items, placement, animation, pointer, keys, closing and its users.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "lux/blur_material.h"
#include "lux/button.h"
#include "lux/edit.h"
#include "lux/popup_menu.h"
#include "lux/theme_manager.h"
#include "platform/headless_window.h"
#include "screen.h"
#include "ui/application.h"
#include "ui/forms.h"

namespace {

using namespace lux;
using namespace std::chrono_literals;
namespace keys = platform::keys;
using B = platform::MouseButton;

constexpr std::uint32_t Desk = 0xFF3060A0;

using testsupport::Screen;

class PopupMenu : public testing::Test {
 protected:
  void SetUp() override {
    ui::Application();
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    // A small screen: every opening captures and blurs all of it.
    platform::SetHeadlessMonitor({0, 0, 1024, 768});
    platform::ScreenImage desk;
    desk.width = 1024;
    desk.height = 768;
    desk.pixels.assign(1024u * 768u, Desk);
    platform::SetHeadlessScreen(desk);
    ForgetBlurImages();
    app = std::make_unique<ui::TForm>(nullptr);
    app->SetBounds(100, 100, 400, 300);
    app->Show();
    menu = std::make_unique<FXPopupMenu>(nullptr);
    menu->SetAnimationType(FXAnimateSelection::Instant);
  }
  void TearDown() override {
    menu.reset();
    app.reset();
    platform::SetHeadlessScreen({});
    ForgetBlurImages();
    ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto);
  }
  FXPopupItem* Add(FXPopupComponent& to, const std::string& text) {
    auto* item = new FXPopupItem(&to);
    item->SetText(text);
    to.Items().Add(item);
    return item;
  }
  // Opens the menu and lets its opening animation play to its end.
  void Open(int x, int y) {
    menu->Popup(x, y);
    ASSERT_TRUE(ui::Application().RunUntil([&] { return !menu->Animating(); }, 20s));
  }
  platform::HeadlessWindow& MenuScreen(FXPopupComponent& c) { return Screen(*c.MenuWindow()); }
  // A point inside item `index` of a menu window, in its client pixels.
  ui::TPoint At(FXPopupComponent& c, int index) {
    const TRect b = c.Items()[index]->Bounds();
    return {b.Left + 20, b.Top + 17};
  }
  void Click(FXPopupComponent& c, int index) {
    const ui::TPoint p = At(c, index);
    MenuScreen(c).MoveTo(p.X, p.Y);
    MenuScreen(c).Click(p.X, p.Y);
  }
  std::unique_ptr<ui::TForm> app;
  std::unique_ptr<FXPopupMenu> menu;
};

class PopupMenuDrawn : public PopupMenu {};

TEST_F(PopupMenu, ItemListAndItemProperties) {
  FXPopupItem* a = Add(*menu, "Open");
  FXPopupItem* b = Add(*menu, "Save");
  FXPopupItem* c = Add(*menu, "Open");
  EXPECT_EQ(menu->Items().IndexOf("Open"), 0);
  EXPECT_EQ(menu->Items().IndexOf("Close"), -1);
  EXPECT_EQ(c->MenuIndex(), 2);
  FXPopupItem loose(nullptr);
  EXPECT_EQ(loose.MenuIndex(), -1);

  b->SetIsSeparator(true);
  EXPECT_EQ(b->Text(), "-");
  b->SetIsSeparator(false);
  EXPECT_EQ(b->Text(), "-");
  EXPECT_TRUE(b->IsSeparator());

  // An item freed on its own leaves the list; Delete and Clear free only when asked.
  delete a;
  EXPECT_EQ(menu->Items().Count(), 2);
  EXPECT_EQ(c->MenuIndex(), 1);
  menu->Items().Delete(0, false);
  EXPECT_EQ(menu->Items().Count(), 1);
  delete b;
  menu->Items().Clear(true);
  EXPECT_EQ(menu->Items().Count(), 0);
  EXPECT_EQ(menu->ComponentCount(), 0);
}

TEST_F(PopupMenu, RadioItemsExcludeTheirContiguousNeighbours) {
  FXPopupItem* r1 = Add(*menu, "One");
  FXPopupItem* r2 = Add(*menu, "Two");
  FXPopupItem* plain = Add(*menu, "Plain");
  FXPopupItem* r3 = Add(*menu, "Three");
  for (FXPopupItem* r : {r1, r2, r3}) r->SetRadioItem(true);
  plain->SetChecked(true);
  r1->SetChecked(true);
  r3->SetChecked(true);
  r2->SetChecked(true);
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(r2->Checked());
  EXPECT_TRUE(plain->Checked());  // not a radio item: the group ends there
  EXPECT_TRUE(r3->Checked());
}

TEST_F(PopupMenu, OpensAtThePointAsAFocusedMenuWindowSizedToItsItems) {
  Add(*menu, "A");
  Add(*menu, "-");
  Add(*menu, "B");
  int popups = 0;
  menu->OnPopup = [&](ui::TComponent*) { ++popups; };
  Open(300, 200);
  ui::TForm& w = *menu->MenuWindow();
  EXPECT_TRUE(w.Visible());
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(w.Caption(), "Popup Menu");
  EXPECT_TRUE(Screen(w).Menu());
  EXPECT_TRUE(Screen(w).StayOnTop());
  EXPECT_TRUE(Screen(w).Focused());
  EXPECT_TRUE(Screen(w).TransparentColor());
  EXPECT_EQ(Screen(w).TransparentColorValue(), MakeARGB(16711811, 255));
  EXPECT_EQ(w.Left(), 300);
  EXPECT_EQ(w.Top(), 200);
  EXPECT_EQ(menu->NormalHeight(), 5 + 35 + 1 + 35 + 5);
  EXPECT_EQ(w.Height(), menu->NormalHeight());
  EXPECT_EQ(w.Width(), 215);
  EXPECT_EQ(menu->GlassBlur()->Version(), FXBlurVersion::Screenshot);
  // Hidden between openings, and made anew after CloseMenu(true).
  menu->CloseMenu(false);
  EXPECT_FALSE(w.Visible());
  menu->CloseMenu(true);
  EXPECT_EQ(menu->MenuWindow(), nullptr);
  Open(10, 10);
  EXPECT_TRUE(menu->MenuWindow()->Visible());
}

// Past an edge the window opens on the other side of the drop point, and never leaves the desktop.
TEST_F(PopupMenu, EdgeFittingUsesTheDropPointAndStaysOnTheDesktop) {
  for (int i = 0; i < 3; ++i) Add(*menu, "Item");
  const int H = 5 + 3 * 35 + 5, W = 215;
  struct {
    platform::WindowRect desk;
    ui::TPoint drop, want;
  } cases[] = {
      {{0, 0, 1024, 768}, {500, 400}, {500, 400}},
      {{0, 0, 1024, 768}, {1000, 400}, {1000 - W, 400}},  // the right edge at the pointer
      {{0, 0, 1024, 768}, {500, 760}, {500, 760 - H}},
      {{0, 0, 1024, 768}, {-40, -30}, {0, 0}},
      {{0, 0, 300, 150}, {100, 100}, {0, 0}},  // flipped, it would start off the desktop
      {{-1024, 0, 2048, 768}, {-1014, 50}, {-1014, 50}},
  };
  for (const auto& c : cases) {
    platform::SetHeadlessMonitor(c.desk);
    // Placement reads the drop point, not wherever the pointer happens to be.
    platform::SetHeadlessPointer(5, 5);
    Open(c.drop.X, c.drop.Y);
    EXPECT_EQ(menu->MenuWindow()->Left(), c.want.X) << c.drop.X << "," << c.drop.Y;
    EXPECT_EQ(menu->MenuWindow()->Top(), c.want.Y) << c.drop.X << "," << c.drop.Y;
    menu->CloseMenu(false);
  }
}

// Each kind of opening animation ends at the menu's full size, growing upward from a point near the bottom.
TEST_F(PopupMenu, OpeningAnimationsEndAtTheFullSize) {
  for (int i = 0; i < 4; ++i) Add(*menu, "Item");
  const int H = 5 + 4 * 35 + 5;
  for (FXAnimateSelection kind : {FXAnimateSelection::Linear, FXAnimateSelection::Square, FXAnimateSelection::Opacity}) {
    menu->SetAnimationType(kind);
    std::vector<int> heights;
    Open(400, 760);
    ui::TForm& w = *menu->MenuWindow();
    EXPECT_EQ(w.Height(), H) << static_cast<int>(kind);
    EXPECT_EQ(w.Width(), 215) << static_cast<int>(kind);
    EXPECT_EQ(w.Top(), 760 - H) << static_cast<int>(kind);
    EXPECT_EQ(w.AlphaBlendValue(), 255) << static_cast<int>(kind);
    menu->CloseMenu(false);
  }
}

TEST_F(PopupMenu, FreeingTheMenuDuringItsOpeningAnimationIsSafe) {
  for (int i = 0; i < 4; ++i) Add(*menu, "Item");
  menu->SetAnimationType(FXAnimateSelection::Opacity);
  menu->Popup(100, 100);
  EXPECT_TRUE(menu->Animating());
  menu.reset();
  // The animation plays on into nothing.
  ASSERT_TRUE(ui::Application().RunUntil([] { return ui::Application().WorkerCount() == 0; }, 20s));
  ui::Application().ProcessMessages();
  SUCCEED();
}

TEST_F(PopupMenu, PointerHighlightsEnabledItemsOnlyAndClicksFollowTheCloseRules) {
  FXPopupItem* action = Add(*menu, "Action");
  FXPopupItem* check = Add(*menu, "Check");
  FXPopupItem* off = Add(*menu, "Off");
  FXPopupItem* plain = Add(*menu, "Plain");
  int clicks = 0, checks = 0, hovers = 0;
  std::vector<int> itemClicks;
  action->OnClick = [&](ui::TComponent*) { ++clicks; };
  action->OnHover = [&](ui::TComponent*) { ++hovers; };
  check->SetAutoCheck(true);
  check->OnCheck = [&](ui::TComponent*) { ++checks; };
  off->SetEnabled(false);
  off->OnClick = [&](ui::TComponent*) { ++clicks; };
  menu->OnItemClick = [&](ui::TComponent* sender, FXPopupComponent* item, int index) {
    EXPECT_EQ(sender, menu.get());
    EXPECT_EQ(item, menu->Items()[index]);
    itemClicks.push_back(index);
  };
  Open(300, 200);
  platform::HeadlessWindow& w = MenuScreen(*menu);

  const ui::TPoint pOff = At(*menu, 2);
  w.MoveTo(pOff.X, pOff.Y);
  EXPECT_EQ(menu->HoverOver(), -1);
  w.Click(pOff.X, pOff.Y);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(menu->MenuOpen());

  // A plain auto-check item toggles and fires OnCheck; CloseOnCheck is off by default.
  Click(*menu, 1);
  EXPECT_EQ(menu->HoverOver(), 1);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(checks, 1);
  EXPECT_TRUE(menu->MenuOpen());

  Click(*menu, 0);
  EXPECT_EQ(hovers, 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(menu->MenuOpen());

  // An item without a handler or check closes by CloseOnNoExecuteClick.
  menu->CloseOnNoExecuteClick = false;
  Open(300, 200);
  Click(*menu, 3);
  EXPECT_TRUE(menu->MenuOpen());
  EXPECT_EQ(itemClicks, (std::vector<int>{1, 0, 3}));
  (void)plain;
}

// The handlers of a click or key on an item may close the menu for good, or free it, while that
// click or key is still on its way through the menu's window.
TEST_F(PopupMenu, ItemHandlersMayFreeTheMenuOrItsWindow) {
  enum class TEnd { Close, Free };
  for (const bool itemClick : {false, true})
    for (const TEnd end : {TEnd::Close, TEnd::Free})
      for (const bool byKey : {false, true}) {
        SCOPED_TRACE(testing::Message() << "OnItemClick " << itemClick << ", free " << (end == TEnd::Free)
                                        << ", key " << byKey);
        if (!menu) {
          menu = std::make_unique<FXPopupMenu>(nullptr);
          menu->SetAnimationType(FXAnimateSelection::Instant);
        }
        FXPopupItem* item = Add(*menu, "Go");
        int runs = 0;
        auto finish = [&] {
          ++runs;
          if (end == TEnd::Free) menu.reset();
          else menu->CloseMenu(true);
        };
        if (itemClick) menu->OnItemClick = [&](ui::TComponent*, FXPopupComponent*, int) { finish(); };
        else item->OnClick = [&](ui::TComponent*) { finish(); };
        Open(300, 200);
        if (byKey) {
          MenuScreen(*menu).TypeKey(keys::Down);
          // Only the press: its release would go to whichever window has the focus by then.
          MenuScreen(*menu).KeyDown(keys::Return);
        } else {
          Click(*menu, 0);
        }
        EXPECT_EQ(runs, 1);
        if (!menu) continue;
        EXPECT_EQ(menu->MenuWindow(), nullptr);
        // Made anew, the window works as the first one did.
        Open(300, 200);
        Click(*menu, 0);
        EXPECT_EQ(runs, 2);
        EXPECT_EQ(menu->MenuWindow(), nullptr);
        menu->Items().Clear(true);
        menu->OnItemClick = nullptr;
      }
}

TEST_F(PopupMenu, ACheckedRadioItemClickedStaysCheckedWithoutOnCheck) {
  FXPopupItem* r1 = Add(*menu, "One");
  FXPopupItem* r2 = Add(*menu, "Two");
  int checks = 0;
  for (FXPopupItem* r : {r1, r2}) {
    r->SetRadioItem(true);
    r->SetAutoCheck(true);
    r->OnCheck = [&](ui::TComponent*) { ++checks; };
  }
  r1->SetChecked(true);
  Open(300, 200);
  Click(*menu, 0);
  EXPECT_TRUE(r1->Checked());
  EXPECT_EQ(checks, 0);
  Click(*menu, 1);
  EXPECT_TRUE(r2->Checked());
  EXPECT_FALSE(r1->Checked());
  EXPECT_EQ(checks, 1);
}

// Arrow keys pass over separators, hidden and disabled items and stop at the ends; Enter runs only
// an item that can be picked.
TEST_F(PopupMenu, ArrowKeysSkipWhatCannotBePicked) {
  FXPopupItem* first = Add(*menu, "First");
  Add(*menu, "-");
  Add(*menu, "Hidden")->SetVisible(false);
  Add(*menu, "Off")->SetEnabled(false);
  FXPopupItem* last = Add(*menu, "Last");
  int runs = 0;
  first->OnClick = last->OnClick = [&](ui::TComponent*) { ++runs; };
  Open(300, 200);
  platform::HeadlessWindow& w = MenuScreen(*menu);
  w.TypeKey(keys::Up);
  EXPECT_EQ(menu->HoverOver(), -1);
  struct {
    int key, want;
  } steps[] = {{keys::Down, 0}, {keys::Up, 0}, {keys::Down, 4}, {keys::Down, 4}, {keys::Up, 0}};
  for (const auto& s : steps) {
    w.TypeKey(s.key);
    EXPECT_EQ(menu->HoverOver(), s.want);
  }
  first->SetEnabled(false);
  w.TypeKey(keys::Return);
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(menu->MenuOpen());
  w.TypeKey(keys::Left);  // the root menu stays
  EXPECT_TRUE(menu->MenuOpen());
  first->SetEnabled(true);
  w.TypeKey(keys::Return);
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(menu->MenuOpen());
  Open(300, 200);
  EXPECT_FALSE(Screen(*app).Focused());
  MenuScreen(*menu).TypeKey(keys::Escape);
  EXPECT_FALSE(menu->MenuOpen());
  // The window the menu came from takes the keys again.
  EXPECT_TRUE(Screen(*app).Focused());
}

TEST_F(PopupMenu, SubMenusOpenBesideTheirItemAndCloseWithTheChain) {
  Add(*menu, "Top");
  FXPopupItem* more = Add(*menu, "More");
  FXPopupItem* inner = Add(*more, "Inner");
  Add(*more, "Other");
  int inners = 0;
  std::vector<int> itemClicks;
  inner->OnClick = [&](ui::TComponent*) { ++inners; };
  menu->OnItemClick = [&](ui::TComponent* sender, FXPopupComponent*, int index) {
    EXPECT_EQ(sender, menu.get());
    itemClicks.push_back(index);
  };
  Open(300, 200);
  const ui::TPoint p = At(*menu, 1);
  MenuScreen(*menu).MoveTo(p.X, p.Y);
  ASSERT_TRUE(ui::Application().RunUntil([&] { return more->MenuOpen() && !more->Animating(); }, 20s));
  ui::TForm& sub = *more->MenuWindow();
  EXPECT_EQ(sub.Left(), menu->MenuWindow()->Left() + menu->MenuWindow()->Width() - 10);
  EXPECT_EQ(sub.Top(), menu->MenuWindow()->Top() + more->Bounds().Top);
  EXPECT_EQ(menu->OpenSubMenu(), more);

  // Left closes the sub-menu alone; Right opens it again.
  Screen(sub).TypeKey(keys::Left);
  EXPECT_FALSE(more->MenuOpen());
  EXPECT_TRUE(menu->MenuOpen());
  MenuScreen(*menu).TypeKey(keys::Right);
  ASSERT_TRUE(ui::Application().RunUntil([&] { return more->MenuOpen() && !more->Animating(); }, 20s));

  Click(*more, 0);
  EXPECT_EQ(inners, 1);
  EXPECT_EQ(itemClicks, std::vector<int>{0});
  EXPECT_FALSE(more->MenuOpen());
  EXPECT_FALSE(menu->MenuOpen());
}

// A menu closes on a press in another window of the program, whether or not it ever had the focus,
// and when the focus leaves its chain.
TEST_F(PopupMenu, ClosesWhenTheUserTurnsElsewhere) {
  Add(*menu, "Item");
  Open(600, 200);
  Screen(*app).Press(B::Left, 20, 20);
  Screen(*app).Release(B::Left, 20, 20);
  EXPECT_FALSE(menu->MenuOpen());

  Open(600, 200);
  app->Window().Activate();
  ui::Application().CheckSynchronize();
  EXPECT_FALSE(menu->MenuOpen());
}

TEST_F(PopupMenu, EditBoxMenuShowsWhatApplies) {
  auto* edit = new FXEdit(app.get());
  edit->SetParent(app.get());
  edit->SetBounds(10, 10, 200, 35);
  edit->SetText("hello");
  app->SetActiveControl(edit);
  platform::CurrentWindowBackend().SetClipboardText("");
  FXPopupMenu& m = edit->DefaultMenu();
  m.SetAnimationType(FXAnimateSelection::Instant);
  auto visible = [&] {
    std::string shown;
    for (int i = 0; i < m.Items().Count(); ++i)
      if (m.Items()[i]->Visible()) shown += m.Items()[i]->Text() + ";";
    return shown;
  };
  Screen(*app).Press(B::Right, 30, 20);
  Screen(*app).Release(B::Right, 30, 20);
  ASSERT_TRUE(m.MenuOpen());
  EXPECT_EQ(visible(), "Select All;");
  EXPECT_EQ(m.DropPoint(), (ui::TPoint{130, 120}));
  // Down, Enter: the only item, Select All.
  Screen(*m.MenuWindow()).TypeKey(keys::Down);
  Screen(*m.MenuWindow()).TypeKey(keys::Return);
  EXPECT_EQ(edit->SelectionLength(), 5);

  Screen(*app).Press(B::Right, 30, 20);
  Screen(*app).Release(B::Right, 30, 20);
  EXPECT_EQ(visible(), "Cut;Copy;Select All;");
  Screen(*m.MenuWindow()).TypeKey(keys::Down);
  Screen(*m.MenuWindow()).TypeKey(keys::Down);
  Screen(*m.MenuWindow()).TypeKey(keys::Return);
  EXPECT_EQ(platform::CurrentWindowBackend().ClipboardText(), "hello");

  edit->SetPasswordChar(U'*');
  Screen(*app).Press(B::Right, 30, 20);
  Screen(*app).Release(B::Right, 30, 20);
  EXPECT_EQ(visible(), "Paste;Select All;");
  platform::CurrentWindowBackend().SetClipboardText("");
}

TEST_F(PopupMenu, ButtonDropDownOpensItsMenuBelowTheButton) {
  auto* button = new FXButton(app.get());
  button->SetParent(app.get());
  button->SetBounds(20, 30, 140, 35);
  button->SetButtonKind(FXButtonKind::Dropdown);
  button->DropDown = menu.get();
  Add(*menu, "Item");
  button->Click();
  EXPECT_TRUE(menu->MenuOpen());
  EXPECT_EQ(menu->MenuWindow()->Left(), 120);
  EXPECT_EQ(menu->MenuWindow()->Top(), 100 + 30 + 35 + 5);
}

TEST_F(PopupMenuDrawn, CornersAreSeeThroughAndTheWindowTakesTheWidestItem) {
  Add(*menu, "Short");
  Add(*menu, "A much, much longer item than the others");
  Add(*menu, "End");
  Open(700, 500);  // away from the program's window: the desktop lies behind
  platform::HeadlessWindow& w = MenuScreen(*menu);
  EXPECT_GT(menu->NormalWidth(), 215);
  EXPECT_EQ(menu->MenuWindow()->Width(), menu->NormalWidth());
  for (const ui::TPoint p : {ui::TPoint{0, 0}, ui::TPoint{w.ScreenWidth() - 1, 0}, ui::TPoint{0, w.ScreenHeight() - 1},
                             ui::TPoint{w.ScreenWidth() - 1, w.ScreenHeight() - 1}})
    EXPECT_EQ(w.ShownPixel(p.X, p.Y), Desk) << p.X << "," << p.Y;
  EXPECT_NE(w.ShownPixel(w.ScreenWidth() / 2, 3), Desk);
  // The widest item's bounds reach the window's right part.
  EXPECT_EQ(menu->Items()[0]->Bounds().Right, menu->NormalWidth());
}

TEST_F(PopupMenuDrawn, FlatMenuShowsThePlainColourAndItsItemsOnEveryRepaint) {
  Add(*menu, "One");
  Add(*menu, "Two");
  menu->SetFlatMenu(true);
  Open(300, 200);
  FXBlurMaterial& blur = *menu->GlassBlur();
  EXPECT_EQ(blur.Version(), FXBlurVersion::None);
  const int x = 200, y = menu->Items()[1]->Bounds().Top + 5;
  EXPECT_EQ(blur.Buffer().Color(x, y), 0xFFFFFFFFu);
  MenuScreen(*menu).MoveTo(30, y);
  EXPECT_EQ(menu->HoverOver(), 1);
  const ui::TAlphaColor hovered = blur.Buffer().Color(x, y);
  EXPECT_NE(hovered, 0xFFFFFFFFu);
  blur.ReDraw();
  EXPECT_EQ(blur.Buffer().Color(x, y), hovered);
}

TEST_F(PopupMenuDrawn, DisabledItemsAreGrey) {
  Add(*menu, "WWWWWWWW");
  Add(*menu, "WWWWWWWW")->SetEnabled(false);
  menu->SetFlatMenu(true);
  Open(300, 200);
  const ui::TBitmap& buffer = menu->GlassBlur()->Buffer();
  auto darkest = [&](int index) {
    const TRect b = menu->Items()[index]->Bounds();
    int least = 255;
    for (int y = b.Top; y < b.Bottom; ++y)
      for (int x = b.Left; x < b.Right - 10; ++x) {
        const ui::TAlphaColor c = buffer.Color(x, y);
        least = std::min(least, static_cast<int>((ui::RedOf(c) + ui::GreenOf(c) + ui::BlueOf(c)) / 3));
      }
    return least;
  };
  EXPECT_LT(darkest(0), 0x40);
  EXPECT_NEAR(darkest(1), 0x80, 0x10);
}

}  // namespace
