#include "app/reg_edit_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "core/format.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/text.h"
#include "ui/hex_dump.h"

namespace {

enum : int { kType = 200, kText, kInteger, kHexInteger, kMemo, kMemoWrapped, kWordWrap, kHexDump, kSize };
constexpr LONG kWidth = 680, kHeight = 440, kField = 120, kPageTop = 104, kPageBottom = kHeight - 76;

// The type list: the index is the registry's type number; an unknown type is added
// behind, so that it stays the value's type.
const char* const kTypeCaptions[] = {
    "<kein> (REG_NONE)",
    "Text  (REG_SZ)",
    "Text mit Systemvariablen  (REG_EXPAND_SZ)",
    "Binär  (REG_BINARY)",
    "Zahl, Integer  (REG_DWORD)",
    "Zahl im Motorola-Format  (REG_DWORD_BIG_ENDIAN)",
    "Unicode Symbolischer Link  (REG_LINK)",
    "Mehrzeiliger Text  (REG_MULTI_SZ)",
    "Gerätetreiber Ressourcenliste  (REG_RESOURCE_LIST)",
    "Gerätetreiber Ressourcenliste  (REG_FULL_RESOURCE_DESCRIPTOR)",
    "Gerätetreiber Ressourcenliste  (REG_RESOURCE_REQUIREMENTS_LIST)",
    "64-Bit-Zahl  (REG_QWORD)",
};
constexpr int kKnownTypes = static_cast<int>(std::size(kTypeCaptions));

std::string TextOf(HWND control) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return platform::WideToUtf8(text);
}

// The number fields take digits (and "-" or the letters A to F), Backspace and Enter
// from the keyboard, and the clipboard's keys; pasted text that is no number shows as 0.
bool KeyAllowed(wchar_t c, bool hex) {
  if ((c >= L'0' && c <= L'9') || c == 8 || c == 13) return true;
  if (c == 1 || c == 3 || c == 22 || c == 24 || c == 26) return true;  // Ctrl+A, C, V, X, Z
  if (hex) return (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
  return c == L'-';
}

LRESULT CALLBACK FilterKeys(HWND control, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR hex) {
  if (msg == WM_CHAR && !KeyAllowed(static_cast<wchar_t>(wp), hex != 0)) return 0;
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(control, FilterKeys, id);
  return DefSubclassProc(control, msg, wp, lp);
}

}  // namespace

TRegEditFRM::TRegEditFRM() : TfTSW_BasicForm("TRegEditFRM", "Bearbeiten der Registry", {kWidth, kHeight}) {
  SavePosition = true;
}

TRegEditFRM::~TRegEditFRM() {
  if (memo_font_ != nullptr) DeleteObject(memo_font_);
}

void TRegEditFRM::Load(HKEY root, const std::string& path, const std::string& name, bool isNew) {
  edit_ = std::make_unique<RegValueEdit>(root, path);
  if (isNew) edit_->LoadNew();
  else edit_->Load(name);
}

HWND TRegEditFRM::Label(const std::string& text, RECT design, uint8_t anchors) {
  return AddControl(L"STATIC", text, SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, design, anchors);
}

HWND TRegEditFRM::OnPage(RegEditPage page, HWND control) {
  pages_[page].push_back(control);
  return control;
}

void TRegEditFRM::CreateControls() {
  const DWORD edit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  Label("Schlüssel:", {10, 12, kField - 6, 34});
  path_ = AddControl(L"EDIT", "", edit | ES_READONLY, {kField, 12, kWidth - 10, 34}, akLeft | akTop | akRight);
  Label("Name:", {10, 42, kField - 6, 64});
  name_ = AddControl(L"EDIT", "", edit, {kField, 42, kWidth - 10, 64}, akLeft | akTop | akRight);
  CreateTypeList();
  CreatePages();
  AddButton("&OK", {kWidth - 210, kHeight - 38, kWidth - 112, kHeight - 12}, akRight | akBottom, mrOk, true);
  AddButton("Abbre&chen", {kWidth - 106, kHeight - 38, kWidth - 10, kHeight - 12}, akRight | akBottom, mrCancel);
  if (edit_) FillEditors();
}

void TRegEditFRM::CreateTypeList() {
  Label("Datentyp:", {10, 72, kField - 6, 94});
  type_ = AddControl(WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, {kField, 72, kField + 400, 372},
                     akLeft | akTop, kType);
  for (const char* caption : kTypeCaptions)
    SendMessageW(type_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Utf8ToWide(tr(caption)).c_str()));
}

void TRegEditFRM::CreatePages() {
  const DWORD edit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
  const LONG top = kPageTop, field = top + 20;
  OnPage(rpText, Label("Text:", {10, top, 200, top + 18}));
  text_ = OnPage(rpText, AddControl(L"EDIT", "", edit, {10, field, kWidth - 10, field + 22}, akLeft | akTop | akRight, kText));

  OnPage(rpInteger, Label("Zahl (dezimal):", {10, top, 170, top + 22}));
  integer_ = OnPage(rpInteger, AddControl(L"EDIT", "", edit, {180, top, 300, top + 22}, akTopLeft, kInteger));
  OnPage(rpInteger, Label("Zahl (hexadezimal):", {10, top + 30, 170, top + 52}));
  OnPage(rpInteger, Label("$", {180, top + 30, 190, top + 52}));
  hex_integer_ = OnPage(rpInteger, AddControl(L"EDIT", "", edit, {192, top + 30, 300, top + 52}, akTopLeft, kHexInteger));
  SendMessageW(hex_integer_, EM_LIMITTEXT, 8, 0);
  SetWindowSubclass(integer_, FilterKeys, 1, 0);
  SetWindowSubclass(hex_integer_, FilterKeys, 1, 1);

  OnPage(rpMultiText, Label("Mehrzeiliger Text:", {10, top, 200, top + 18}));
  memo_lines_ = OnPage(rpMultiText, Label("", {210, top, 400, top + 18}));
  // The edit control cannot switch its line wrap: one memo for each way.
  const DWORD memo = WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
  const RECT memoRect{10, field, kWidth - 10, kPageBottom - 28};
  memo_[0] = OnPage(rpMultiText, AddControl(L"EDIT", "", memo | ES_AUTOHSCROLL | WS_HSCROLL, memoRect, akAll, kMemo));
  memo_[1] = OnPage(rpMultiText, AddControl(L"EDIT", "", memo, memoRect, akAll, kMemoWrapped));
  memo_font_ = CreateFontW(-MulDiv(10, Dpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
  for (HWND m : memo_) SendMessageW(m, WM_SETFONT, reinterpret_cast<WPARAM>(memo_font_), FALSE);
  word_wrap_ = OnPage(rpMultiText, AddControl(L"BUTTON", "Zeilenumbruch automatisch", BS_AUTOCHECKBOX | WS_TABSTOP,
                                              {10, kPageBottom - 22, 300, kPageBottom}, akLeft | akBottom, kWordWrap));

  OnPage(rpBinary, Label("Binärdaten:", {10, top, 200, top + 18}));
  hex_dump_ = OnPage(rpBinary, AddControl(THexDump::ClassName(), "", WS_BORDER | WS_TABSTOP | WS_VSCROLL,
                                          {10, field, kWidth - 10, kPageBottom - 28}, akAll, kHexDump));
  OnPage(rpBinary, Label("Datengröße:", {10, kPageBottom - 22, 100, kPageBottom}, akLeft | akBottom));
  size_edit_ = OnPage(rpBinary, AddControl(L"EDIT", "0", WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_RIGHT,
                                           {104, kPageBottom - 22, 170, kPageBottom}, akLeft | akBottom, kSize));
  spin_ = OnPage(rpBinary, AddControl(UPDOWN_CLASSW, "", UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                      {170, kPageBottom - 22, 188, kPageBottom}, akLeft | akBottom));
  SendMessageW(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(size_edit_), 0);
}

// The loaded value into every editor; the page is the one that shows it unchanged.
void TRegEditFRM::FillEditors() {
  loading_ = true;
  const RegValue& value = edit_->Value();
  SetField(path_, edit_->PathText());
  if (edit_->IsNew()) {
    SetField(name_, edit_->ProposedName());
  } else if (edit_->LoadedName().empty()) {  // the default value keeps its empty name
    SetField(name_, ReadSettingText("DefaultText"));
    EnableWindow(name_, FALSE);
  } else {
    SetField(name_, edit_->LoadedName());
  }
  if (value.Type >= static_cast<DWORD>(kKnownTypes))
    SendMessageW(type_, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(platform::Utf8ToWide(FormatMsg(tr("Unbekannter Datentyp (%d)"),
                                                                         {std::to_string(value.Type)})).c_str()));
  SendMessageW(type_, CB_SETCURSEL, std::min<WPARAM>(value.Type, kKnownTypes), 0);
  const EditorTexts texts = TextsOf(value);
  SetField(text_, texts.Text);
  SetField(integer_, texts.Integer);
  SetField(memo_[0], texts.Memo);
  MemoChanged();  // a multi-line edit tells no change of its whole text
  buffer_ = value.Bytes;
  THexDump::Of(hex_dump_)->SetBuffer(buffer_.data(), buffer_.size());
  // A larger value keeps its size: the spin goes up to it.
  SendMessageW(spin_, UDM_SETRANGE32, 0, static_cast<LPARAM>(std::max(kMaxBinaryEditSize, buffer_.size())));
  SendMessageW(spin_, UDM_SETPOS32, 0, static_cast<LPARAM>(buffer_.size()));
  ShowPage(FaithfulPage(value));
  loading_ = false;
}

void TRegEditFRM::SetField(HWND control, const std::string& text) {
  SetWindowTextW(control, platform::Utf8ToWide(text).c_str());
}

HWND TRegEditFRM::InitialFocus() const {
  const HWND focus[] = {text_, integer_, Memo1(), hex_dump_};
  return focus[page_];
}

void TRegEditFRM::ShowPage(RegEditPage page) {
  page_ = page;
  for (int p = 0; p < 4; ++p)
    for (HWND c : pages_[p]) ShowWindow(c, p == page ? SW_SHOW : SW_HIDE);
  ShowWindow(memo_[1 - wrap_], SW_HIDE);
}

DWORD TRegEditFRM::ChosenType() const {
  const int index = static_cast<int>(SendMessageW(type_, CB_GETCURSEL, 0, 0));
  return index >= 0 && index < kKnownTypes ? static_cast<DWORD>(index) : edit_->Value().Type;
}

void TRegEditFRM::RegTypeCBOChange() {
  const DWORD type = ChosenType();
  const RegValue& loaded = edit_->Value();
  // Back at the value's own type, the page that shows its bytes unchanged.
  ShowPage(type == loaded.Type ? FaithfulPage(loaded) : PageOfType(type));
}

void TRegEditFRM::IntegerChanged(bool fromHex) {
  if (!loading_) edited_[rpInteger] = true;
  if (guard_) return;
  guard_ = true;
  if (fromHex) SetField(integer_, DecimalOfHex(TextOf(hex_integer_)));
  else SetField(hex_integer_, HexOfDecimal(TextOf(integer_)));
  guard_ = false;
}

void TRegEditFRM::MemoChanged() {
  if (!loading_) edited_[rpMultiText] = true;
  const int lines = static_cast<int>(SendMessageW(Memo1(), EM_GETLINECOUNT, 0, 0));
  SetField(memo_lines_, FormatMsg(tr("(%d Zeilen)"), {std::to_string(lines)}));
}

void TRegEditFRM::WordWrapCBClick() {
  const int wrap = SendMessageW(word_wrap_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  if (wrap == wrap_) return;
  const bool loading = loading_;
  loading_ = true;  // the same text in the other memo is no edit
  SetField(memo_[wrap], TextOf(memo_[wrap_]));
  wrap_ = wrap;
  if (page_ == rpMultiText) ShowPage(rpMultiText);
  MemoChanged();
  loading_ = loading;
}

void TRegEditFRM::BinSizeSPINChange(int size) {
  int low = 0, high = 0;
  SendMessageW(spin_, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  if (size < 0 || size > high) return;
  if (static_cast<int>(SendMessageW(spin_, UDM_GETPOS32, 0, 0)) != size) SendMessageW(spin_, UDM_SETPOS32, 0, size);
  if (static_cast<size_t>(size) == THexDump::Of(hex_dump_)->Size()) return;
  buffer_.resize(static_cast<size_t>(size), 0);
  THexDump::Of(hex_dump_)->SetBuffer(buffer_.data(), buffer_.size());
}

// A size typed into the field counts once the field is left (or OK pressed): while the
// digits are typed one by one, the bytes beyond them must not go.
void TRegEditFRM::ApplyTypedSize() {
  BOOL ok = FALSE;
  const UINT size = GetDlgItemInt(Handle(), kSize, &ok, FALSE);
  if (ok && size <= 0x7FFFFFFF) BinSizeSPINChange(static_cast<int>(size));
  SendMessageW(spin_, UDM_SETPOS32, 0, static_cast<LPARAM>(buffer_.size()));  // the field tells the real size
}

void TRegEditFRM::Button1Click() {
  if (page_ == rpBinary) ApplyTypedSize();
  const DWORD type = ChosenType();
  EditorInput input{type, page_, page_ != rpBinary && edited_[page_], TextOf(text_), TextOf(integer_),
                    TextOf(Memo1()), buffer_};
  const bool isDefault = !IsWindowEnabled(name_);
  if (edit_->Save(TextOf(name_), isDefault, type, BytesToSave(edit_->Value(), input))) SetModalResult(mrOk);
}

void TRegEditFRM::Command(int id, int notifyCode, HWND control) {
  switch (id) {
    case mrOk: Button1Click(); return;
    case kType:
      if (notifyCode == CBN_SELCHANGE) RegTypeCBOChange();
      return;
    case kText:
      if (notifyCode == EN_CHANGE && !loading_) edited_[rpText] = true;
      return;
    case kInteger:
    case kHexInteger:
      if (notifyCode == EN_CHANGE) IntegerChanged(id == kHexInteger);
      return;
    case kMemo:
    case kMemoWrapped:
      if (notifyCode == EN_CHANGE && control == Memo1()) MemoChanged();
      return;
    case kWordWrap: WordWrapCBClick(); return;
    case kSize:
      if (notifyCode == EN_KILLFOCUS) ApplyTypedSize();
      return;
    default: TfTSW_BasicForm::Command(id, notifyCode, control);
  }
}

LRESULT TRegEditFRM::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_VSCROLL && reinterpret_cast<HWND>(lp) == spin_) {  // an arrow of the size spin
    BinSizeSPINChange(static_cast<int>(SendMessageW(spin_, UDM_GETPOS32, 0, 0)));
    return 0;
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}

int EditRegistryValue(HWND owner, HKEY root, const std::string& path, const std::string& name, bool isNew) {
  TRegEditFRM form;
  form.Load(root, path, name, isNew);
  return form.ShowModal(owner);
}
