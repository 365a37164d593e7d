#include "app/fonts_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/text.h"

namespace {

enum : int { kDelete = 200, kSize };
constexpr LONG kWidth = 720, kHeight = 440, kSplit = 340;
constexpr int kMinSize = 4, kMaxSize = 200;
constexpr char kSampleText[] = "ABCDEFGHIJKLMNOPQRST\r\nUVWXYZ 1234567890 \r\nabcdefghijklmnopqrstuvwxyz";

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, platform::Utf8ToWide(text).c_str()); }

// The info's lines end in a bare "\r"; an edit control breaks lines at "\r\n".
std::string EditLines(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) out += '\n';
  }
  return out;
}

}  // namespace

TDelFontsFRM::TDelFontsFRM() : TfTSW_BasicForm("TDelFontsFRM", "Schriften löschen", {kWidth, kHeight}) {
  SavePosition = true;
}

TDelFontsFRM::~TDelFontsFRM() {
  if (sampleFont_ == nullptr) return;
  if (IsWindow(sample_)) SendMessageW(sample_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
  DeleteObject(sampleFont_);
}

void TDelFontsFRM::CreateControls() {
  HWND list = AddControl(WC_LISTVIEWW, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                         {10, 10, kSplit, kHeight - 50}, akLeft | akTop | akBottom);
  list_.Attach(list, {{"SchriftenName", 200}, {"Dateiname", 110}}, Dpi());
  const LONG x = kSplit + 10;
  name_ = AddControl(L"STATIC", "", SS_LEFT | SS_ENDELLIPSIS, {x, 10, kWidth - 10, 30}, akLeft | akTop | akRight);
  sample_ = AddControl(L"EDIT", "", ES_MULTILINE | ES_READONLY | WS_BORDER | WS_HSCROLL | WS_VSCROLL,
                       {x, 34, kWidth - 10, 190}, akLeft | akTop | akRight);
  SetText(sample_, kSampleText);
  AddControl(L"STATIC", "Schriftgröße:", SS_LEFT | SS_CENTERIMAGE, {x, 198, x + 90, 220}, akTopLeft);
  sizeEdit_ =
      AddControl(L"EDIT", "", ES_NUMBER | WS_BORDER | WS_TABSTOP, {x + 92, 198, x + 140, 220}, akTopLeft, kSize);
  spin_ = AddControl(UPDOWN_CLASSW, "", UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, {x + 140, 198, x + 158, 220},
                     akTopLeft);
  SendMessageW(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(sizeEdit_), 0);
  SendMessageW(spin_, UDM_SETRANGE32, kMinSize, kMaxSize);
  AddControl(L"STATIC", "TrueType Font-Info", SS_LEFT, {x, 230, kWidth - 10, 248}, akLeft | akTop | akRight);
  info_ = AddControl(L"EDIT", "", ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_TABSTOP,
                     {x, 250, kWidth - 10, kHeight - 50}, akAll);
  AddButton("Schriften löschen", {kWidth - 250, kHeight - 38, kWidth - 120, kHeight - 12}, akRight | akBottom,
            kDelete);
  AddButton("S&chließen", {kWidth - 110, kHeight - 38, kWidth - 10, kHeight - 12}, akRight | akBottom, 2, true);
  FormShow();
}

void TDelFontsFRM::FormShow() {
  ShowSample();
  key_ = FontKey();
  if (key_.empty()) {
    MessageDlg(tr("Diese Version von Windows wird hier nicht unterstützt"), mtError, mbOK);
    return;
  }
  folder_ = FontsFolder();
  try {
    language_ = UserLanguage();
  } catch (const EConvertError& e) {  // the list is still shown, the names in any language
    MessageDlg(e.what(), mtError, mbOK);
  }
  busy_ = true;
  fonts_ = ListFonts(key_);
  ShowList();
  busy_ = false;
  if (fonts_.empty()) return;
  ListView_SetItemState(list_.View(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  FontViewChange(0);
}

void TDelFontsFRM::ShowList() {
  ListModel rows;
  for (const FontEntry& f : fonts_) rows.Add({f.Name, {f.File}});
  list_.Show(rows);
  previewed_ = -1;  // rows may have moved
}

void TDelFontsFRM::FontViewChange(int row) {
  if (busy_ || row < 0 || row >= static_cast<int>(fonts_.size()) || fonts_[row].File.empty() || row == previewed_)
    return;
  previewed_ = row;
  BusyScope busy;
  const FontPreview preview = PreviewFont(fonts_[row], folder_, language_);
  SetText(info_, EditLines(preview.Summary));
  if (preview.FaceName.empty()) return;
  SetText(name_, preview.FaceName);
  face_ = preview.FaceName;
  style_ = preview.Style;
  ShowSample();
}

// The sample in face_ at size_ points; size_ then says what the font really took.
void TDelFontsFRM::ShowSample() {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(size_, Dpi(), 72);
  font.lfWeight = style_.Bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = style_.Italic;
  font.lfCharSet = DEFAULT_CHARSET;
  const std::wstring face = platform::Utf8ToWide(face_);
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  HFONT made = CreateFontIndirectW(&font);
  if (made == nullptr) return;
  SendMessageW(sample_, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  if (sampleFont_ != nullptr) DeleteObject(sampleFont_);
  sampleFont_ = made;
  size_ = MulDiv(-font.lfHeight, 72, Dpi());
  SetSpin(size_);
}

void TDelFontsFRM::SetSpin(int size) {
  if (static_cast<int>(SendMessageW(spin_, UDM_GETPOS32, 0, 0)) != size)
    SendMessageW(spin_, UDM_SETPOS32, 0, size);
}

void TDelFontsFRM::FontSizeSPINChange(int size) {
  if (size < kMinSize || size > kMaxSize || size == size_) return;
  size_ = size;
  ShowSample();
}

void TDelFontsFRM::DelFontsBTNClick() {
  std::vector<FontEntry> marked;
  for (int i = -1; (i = ListView_GetNextItem(list_.View(), i, LVNI_SELECTED)) >= 0;)
    if (const int row = list_.ModelRow(i); row >= 0 && row < static_cast<int>(fonts_.size()))
      marked.push_back(fonts_[row]);
  if (marked.empty()) {
    MessageDlg(tr("Bitte wählen Sie zunächst Schriften aus !"), mtInformation, mbOK);
    return;
  }
  if (MessageDlg(FormatMsg(tr("Wollen Sie wirklich %d Schrift(en) löschen ?"), {std::to_string(marked.size())}),
                 mtConfirmation, mbYes | mbCancel) != mrYes)
    return;
  // The preview must not keep a font in use that is about to go.
  face_.clear();
  style_ = {};
  ShowSample();
  UI().ProcessMessages();
  FontUninstall run;
  struct Drop {  // the uninstalled rows leave the list, also when the run ends in an error
    TDelFontsFRM& form;
    const FontUninstall& run;
    ~Drop() {
      std::erase_if(form.fonts_, [&](const FontEntry& f) {
        return std::find(run.Removed.begin(), run.Removed.end(), f.Name) != run.Removed.end();
      });
      form.ShowList();
    }
  } drop{*this, run};
  UninstallFonts(key_, folder_, marked, run);
}

void TDelFontsFRM::Command(int id, int notifyCode, HWND control) {
  if (id == kDelete) {
    DelFontsBTNClick();
  } else if (id == kSize && notifyCode == EN_CHANGE) {
    BOOL ok = FALSE;
    const int size = static_cast<int>(GetDlgItemInt(Handle(), kSize, &ok, FALSE));
    if (ok) FontSizeSPINChange(size);
  } else {
    TfTSW_BasicForm::Command(id, notifyCode, control);
  }
}

LRESULT TDelFontsFRM::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    const NMHDR& h = *reinterpret_cast<NMHDR*>(lp);
    if (h.hwndFrom == list_.View() && h.code == LVN_ITEMCHANGED) {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(h);
      if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED))
        FontViewChange(list_.ModelRow(change.iItem));
      return 0;
    }
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}
