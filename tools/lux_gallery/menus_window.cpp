// The gallery's menus window: popup menus opened by an edit box, a drop-down button and a panel's right
// click. Every item run is printed as one line ("menu: <text>"), and so is each opening.
#include "menus_window.h"

#include <string>

#include "events.h"
#include "lux/button.h"
#include "lux/edit.h"
#include "lux/panels.h"
#include "lux/text_box.h"
#include "platform/window.h"
#include "ui/application.h"

namespace gallery {
namespace {

using namespace lux;

FXPopupItem* Item(FXPopupComponent& To, const std::string& Text, const char* Glyph = nullptr) {
  auto* item = new FXPopupItem(&To);
  item->SetText(Text);
  if (Glyph) {
    item->Image().SetIconType(FXIconType::SegoeIcon);
    item->Image().SetSelectSegoe(Glyph);
    item->Image().SetEnabled(true);
  }
  To.Items().Add(item);
  return item;
}

}  // namespace

TMenusWindow::TMenusWindow(bool QuitOnClose)
    : FXForm(nullptr, 0), FMenu(std::make_unique<FXPopupMenu>(nullptr)), FFlatMenu(std::make_unique<FXPopupMenu>(nullptr)) {
  FOpenWatch.SetEnabled(false);
  FOpenWatch.SetInterval(10);
  SetCaption("Lux Menus");
  SetBorderStyle(ui::TFormBorderStyle::bsSingle);
  SetBorderIcons({.SystemMenu = true, .Minimize = false, .Maximize = false});
  SetClientSize(600, 400);

  BuildMenu(*FMenu);
  BuildMenu(*FFlatMenu);
  FFlatMenu->SetFlatMenu(true);

  auto* label = new FXTextBox(this);
  label->SetParent(this);
  label->SetBounds(20, 38, 560, 30);
  label->SetText("Right-click the edit box or the panel");

  FEdit = new FXEdit(this);
  FEdit->SetName("Edit");
  FEdit->SetParent(this);
  FEdit->SetBounds(20, 80, 300, 35);
  FEdit->SetText("menus in the gallery");
  FEdit->DefaultMenu().OnPopup = [this](ui::TComponent*) {
    Say("menu: edit opened");
    SayWhenOpen(FEdit->DefaultMenu(), "menu: edit open");
  };
  auto report = FEdit->DefaultMenu().OnItemClick;
  FEdit->DefaultMenu().OnItemClick = [report](ui::TComponent* Sender, FXPopupComponent* Item, int Index) {
    report(Sender, Item, Index);
    Say("menu: edit " + Item->Text());
  };

  auto* button = new FXButton(this);
  button->SetParent(this);
  button->SetBounds(340, 80, 160, 35);
  button->SetText("Menu");
  button->SetButtonKind(FXButtonKind::Dropdown);
  button->DropDown = FMenu.get();

  auto* panel = new FXButton(this);
  panel->SetParent(this);
  panel->SetBounds(20, 135, 560, 240);
  panel->SetText("Right-click here for a flat menu");
  panel->SetButtonKind(FXButtonKind::Flat);
  panel->SetPopupMenu(FFlatMenu.get());

  UpdateTheme(true);
  KeyPreview = true;
  OnKeyPress = [](ui::TWinControl&, const std::string& key) {
    if (key == "t" || key == "T") ToggleTheme();
  };
  OnKeyDown = [this](ui::TWinControl&, int& key, ui::TShiftState) {
    if (key == platform::keys::Escape) Close();
  };
  OnShow = [](ui::TForm&) { Say("menus: shown"); };
  OnClose = [QuitOnClose](ui::TForm&, ui::TCloseAction&) {
    if (QuitOnClose) ui::Application().Terminate();
  };
}

void TMenusWindow::BuildMenu(FXPopupMenu& Menu) {
  Menu.OnPopup = [this, &Menu](ui::TComponent*) {
    Say("menu: opened");
    SayWhenOpen(Menu, "menu: open");
  };
  Menu.OnItemClick = [](ui::TComponent*, FXPopupComponent* Item, int) { Say("menu: " + Item->Text()); };
  Item(Menu, "Open", "\uE8E5")->SetIsDefault(true);
  Item(Menu, "Save", "\uE74E")->SetShortcut("Ctrl+S");
  Item(Menu, "-");
  FXPopupItem* wrap = Item(Menu, "Word wrap");
  wrap->SetAutoCheck(true);
  wrap->SetChecked(true);
  for (const char* size : {"Small", "Medium", "Large"}) {
    FXPopupItem* radio = Item(Menu, size);
    radio->SetRadioItem(true);
    radio->SetAutoCheck(true);
  }
  Menu.Items()[5]->SetChecked(true);
  Item(Menu, "Unavailable")->SetEnabled(false);
  Item(Menu, "-");
  FXPopupItem* more = Item(Menu, "More");
  Item(*more, "Export");
  Item(*more, "Print");
}

void TMenusWindow::SayWhenOpen(const FXPopupMenu& Menu, std::string Line) {
  // The animation's last frame is presented before it stops animating, and the loop has passed it on
  // to the screen by the time a tick comes.
  FOpenWatch.OnTimer = [this, &Menu, Line = std::move(Line)] {
    if (Menu.Animating()) return;
    FOpenWatch.SetEnabled(false);
    Say(Line);
  };
  FOpenWatch.SetEnabled(true);
}

}  // namespace gallery
