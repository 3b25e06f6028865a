// Message dialogs: a themed modal window built on the fly from a framework window, a bold title, the
// message, and a footer with one framework button per answer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lux/types.h"
#include "ui/font.h"
#include "ui/forms.h"

namespace lux {

class FXButton;
class FXForm;
class FXPanel;
class FXTextBox;

enum class FXMessageType { Information, Error, Question, Sucess, Warning, Star };

// The answers a dialog can offer, by ordinal.
enum class TMsgDlgBtn { Yes, No, OK, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help, Close };
using TMsgDlgButtons = FXSet<TMsgDlgBtn>;

// The caption and the modal result of an answer.
std::string DialogButtonCaption(TMsgDlgBtn Button);
ui::TModalResult DialogButtonResult(TMsgDlgBtn Button);
// What a dialog offering `Buttons` answers when it is closed without a button (the window manager's
// close, Escape): Cancel when offered, else No when offered, else the lowest answer's result. A
// question is never taken as "go on" because its window was closed.
ui::TModalResult DialogCloseResult(TMsgDlgButtons Buttons);

class FXDialogBox {
 public:
  FXDialogBox();
  // The dialog is centred on `Owner` and darkens it while it runs.
  explicit FXDialogBox(ui::TForm* Owner);
  virtual ~FXDialogBox();
  FXDialogBox(const FXDialogBox&) = delete;
  FXDialogBox& operator=(const FXDialogBox&) = delete;

  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value) { FText = Value; }
  ui::TForm* Parent() const { return FParent; }
  void SetParent(ui::TForm* Value) { FParent = Value; }
  bool ScreenCenter() const { return FScreenCenter; }
  void SetScreenCenter(bool Value) { FScreenCenter = Value; }
  ui::TFont& TitleFont() { return FTitleFont; }
  ui::TFont& TextFont() { return FTextFont; }
  // The look every footer button copies.
  FXButton& ButtonDesign() { return *FButtonDesign; }

  // Builds the window without showing it.
  virtual void ExecuteInherited();
  // Gives every footer button that is a default the accent look.
  void HighlightDefaultButton();
  // Shows the window modally and answers its modal result; FreeForm frees it afterwards.
  ui::TModalResult ModalExecution(bool FreeForm);

  // The window while it is built and shown, and its parts; null before and after.
  FXForm* Window() const { return Form.get(); }
  FXTextBox* TitleBox() const { return MainPrompt; }
  FXTextBox* MessageBox() const { return Prompt; }
  FXPanel* Footer() const { return ButtonFooter; }
  TPoint AverageCharSize() const { return DialogUnits; }

  // Called once the window is up, inside its modal run (a caller can answer it from here).
  std::function<void(FXDialogBox& Sender)> OnShown;

 protected:
  // What a close without a button answers; see DialogCloseResult.
  virtual ui::TModalResult CloseResult() const { return ui::mrCancel; }
  // The footer button Enter answers when the focus is on none.
  virtual FXButton* DefaultButton() const { return nullptr; }

  std::string FTitle;
  std::string FText;
  ui::TFont FTitleFont;
  ui::TFont FTextFont;
  std::unique_ptr<FXButton> FButtonDesign;
  TColor FFormColor = 0;
  ui::TForm* FParent = nullptr;
  std::int32_t FTitlebarHeight = 0;
  std::int32_t FButtonOffset = 0;
  std::int32_t FButtonHeight = 0;
  bool PromptCreation = true;
  TPoint DialogUnits{0, 0};
  bool HasButtons = true;
  bool FScreenCenter = false;
  std::unique_ptr<FXForm> Form;
  FXTextBox* MainPrompt = nullptr;
  FXTextBox* Prompt = nullptr;
  FXPanel* ButtonFooter = nullptr;

 private:
  void Place();
  void FreeWindow();
  // Emptied by the destructor, so a call queued for a dialog that has gone finds nothing.
  std::shared_ptr<FXDialogBox*> FAlive;
};

class FXDialog : public FXDialogBox {
 public:
  FXDialog();
  explicit FXDialog(ui::TForm* Owner);
  ~FXDialog() override;

  FXMessageType Kind() const { return FKind; }
  void SetKind(FXMessageType Value) { FKind = Value; }
  TMsgDlgButtons Buttons() const { return FButtons; }
  void SetButtons(TMsgDlgButtons Value) { FButtons = Value; }

  // Builds the window with its buttons, runs it modally, frees it and answers the modal result.
  ui::TModalResult Execute();

  // The footer button of an answer while the window is up; null otherwise.
  FXButton* Button(TMsgDlgBtn Kind) const;

 protected:
  ui::TModalResult CloseResult() const override { return DialogCloseResult(FButtons); }
  FXButton* DefaultButton() const override;

 private:
  FXMessageType FKind = FXMessageType::Information;
  TMsgDlgButtons FButtons{TMsgDlgBtn::OK};
};

}  // namespace lux
