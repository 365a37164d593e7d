// The program's own message dialog (TMessageForm): type, title, icon and the German
// buttons with their modal results; the positioned variant; the input query.
#pragma once

#include <windows.h>

#include <string>

#include "core/interaction.h"
#include "ui/form.h"

class TMessageForm : public TfTSW_BasicForm {
 public:
  TMessageForm(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons);

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  DWORD Style() const override { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }
  DWORD ExStyle() const override { return WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT; }

 private:
  std::string text_;
  MsgDlgType type_;
  TMsgDlgButtons buttons_;
};

// Shows the box and returns the modal result; x and y place it (negative: centred).
int MessageDlgPos(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons, int helpContext, int x, int y,
                  HWND owner = nullptr);
// One edit line of at most 255 characters with "OK" and "Abbrechen"; true on OK, with
// the text in value (unchanged on cancel).
bool InputQueryDlg(const std::string& caption, const std::string& prompt, std::string& value, HWND owner = nullptr);

// The box's parts, for the dialog and its tests: the buttons in their order with
// caption and modal result, and the default and cancel results for a set of buttons.
struct MessageButton {
  TMsgDlgButtons Flag;
  const char* Caption;
  int Result;
};
extern const MessageButton kMessageButtons[11];
int DefaultResult(TMsgDlgButtons buttons);
int CancelResult(TMsgDlgButtons buttons);
const char* MessageTitle(MsgDlgType type);
