#include "ui/error_dialog.h"

#include "core/error_category.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/text.h"

namespace {

constexpr int kDetailsId = 20;
constexpr int kCutOff = 150;  // design height of the dialog without its details box

void SetText(HWND control, const std::string& text) {
  std::wstring w;
  for (wchar_t c : platform::Utf8ToWide(text)) {  // "\r" alone breaks a line too
    if (c == L'\n' && !w.empty() && w.back() == L'\r') continue;
    w += c;
    if (c == L'\r') w += L'\n';
  }
  SetWindowTextW(control, w.c_str());
}

}  // namespace

TErrorFRM::TErrorFRM(const std::exception& error, const std::string& sender, const std::string& senderPath)
    : TfTSW_BasicForm("TErrorFRM", "", {380, 250}),
      message_(error.what()),
      category_(ErrorCategory(error)),
      details_(FormatMsg("Fehlertyp:\r\n   %s\r\nFehlerverursacher:\r\n   %s\r\nFehlerort:\r\n   %s",
                         {ExceptionClassName(error), sender, senderPath})) {
  SetCancelResult(mrOk);
}

void TErrorFRM::CreateControls() {
  SetCaption(tr("Fehler"));
  HWND icon = AddControl(L"STATIC", "", SS_ICON, {10, 10, 42, 42}, akTopLeft);
  SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_HAND)), 0);
  AddControl(L"STATIC", "Es trat folgender Fehler auf:", SS_NOPREFIX, {52, 10, 370, 26}, akTopLeft);
  SetText(AddControl(L"STATIC", "", SS_NOPREFIX, {52, 28, 370, 56}, akTopLeft), tr(category_));
  SetText(AddControl(L"EDIT", "", ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_TABSTOP, {10, 60, 370, 110},
                     akTopLeft, 0, WS_EX_CLIENTEDGE),
          message_);
  AddButton("&Ok", {214, 118, 289, 143}, akTopLeft, mrOk, true);
  AddButton("&Details", {295, 118, 370, 143}, akTopLeft, kDetailsId);
  SetText(AddControl(L"EDIT", "", ES_MULTILINE | ES_READONLY | WS_VSCROLL, {10, kCutOff, 370, 240}, akTopLeft, 0,
                     WS_EX_CLIENTEDGE),
          details_);
  // Shown cut off just above the details box; "&Details" gives the full height.
  AfterShow = [this] {
    RECT r;
    GetWindowRect(Handle(), &r);
    full_height_ = r.bottom - r.top;
    RECT client;
    GetClientRect(Handle(), &client);
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, full_height_ - (client.bottom - Scale(kCutOff) + Scale(4)),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
}

void TErrorFRM::Command(int id, int notifyCode, HWND control) {
  if (id != kDetailsId) return TfTSW_BasicForm::Command(id, notifyCode, control);
  RECT r;
  GetWindowRect(Handle(), &r);
  if (full_height_ > 0)
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, full_height_, SWP_NOMOVE | SWP_NOZORDER);
  details_shown_ = true;
}

void ShowError(const std::string& sender, const std::exception& error) {
  if (IsSilentAbort(error)) return;
  if (IsUserAbort(error)) {
    MessageDlg(error.what(), mtInformation, mbOK);
    return;
  }
  UI().ProcessMessages();
  TErrorFRM dialog(error, sender, sender);
  dialog.ShowModal(GetActiveWindow());
  UI().ProcessMessages();
}
