#include "ui/message_box.h"

#include <windows.h>

#include "core/identity.h"
#include "core/translate.h"
#include "platform/text.h"
#include "ui/splash.h"

namespace {

// Box titles by type, as the program's own dialog names them.
const char* Title(MsgDlgType type) {
  switch (type) {
    case mtWarning: return "Warnung";
    case mtError: return "Fehler";
    case mtInformation: return "Information";
    case mtConfirmation: return "Bestätigen";
    default: return ProductName;
  }
}

UINT Icon(MsgDlgType type) {
  switch (type) {
    case mtWarning: return MB_ICONWARNING;
    case mtError: return MB_ICONERROR;
    case mtInformation: return MB_ICONINFORMATION;
    case mtConfirmation: return MB_ICONQUESTION;
    default: return 0;
  }
}

// Message-box texts use "\r" for a line break; the system box wants "\n".
std::wstring BoxText(const std::string& text) {
  std::wstring w = platform::Utf8ToWide(text);
  for (wchar_t& c : w)
    if (c == L'\r') c = L'\n';
  return w;
}

}  // namespace

int MessageBoxInteraction::MessageDlg(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons, int) {
  UINT style = MB_OK;
  if ((buttons & mbYes) && (buttons & mbNo) && (buttons & mbCancel)) style = MB_YESNOCANCEL;
  else if ((buttons & mbYes) && (buttons & (mbNo | mbAll | mbYesToAll | mbNoToAll))) style = MB_YESNO;
  else if ((buttons & mbOK) && (buttons & mbCancel)) style = MB_OKCANCEL;
  else if (buttons & mbRetry) style = MB_RETRYCANCEL;
  const int answer = MessageBoxW(nullptr, BoxText(tr(text)).c_str(), platform::Utf8ToWide(tr(Title(type))).c_str(),
                                 style | Icon(type) | MB_TASKMODAL);
  switch (answer) {
    case IDYES: return mrYes;
    case IDNO: return mrNo;
    case IDOK: return mrOk;
    case IDRETRY: return mrRetry;
    case IDCANCEL: return mrCancel;
    default: return buttons & mbCancel ? mrCancel : (buttons & mbNo ? mrNo : mrOk);
  }
}

void MessageBoxInteraction::ShowMessage(const std::string& text) { MessageDlg(text, mtInformation, mbOK, 0); }

bool MessageBoxInteraction::InputQuery(const std::string&, const std::string&, std::string&) {
  return false;  // no input dialog before the main window exists
}

void MessageBoxInteraction::ProcessMessages() { PumpMessages(); }

void MessageBoxInteraction::BeginBusy() {
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));
  if (busy_++ == 0) saved_cursor_ = previous;
  PumpMessages();
}

void MessageBoxInteraction::EndBusy() {
  if (busy_ == 0) return;
  if (--busy_ == 0) SetCursor(static_cast<HCURSOR>(saved_cursor_));
  PumpMessages();
}
