#include "ui/window_interaction.h"

#include <windows.h>

#include "ui/message_dialog.h"
#include "ui/shared_file_dialog.h"
#include "ui/splash.h"

int WindowInteraction::MessageDlg(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons, int helpContext) {
  return MessageDlgPos(text, type, buttons, helpContext, -1, -1, GetActiveWindow());
}

void WindowInteraction::ShowMessage(const std::string& text) { MessageDlg(text, mtInformation, mbOK, 0); }

bool WindowInteraction::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
  return InputQueryDlg(caption, prompt, value, GetActiveWindow());
}

void WindowInteraction::SetStatusText(StatusControl control, const std::string& text) {
  if (display_ != nullptr) display_->Text(control, text);
}

void WindowInteraction::SetStatusMax(StatusControl control, int maximum) {
  if (display_ != nullptr) display_->Max(control, maximum);
}

void WindowInteraction::SetStatusPosition(StatusControl control, int position) {
  if (display_ != nullptr) display_->Position(control, position);
}

void WindowInteraction::SetStatusVisible(StatusControl control, bool visible) {
  visible_[static_cast<int>(control)] = visible;
  if (display_ != nullptr) display_->Visible(control, visible);
}

void WindowInteraction::ProcessMessages() { PumpMessages(); }

void WindowInteraction::BeginBusy() {
  cursors_.push_back(GetCursor());
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // the hourglass
  PumpMessages();
}

void WindowInteraction::EndBusy() {
  if (cursors_.empty()) return;
  SetCursor(static_cast<HCURSOR>(cursors_.back()));
  cursors_.pop_back();
  PumpMessages();
}

int WindowInteraction::AskSharedFile(SharedFileQuestion question, const std::string& path, bool& sameForAll) {
  return AskSharedFileInDialog(question, path, sameForAll);
}
