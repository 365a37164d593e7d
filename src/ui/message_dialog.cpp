#include "ui/message_dialog.h"

#include <algorithm>

#include "core/identity.h"
#include "core/translate.h"
#include "platform/text.h"

namespace {

constexpr int kHelpId = 11;  // "&Hilfe" closes nothing
constexpr int kMargin = 10, kButtonWidth = 75, kButtonHeight = 25, kGap = 6, kIcon = 32, kMaxTextWidth = 360;

const wchar_t* IconOf(MsgDlgType type) {
  switch (type) {
    case mtWarning: return IDI_EXCLAMATION;
    case mtError: return IDI_HAND;
    case mtInformation: return IDI_ASTERISK;
    case mtConfirmation: return IDI_QUESTION;
    default: return nullptr;
  }
}

// A line break in a box text is "\r"; the static control wants "\r\n".
std::wstring BoxText(const std::string& text) {
  std::wstring out;
  for (wchar_t c : platform::Utf8ToWide(text)) {
    if (c == L'\n' && !out.empty() && out.back() == L'\r') continue;
    out += c;
    if (c == L'\r') out += L'\n';
  }
  return out;
}

// The text's size in design units, wrapped at the widest a box gets.
SIZE MeasureText(HWND window, HFONT font, const std::wstring& text, int dpi) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, ScaleToDpi(kMaxTextWidth, dpi), 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return {MulDiv(r.right, 96, dpi) + 2, MulDiv(r.bottom, 96, dpi) + 2};
}

}  // namespace

const MessageButton kMessageButtons[11] = {
    {mbYes, "&Ja", mrYes},          {mbNo, "&Nein", mrNo},
    {mbOK, "OK", mrOk},             {mbCancel, "Abbrechen", mrCancel},
    {mbAbort, "&Abbrechen", mrAbort}, {mbRetry, "&Wiederholen", mrRetry},
    {mbIgnore, "&Ignorieren", mrIgnore}, {mbAll, "&Alles", mrAll},
    {mbNoToAll, "&Alle Nein", mrNoToAll}, {mbYesToAll, "A&lle Ja", mrYesToAll},
    {mbHelp, "&Hilfe", kHelpId}};

int DefaultResult(TMsgDlgButtons buttons) {
  if (buttons & mbOK) return mrOk;
  if (buttons & mbYes) return mrYes;
  if (buttons & mbRetry) return mrRetry;
  return 0;
}

int CancelResult(TMsgDlgButtons buttons) {
  if (buttons & mbCancel) return mrCancel;
  if (buttons & mbNo) return mrNo;
  if (buttons & mbOK) return mrOk;
  return mrCancel;
}

const char* MessageTitle(MsgDlgType type) {
  switch (type) {
    case mtWarning: return "Warnung";
    case mtError: return "Fehler";
    case mtInformation: return "Information";
    case mtConfirmation: return "Bestätigen";
    default: return ProductName;
  }
}

TMessageForm::TMessageForm(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons)
    : TfTSW_BasicForm("TMessageForm", "", {0, 0}), text_(text), type_(type), buttons_(buttons ? buttons : mbOK) {
  SetCancelResult(CancelResult(buttons_));
}

void TMessageForm::CreateControls() {
  SetCaption(tr(MessageTitle(type_)));
  const std::wstring text = BoxText(tr(text_));
  const SIZE textSize = MeasureText(Handle(), Font(), text, Dpi());
  const wchar_t* icon = IconOf(type_);
  const int textLeft = kMargin + (icon != nullptr ? kIcon + kMargin : 0);
  int count = 0;
  for (const MessageButton& b : kMessageButtons) count += (buttons_ & b.Flag) ? 1 : 0;
  const int row = count * kButtonWidth + (count - 1) * kGap;
  const int top = kMargin + std::max(textSize.cy, icon != nullptr ? static_cast<LONG>(kIcon) : 0L) + kMargin;
  const SIZE client{std::max<LONG>(textLeft + textSize.cx + kMargin, row + 2 * kMargin), top + kButtonHeight + kMargin};
  SetDesignSize(client);
  if (icon != nullptr) {
    HWND picture = AddControl(L"STATIC", "", SS_ICON, {kMargin, kMargin, kMargin + kIcon, kMargin + kIcon}, akTopLeft);
    SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, icon)), 0);
  }
  HWND label = AddControl(L"STATIC", "", SS_NOPREFIX,
                          {textLeft, kMargin, textLeft + textSize.cx, kMargin + textSize.cy}, akTopLeft);
  SetWindowTextW(label, text.c_str());  // the text as given, not looked up again
  int x = (client.cx - row) / 2;
  const int defaultResult = DefaultResult(buttons_);
  for (const MessageButton& b : kMessageButtons) {
    if (!(buttons_ & b.Flag)) continue;
    AddButton(b.Caption, {x, top, x + kButtonWidth, top + kButtonHeight}, akTopLeft, b.Result,
              b.Result == defaultResult);
    x += kButtonWidth + kGap;
  }
}

void TMessageForm::Command(int id, int notifyCode, HWND control) {
  if (id == kHelpId) return;  // the help file lies outside the program
  TfTSW_BasicForm::Command(id, notifyCode, control);
}

int MessageDlgPos(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons, int, int x, int y, HWND owner) {
  TMessageForm box(text, type, buttons);
  box.CreateHandle(owner);
  if (x >= 0 && y >= 0) SetWindowPos(box.Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(box.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return box.ShowModal(owner);
}

namespace {

class TInputQueryForm : public TfTSW_BasicForm {
 public:
  TInputQueryForm(const std::string& caption, const std::string& prompt, const std::string& value)
      : TfTSW_BasicForm("TInputQueryForm", "", {300, 100}), caption_(caption), prompt_(prompt), value_(value) {}
  std::string Value() const { return value_; }

 protected:
  void CreateControls() override {
    SetCaption(tr(caption_));
    AddControl(L"STATIC", prompt_, SS_NOPREFIX, {10, 10, 290, 26}, akLeft | akTop | akRight);
    edit_ = AddControl(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, {10, 30, 290, 51}, akLeft | akTop | akRight, 100,
                       WS_EX_CLIENTEDGE);
    SendMessageW(edit_, EM_LIMITTEXT, 255, 0);
    SetWindowTextW(edit_, platform::Utf8ToWide(value_).c_str());
    AddButton("OK", {134, 65, 209, 90}, akRight | akBottom, mrOk, true);
    AddButton("Abbrechen", {215, 65, 290, 90}, akRight | akBottom, mrCancel);
    SendMessageW(edit_, EM_SETSEL, 0, -1);
  }
  void Command(int id, int notifyCode, HWND control) override {
    if (id == mrOk) {
      std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit_)) + 1, L'\0');
      text.resize(static_cast<size_t>(GetWindowTextW(edit_, text.data(), static_cast<int>(text.size()))));
      value_ = platform::WideToUtf8(text);
    }
    TfTSW_BasicForm::Command(id, notifyCode, control);
  }
  HWND InitialFocus() const override { return edit_; }
  DWORD Style() const override { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }
  DWORD ExStyle() const override { return WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT; }

 private:
  std::string caption_, prompt_, value_;
  HWND edit_ = nullptr;
};

}  // namespace

bool InputQueryDlg(const std::string& caption, const std::string& prompt, std::string& value, HWND owner) {
  TInputQueryForm form(caption, prompt, value);
  if (form.ShowModal(owner) != mrOk) return false;
  value = form.Value();
  return true;
}
