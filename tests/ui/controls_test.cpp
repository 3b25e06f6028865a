// The control tree: ownership, alignment with margins, anchors, hit testing, focus order, capture.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/headless_window.h"
#include "screen.h"
#include "ui/forms.h"

namespace {

using namespace ui;

std::vector<std::string> freed;

struct TTracked : TComponent {
  explicit TTracked(TComponent* owner, std::string name) : TComponent(owner) { SetName(std::move(name)); }
  ~TTracked() override { freed.push_back(Name()); }
};

TEST(Component, OwnerFreesItsComponentsNewestFirstAndEarlyFreesLeaveTheList) {
  freed.clear();
  {
    TTracked root(nullptr, "root");
    auto* a = new TTracked(&root, "a");
    auto* b = new TTracked(&root, "b");
    new TTracked(a, "a1");
    auto* c = new TTracked(&root, "c");
    EXPECT_EQ(root.ComponentCount(), 3);
    EXPECT_EQ(c->ComponentIndex(), 2);
    EXPECT_EQ(root.FindComponent("b"), b);
    delete b;
    EXPECT_EQ(root.ComponentCount(), 2);
    EXPECT_EQ(c->ComponentIndex(), 1);
    EXPECT_EQ(freed, (std::vector<std::string>{"b"}));
  }
  // Each destructor body runs before the components it owns go.
  EXPECT_EQ(freed, (std::vector<std::string>{"b", "root", "c", "a", "a1"}));
}

TEST(Control, ParentFreesOwnedChildrenAndLetsOthersGo) {
  TWinControl keeper(nullptr);
  TControl* loose;
  {
    TWinControl parent(nullptr);
    auto* owned = new TControl(&parent);
    owned->SetParent(&parent);
    loose = new TControl(&keeper);
    loose->SetParent(&parent);
    EXPECT_EQ(parent.ControlCount(), 2);
  }
  EXPECT_EQ(loose->Parent(), nullptr);
  EXPECT_EQ(keeper.ComponentCount(), 1);
}

TControl* Child(TWinControl& parent, TRect r, TAlign align = TAlign::alNone) {
  auto* c = new TControl(&parent);
  c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  c->SetParent(&parent);
  c->SetAlign(align);
  return c;
}

TEST(Control, AlignStacksEdgesThenFillsTheRestHonouringMargins) {
  TWinControl parent(nullptr);
  parent.SetBounds(0, 0, 200, 100);
  TControl* top = Child(parent, Bounds(50, 50, 10, 20), TAlign::alTop);
  TControl* bottom = Child(parent, Bounds(0, 0, 10, 10), TAlign::alBottom);
  TControl* left = Child(parent, Bounds(0, 0, 30, 10), TAlign::alLeft);
  TControl* right = Child(parent, Bounds(0, 0, 40, 10), TAlign::alRight);
  TControl* client = Child(parent, Bounds(0, 0, 1, 1), TAlign::alClient);
  right->SetMargins({1, 2, 3, 4});
  right->SetAlignWithMargins(true);
  client->SetMargins({5, 5, 5, 5});
  client->SetAlignWithMargins(true);

  EXPECT_EQ(top->BoundsRect(), (TRect{0, 0, 200, 20}));
  EXPECT_EQ(bottom->BoundsRect(), (TRect{0, 90, 200, 100}));
  EXPECT_EQ(left->BoundsRect(), (TRect{0, 20, 30, 90}));
  EXPECT_EQ(right->BoundsRect(), (TRect{157, 22, 197, 86}));  // 3 px right margin, 2 top, 4 bottom
  EXPECT_EQ(client->BoundsRect(), (TRect{35, 25, 151, 85}));  // between left and right's left margin

  parent.SetBounds(0, 0, 300, 120);  // a resize lays them out again
  EXPECT_EQ(bottom->BoundsRect(), (TRect{0, 110, 300, 120}));
  EXPECT_EQ(client->BoundsRect(), (TRect{35, 25, 251, 105}));

  top->SetVisible(false);  // hidden controls give their room back
  EXPECT_EQ(left->BoundsRect(), (TRect{0, 0, 30, 110}));
}

TEST(Control, PaddingNarrowsTheAlignAreaAndConstraintsLimitTheSize) {
  TWinControl parent(nullptr);
  parent.SetBounds(0, 0, 200, 100);
  parent.SetPadding({4, 6, 8, 10});
  TControl* top = Child(parent, Bounds(0, 0, 10, 20), TAlign::alTop);
  TControl* client = Child(parent, Bounds(0, 0, 10, 10), TAlign::alClient);
  EXPECT_EQ(top->BoundsRect(), (TRect{4, 6, 192, 26}));
  EXPECT_EQ(client->BoundsRect(), (TRect{4, 26, 192, 90}));

  client->SetConstraints({0, 0, 50, 0});  // applies to the current size at once
  EXPECT_EQ(client->BoundsRect(), (TRect{4, 26, 54, 90}));
  TControl* free = Child(parent, Bounds(0, 0, 10, 10));
  free->SetConstraints({20, 30, 40, 0});
  EXPECT_EQ(free->BoundsRect(), (TRect{0, 0, 20, 30}));
  free->SetBounds(0, 0, 100, 100);
  EXPECT_EQ(free->BoundsRect(), (TRect{0, 0, 40, 100}));
}

TEST(Control, ControlsOfOneAlignmentStackByPosition) {
  TWinControl parent(nullptr);
  parent.SetBounds(0, 0, 100, 100);
  TControl* a = Child(parent, Bounds(0, 0, 10, 10), TAlign::alTop);
  TControl* b = Child(parent, Bounds(0, 10, 10, 15), TAlign::alTop);
  EXPECT_EQ(b->Top(), 10);
  b->SetTop(-1);  // moved above a: now first
  EXPECT_EQ(b->BoundsRect(), (TRect{0, 0, 100, 15}));
  EXPECT_EQ(a->BoundsRect(), (TRect{0, 15, 100, 25}));
}

TEST(Control, AnchorsFollowTheParentsResize) {
  struct Case {
    TAnchors anchors;
    TRect expected;
  } cases[] = {
      {{true, true, false, false}, {10, 10, 30, 30}},   // left top: stays
      {{true, true, true, false}, {10, 10, 70, 30}},    // stretches with the width
      {{false, true, true, false}, {50, 10, 70, 30}},   // keeps its distance to the right
      {{true, false, false, true}, {10, 30, 30, 50}},   // keeps its distance to the bottom
      {{true, true, true, true}, {10, 10, 70, 50}},     // stretches both ways
      {{false, false, false, false}, {30, 20, 50, 40}}, // stays centred
  };
  for (const Case& c : cases) {
    TWinControl parent(nullptr);
    parent.SetBounds(0, 0, 100, 100);
    TControl* child = Child(parent, {10, 10, 30, 30});
    child->SetAnchors(c.anchors);
    parent.SetBounds(0, 0, 140, 120);
    EXPECT_EQ(child->BoundsRect(), c.expected) << c.anchors.Left << c.anchors.Top << c.anchors.Right << c.anchors.Bottom;
  }
}

TEST(Control, HitTestingFindsTheDeepestVisibleControlWindowedAboveGraphic) {
  TWinControl root(nullptr);
  root.SetBounds(0, 0, 100, 100);
  auto* panel = new TWinControl(&root);
  panel->SetBounds(10, 10, 50, 50);
  panel->SetParent(&root);
  auto* inner = new TWinControl(&root);
  inner->SetBounds(5, 5, 10, 10);
  inner->SetParent(panel);
  auto* label = new TGraphicControl(&root);  // added after the panel, still beneath it
  label->SetBounds(0, 0, 30, 30);
  label->SetParent(&root);
  auto* ghost = new TGraphicControl(&root);
  ghost->SetBounds(70, 70, 20, 20);
  ghost->SetParent(&root);
  ghost->SetHitTest(false);

  struct Case {
    TPoint at;
    TControl* expected;
  } cases[] = {
      {{16, 16}, inner}, {{12, 12}, panel}, {{5, 5}, label}, {{80, 80}, &root}, {{59, 59}, panel}, {{60, 60}, &root},
  };
  for (const Case& c : cases) EXPECT_EQ(root.ControlAtPos(c.at), c.expected) << c.at.X << "," << c.at.Y;
  panel->SetVisible(false);
  EXPECT_EQ(root.ControlAtPos({16, 16}), label);
}

using testsupport::Screen;

struct TKeyLog : TWinControl {
  using TWinControl::TWinControl;
  bool wantsTab = false;
  std::vector<int> keys;
  bool WantsKey(int key, TShiftState) override { return wantsTab && key == platform::keys::Tab; }
  void KeyDown(int& key, TShiftState shift) override {
    keys.push_back(key);
    TWinControl::KeyDown(key, shift);
  }
};

TKeyLog* Field(TWinControl& parent, TComponent& owner, const char* name, int x) {
  auto* c = new TKeyLog(&owner);
  c->SetName(name);
  c->SetBounds(x, 0, 10, 10);
  c->SetTabStop(true);
  c->SetParent(&parent);
  return c;
}

TEST(Focus, TabVisitsFocusableControlsInTabOrderDepthFirstAndWraps) {
  TForm form(nullptr);
  TKeyLog* a = Field(form, form, "a", 0);
  auto* panel = new TWinControl(&form);
  panel->SetBounds(0, 20, 100, 50);
  panel->SetParent(&form);
  TKeyLog* p1 = Field(*panel, form, "p1", 0);
  TKeyLog* p2 = Field(*panel, form, "p2", 20);
  TKeyLog* hidden = Field(form, form, "hidden", 40);
  hidden->SetVisible(false);
  TKeyLog* disabled = Field(form, form, "disabled", 60);
  disabled->SetEnabled(false);
  TKeyLog* b = Field(form, form, "b", 80);
  p2->SetTabOrder(0);
  EXPECT_EQ(p1->TabOrder(), 1);
  form.Show();
  ASSERT_EQ(form.ActiveControl(), a);

  std::vector<std::string> visited;
  for (int i = 0; i < 4; ++i) {
    Screen(form).TypeKey(platform::keys::Tab);
    visited.push_back(form.ActiveControl()->Name());
  }
  EXPECT_EQ(visited, (std::vector<std::string>{"p2", "p1", "b", "a"}));
  Screen(form).TypeKey(platform::keys::Tab, platform::ShiftKey);
  EXPECT_EQ(form.ActiveControl(), b);
  EXPECT_TRUE(b->Focused());

  b->wantsTab = true;  // a control that keeps Tab gets it as a key instead
  Screen(form).TypeKey(platform::keys::Tab);
  EXPECT_EQ(form.ActiveControl(), b);
  EXPECT_EQ(b->keys, (std::vector<int>{platform::keys::Tab}));
  EXPECT_TRUE(a->keys.empty());
}

TEST(Focus, EnterAndExitFollowTheFocusAndAPressFocuses) {
  TForm form(nullptr);
  TKeyLog* a = Field(form, form, "a", 0);
  TKeyLog* b = Field(form, form, "b", 20);
  std::vector<std::string> log;
  for (TKeyLog* c : {a, b}) {
    c->OnEnter = [&](TWinControl& w) { log.push_back("enter " + w.Name()); };
    c->OnExit = [&](TWinControl& w) { log.push_back("exit " + w.Name()); };
  }
  form.Show();
  Screen(form).Click(25, 5);
  EXPECT_EQ(log, (std::vector<std::string>{"enter a", "exit a", "enter b"}));
  b->SetVisible(false);  // the focus does not stay on a hidden control
  EXPECT_EQ(form.ActiveControl(), nullptr);
}

struct TMouseLog : TWinControl {
  using TWinControl::TWinControl;
  std::vector<std::string> events;
  void MouseDown(TMouseButton, TShiftState, int x, int y) override { Add("down", x, y); }
  void MouseMove(TShiftState, int x, int y) override { Add("move", x, y); }
  void MouseUp(TMouseButton, TShiftState, int x, int y) override { Add("up", x, y); }
  void Click() override { events.push_back("click"); }
  void Add(const char* what, int x, int y) { events.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y)); }
};

TEST(Capture, ThePressedControlGetsThePointerUntilEveryButtonIsUp) {
  TForm form(nullptr);
  form.SetClientSize(100, 100);
  auto* a = new TMouseLog(&form);
  a->SetBounds(10, 10, 20, 20);
  a->SetParent(&form);
  auto* b = new TMouseLog(&form);
  b->SetBounds(50, 50, 20, 20);
  b->SetParent(&form);
  form.Show();
  platform::HeadlessWindow& screen = Screen(form);

  screen.Press(platform::MouseButton::Left, 15, 15);
  EXPECT_EQ(form.CaptureControl(), a);
  EXPECT_TRUE(screen.Captured());
  screen.Press(platform::MouseButton::Right, 55, 55);  // a second button stays with the first
  screen.Release(platform::MouseButton::Right, 55, 55);
  EXPECT_TRUE(screen.Captured());
  screen.MoveTo(60, 60);
  screen.Release(platform::MouseButton::Left, 60, 60);
  EXPECT_FALSE(screen.Captured());
  EXPECT_EQ(form.CaptureControl(), nullptr);
  EXPECT_TRUE(b->events.empty());
  EXPECT_EQ(form.HoverControl(), b);  // hovering catches up on the release
  EXPECT_EQ(a->events, (std::vector<std::string>{"move 5,5", "down 5,5", "move 45,45", "down 45,45", "move 45,45",
                                                  "up 45,45", "move 50,50", "move 50,50", "up 50,50"}));

  a->events.clear();  // a release back inside the pressed control clicks it
  screen.Press(platform::MouseButton::Left, 15, 15);
  screen.MoveTo(80, 80);
  screen.Release(platform::MouseButton::Left, 12, 12);
  EXPECT_EQ(a->events.back(), "click");
}

TEST(Wheel, AnUnusedTurnBubblesUpToTheParentInItsCoordinates) {
  TForm form(nullptr);
  form.SetClientSize(100, 100);
  auto* panel = new TWinControl(&form);
  panel->SetBounds(10, 10, 60, 60);
  panel->SetParent(&form);
  auto* inner = new TWinControl(&form);
  inner->SetBounds(10, 10, 20, 20);
  inner->SetParent(panel);
  std::vector<std::string> log;
  auto record = [&](bool use) {
    return [&log, use](TControl&, TShiftState, int delta, int x, int y, bool& handled) {
      log.push_back(std::to_string(delta) + " " + std::to_string(x) + "," + std::to_string(y));
      handled = use;
    };
  };
  inner->OnMouseWheel = record(false);
  panel->OnMouseWheel = record(true);
  form.OnMouseWheel = record(true);
  form.Show();
  Screen(form).Wheel(-120, 25, 25);
  EXPECT_EQ(log, (std::vector<std::string>{"-120 5,5", "-120 15,15"}));
}

}  // namespace
