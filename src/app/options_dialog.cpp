#include "app/options_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "core/identity.h"
#include "core/translate.h"
#include "platform/names.h"
#include "platform/text.h"
#include "ui/caption_bar.h"
#include "ui/folder_dialog.h"
#include "ui/tab_control.h"

namespace {

enum : int {
  kApply = 200, kRecycle, kBackupFiles, kMakeBackup, kUseRestore,
  kBrowseBackupDir = 210, kBrowseStore,
  kSwatch = 220,  // four of them
  kExtAdd = 230, kExtRemove, kTabs = 240,
};

const char* const kPages[] = {"Allgemein", "Ansicht", "Löschen", "Backup", "Versionsinfo", "Sprache"};
const char kLaterNote[] = "Diese Einstellungen werden teilweise erst nach dem nächsten Start wirksam";
const char* const kLanguages[] = {"System Vorgabe", "Deutsch (DE)", "Englisch (EN)"};
const char* const kLanguageCodes[] = {"", "DE", "EN"};

// The designed client area: the pages above the three buttons.
constexpr LONG kWidth = 460, kHeight = 340;
constexpr LONG kRight = kWidth - 20;  // right edge of a page's controls
constexpr uint8_t akStretch = akLeft | akTop | akRight;

std::wstring WindowText(HWND control) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND button, bool on) { SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

std::string ListLine(HWND list, int index) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return platform::WideToUtf8(text);
}

}  // namespace

void ApplyCaptionColorSettings() {
  SetCaptionColors({ReadSettingInt("CaptionColor"), ReadSettingInt("CaptionTextActive"),
                    ReadSettingInt("CaptionTextInActive")});
}

TfOptions::TfOptions() : TfTSW_BasicForm("TfOptions", "Einstellungen", {kWidth, kHeight}) {}

DWORD TfOptions::Style() const { return WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN; }

void TfOptions::CreateControls() {
  tabs_ = AddControl(WC_TABCONTROLW, "", WS_CLIPSIBLINGS | WS_TABSTOP | WS_GROUP, {8, 8, kWidth - 8, kHeight - 40},
                     akAll, kTabs);
  AddTabBody(tabs_);
  for (int page = 0; page < 6; ++page) {
    AddTab(tabs_, page, kPages[page]);
    pages_.emplace_back();
    creating_page_ = page;
    CreatePage(page);
  }
  constexpr uint8_t akCorner = akRight | akBottom;
  pages_.emplace_back();  // the buttons belong to no page
  creating_page_ = 6;
  AddButton("&Ok", {kWidth - 248, kHeight - 32, kWidth - 168, kHeight - 8}, akCorner, 1, true);
  AddButton("&Übernehmen", {kWidth - 164, kHeight - 32, kWidth - 88, kHeight - 8}, akCorner, kApply);
  AddButton("&Abbrechen", {kWidth - 84, kHeight - 32, kWidth - 8, kHeight - 8}, akCorner, 2);
  SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Load();
  ShowPage(0);
}

void TfOptions::CreatePage(int page) {
  switch (page) {
    case 0:
      Label("Pfad zur Autoexec.bat und Config.sys:", {20, 44, kRight, 60});
      Edit("PathToSystemFiles", {20, 62, kRight, 84});
      Label("Vorgabe für Default-Registry-Einträge:", {20, 96, kRight, 112});
      Edit("DefaultText", {20, 114, kRight, 136});
      Label("leerer Registry-Eintrag:", {20, 148, kRight, 164});
      Edit("EmptyText", {20, 166, kRight, 188});
      Check("ShowRegistryErrors", "Zeige Registry Fehlermeldungen", {20, 202, kRight, 222});
      break;
    case 1:
      Check("ShowHints", "Anzeigen der Hilfe-Hinweise", {20, 44, kRight, 64});
      Swatch("HintColor", "Farbe der Hilfetexte:", 76);
      Swatch("CaptionColor", "Farbe der Fensterleiste:", 106);
      Swatch("CaptionTextActive", "Schriftfarbe der Fensterleiste (Aktiv):", 136);
      Swatch("CaptionTextInActive", "Schriftfarbe der Fensterleiste (Inaktiv):", 166);
      Label(kLaterNote, {20, kHeight - 80, kRight, kHeight - 50});
      break;
    case 2:
      Check("UseRecycleBin", "verschieben der Dateien in Papierkorb beim Löschen", {20, 44, kRight, 64}, kRecycle);
      Check("BackupFiles", "Dateien sichern im nachfolgenden Verzeichnis", {20, 70, kRight, 90}, kBackupFiles);
      FolderField("BackupDir", 94, kBrowseBackupDir);
      RadioGroup("HandleSharedDLLs", "Gemeinsam genutzte Dateien (Zähler in SharedDLLs):",
                 {"jeweils nachfragen (löschen und beibehalten möglich)", "automatisch löschen wenn Zähler Null wird",
                  "alle Dateien beibehalten (nie löschen)"},
                 {20, 132, kRight, 226});
      break;
    case 3:
      Check("MakeDLLBackup", "Verzeichnisse autom. sichern im nachfolgenden Verzeichnis", {20, 44, kRight, 64},
            kMakeBackup);
      FolderField("DLLBackupPath", 68, kBrowseStore);
      Check("UseDLLBackupRestore", "gesicherte Dateien beim Wiederherstellen verwenden", {20, 106, kRight, 126},
            kUseRestore);
      break;
    case 4:
      Check("StoreVersionInfo", "Speichere Versionsinfo", {20, 44, kRight, 64});
      ext_list_ = AddControl(L"LISTBOX", "", WS_VSCROLL | WS_TABSTOP | WS_GROUP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                             {20, 72, 300, kHeight - 84}, akAll, 0, WS_EX_CLIENTEDGE);
      pages_[4].push_back(ext_list_);
      ext_field_ = AddControl(L"EDIT", "", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, {310, 72, kRight, 94},
                              akRight | akTop, 0, WS_EX_CLIENTEDGE);
      pages_[4].push_back(ext_field_);
      pages_[4].push_back(AddButton("hinzufügen", {310, 100, kRight, 124}, akRight | akTop, kExtAdd));
      pages_[4].push_back(AddButton("entfernen", {310, 130, kRight, 154}, akRight | akTop, kExtRemove));
      Label("Hinweis: die Verwendung von Wildcards ist hier nicht möglich!", {20, kHeight - 78, kRight, kHeight - 50});
      break;
    case 5:
      language_ = RadioGroup(nullptr, "Sprache:", {kLanguages[0], kLanguages[1], kLanguages[2]}, {20, 44, kRight, 120});
      Label(kLaterNote, {20, kHeight - 80, kRight, kHeight - 50});
      break;
    default:
      break;
  }
}

HWND TfOptions::Label(const char* text, RECT r) {
  HWND label = AddControl(L"STATIC", text, SS_LEFT | SS_NOPREFIX, r, akStretch);
  pages_[static_cast<size_t>(creating_page_)].push_back(label);
  return label;
}

HWND TfOptions::Edit(const char* setting, RECT r) {
  HWND edit = AddControl(L"EDIT", "", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, r, akStretch, 0, WS_EX_CLIENTEDGE);
  Bind(setting, edit);
  return edit;
}

HWND TfOptions::Check(const char* setting, const char* text, RECT r, int id) {
  HWND box = AddControl(L"BUTTON", text, WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, r, akStretch, id);
  Bind(setting, box);
  return box;
}

// A heading with its radio buttons below it; returns the first button. (No group
// box: its inside would show the window face instead of the page's colour.)
HWND TfOptions::RadioGroup(const char* setting, const char* caption, std::initializer_list<const char*> items,
                           RECT r) {
  Label(caption, {r.left, r.top, r.right, r.top + 18});
  HWND first = nullptr;
  LONG y = r.top + 20;
  for (const char* item : items) {
    HWND radio = AddControl(L"BUTTON", item, BS_AUTORADIOBUTTON | (first == nullptr ? WS_GROUP | WS_TABSTOP : 0),
                            {r.left + 12, y, r.right, y + 20}, akStretch);
    pages_[static_cast<size_t>(creating_page_)].push_back(radio);
    if (first == nullptr) first = radio;
    y += 22;
  }
  if (setting != nullptr) Bind(setting, first);
  return first;
}

void TfOptions::Swatch(const char* setting, const char* text, int y) {
  Label(text, {20, y + 3, 300, y + 21});
  const int index = static_cast<int>(std::count_if(bound_.begin(), bound_.end(), [](const Bound& b) {
    return b.swatch >= 0;
  }));
  HWND swatch = AddControl(L"BUTTON", "", WS_TABSTOP | WS_GROUP | BS_OWNERDRAW, {310, y, 370, y + 22}, akTopLeft,
                           kSwatch + index);
  Bind(setting, swatch, index);
}

void TfOptions::FolderField(const char* setting, int y, int browseId) {
  Edit(setting, {36, y, kRight - 36, y + 22});
  pages_[static_cast<size_t>(creating_page_)].push_back(
      AddButton("...", {kRight - 32, y, kRight, y + 22}, akRight | akTop, browseId));
}

void TfOptions::Bind(const char* setting, HWND control, int swatch) {
  for (const SettingDef& def : SettingsTable())
    if (std::string(def.name) == setting) bound_.push_back({def, control, swatch});
  pages_[static_cast<size_t>(creating_page_)].push_back(control);
}

TfOptions::Bound* TfOptions::Find(const std::string& name) {
  for (Bound& b : bound_)
    if (b.def.name == name) return &b;
  return nullptr;
}

const TfOptions::Bound* TfOptions::Find(const std::string& name) const {
  return const_cast<TfOptions*>(this)->Find(name);
}

HWND TfOptions::ControlOf(const std::string& name) const {
  if (name == "VersionExtList") return ext_list_;
  if (name == "ExtensionField") return ext_field_;
  if (name == "Language") return language_;
  const Bound* b = Find(name);
  return b != nullptr ? b->control : nullptr;
}

int32_t TfOptions::SwatchColour(const std::string& name) const {
  const Bound* b = Find(name);
  return b != nullptr && b->swatch >= 0 ? colours_[static_cast<size_t>(b->swatch)] : 0;
}

void TfOptions::SetSwatchColour(const std::string& name, int32_t colour) {
  Bound* b = Find(name);
  if (b == nullptr || b->swatch < 0) return;
  colours_[static_cast<size_t>(b->swatch)] = colour;
  InvalidateRect(b->control, nullptr, TRUE);
}

std::vector<HWND> TfOptions::Radios(HWND first, int count) {
  std::vector<HWND> radios{first};
  while (static_cast<int>(radios.size()) < count) radios.push_back(GetWindow(radios.back(), GW_HWNDNEXT));
  return radios;
}

// Every setting with its default into its control; the language override last.
void TfOptions::Load() {
  for (Bound& b : bound_) {
    const SettingValue value = ReadSettingDef(b.def.name, b.def.defaultValue);
    const auto* number = std::get_if<int32_t>(&value);
    const auto* text = std::get_if<std::string>(&value);
    switch (b.def.kind) {
      case SettingKind::Text:
        SetWindowTextW(b.control, platform::Utf8ToWide(text != nullptr ? *text : std::to_string(*number)).c_str());
        break;
      case SettingKind::Boolean: SetChecked(b.control, number != nullptr && *number != 0); break;
      case SettingKind::Integer: {
        const std::vector<HWND> radios = Radios(b.control, 3);
        for (size_t i = 0; i < radios.size(); ++i)
          SetChecked(radios[i], number != nullptr && static_cast<size_t>(*number) == i);
        break;
      }
      case SettingKind::Colour: colours_[static_cast<size_t>(b.swatch)] = number != nullptr ? *number : 0; break;
    }
  }
  const SettingValue masks = ReadSettingDef("VersionExtList", std::string());
  if (const auto* text = std::get_if<std::string>(&masks)) {
    size_t start = 0;
    while (start <= text->size()) {
      size_t end = text->find_first_of("\r\n", start);
      if (end == std::string::npos) end = text->size();
      if (end > start)
        SendMessageW(ext_list_, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(platform::Utf8ToWide(text->substr(start, end - start)).c_str()));
      start = end + 1;
    }
  }
  stored_language_ = ReadLanguageOverride();
  const std::string code = platform::UpperCase(stored_language_.substr(0, 2));
  const int language = code == "DE" ? 1 : code == "EN" ? 2 : code == "ES" ? -1 : 0;
  const std::vector<HWND> radios = Radios(language_, 3);
  for (int i = 0; i < 3; ++i) SetChecked(radios[static_cast<size_t>(i)], i == language);
}

void TfOptions::Save() {
  for (const SettingDef& def : SettingsTable()) {
    const Bound* b = Find(def.name);
    if (std::string(def.name) == "VersionExtList") {
      std::string lines;
      const int count = static_cast<int>(SendMessageW(ext_list_, LB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) lines += (i > 0 ? "\r\n" : "") + ListLine(ext_list_, i);
      WriteSetting(def.name, lines);
      continue;
    }
    if (b == nullptr) continue;
    switch (def.kind) {
      case SettingKind::Text: WriteSetting(def.name, platform::WideToUtf8(WindowText(b->control))); break;
      case SettingKind::Boolean: WriteSetting(def.name, Checked(b->control) ? 1 : 0); break;
      case SettingKind::Integer: {
        const std::vector<HWND> radios = Radios(b->control, 3);
        int32_t index = 0;
        for (size_t i = 0; i < radios.size(); ++i)
          if (Checked(radios[i])) index = static_cast<int32_t>(i);
        WriteSetting(def.name, index);
        break;
      }
      case SettingKind::Colour: WriteSetting(def.name, colours_[static_cast<size_t>(b->swatch)]); break;
    }
  }
  SetCaptionColors({SwatchColour("CaptionColor"), SwatchColour("CaptionTextActive"),
                    SwatchColour("CaptionTextInActive")});
  std::string language = stored_language_;  // an override the group cannot show stays
  const std::vector<HWND> radios = Radios(language_, 3);
  for (size_t i = 0; i < radios.size(); ++i)
    if (Checked(radios[i])) language = kLanguageCodes[i];
  WriteLanguageOverride(language);
  stored_language_ = language;
}

void TfOptions::ShowPage(int page) {
  TabCtrl_SetCurSel(tabs_, page);
  for (size_t p = 0; p < 6; ++p)
    for (HWND control : pages_[p]) ShowWindow(control, static_cast<int>(p) == page ? SW_SHOW : SW_HIDE);
}

// Into the recycle bin, or into the backup folder: not both. The backup page's boxes
// count as a vote for the backup folder.
void TfOptions::ExclusiveChecks(int clicked) {
  HWND recycle = ControlOf("UseRecycleBin"), backup = ControlOf("BackupFiles");
  if (clicked == kRecycle) {
    if (Checked(recycle)) SetChecked(backup, false);
  } else if (Checked(backup)) {
    SetChecked(recycle, false);
  }
}

void TfOptions::BrowseFolder(const char* setting, const char* status) {
  HWND field = ControlOf(setting);
  std::string folder = platform::WideToUtf8(WindowText(field));
  if (ChooseFolder(Handle(), {"", "Backuppfad für die Sicherung von Dateien", status, true}, folder))
    SetWindowTextW(field, platform::Utf8ToWide(folder).c_str());
}

void TfOptions::ChooseColour(int swatch) {
  static COLORREF custom[16] = {};
  CHOOSECOLORW choice{};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = Handle();
  choice.rgbResult = ColourToRgb(colours_[static_cast<size_t>(swatch)]);
  choice.lpCustColors = custom;
  choice.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT;
  if (!ChooseColorW(&choice)) return;
  colours_[static_cast<size_t>(swatch)] = static_cast<int32_t>(choice.rgbResult);
  InvalidateRect(GetDlgItem(Handle(), kSwatch + swatch), nullptr, TRUE);
}

// The field's mask into the list, unless it is empty or listed (in any letter case).
void TfOptions::AddExtension() {
  const std::string mask = platform::WideToUtf8(WindowText(ext_field_));
  if (mask.empty()) return;
  const int count = static_cast<int>(SendMessageW(ext_list_, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    if (platform::SameText(ListLine(ext_list_, i), mask)) return;
  SendMessageW(ext_list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Utf8ToWide(mask).c_str()));
}

void TfOptions::RemoveExtension() {
  const LRESULT selected = SendMessageW(ext_list_, LB_GETCURSEL, 0, 0);
  if (selected != LB_ERR) SendMessageW(ext_list_, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
}

void TfOptions::Command(int id, int notifyCode, HWND control) {
  switch (id) {
    case 1:  // "&Ok"
      Save();
      SetModalResult(1);
      break;
    case kApply: Save(); break;
    case kRecycle:
    case kBackupFiles:
    case kMakeBackup:
    case kUseRestore:
      if (notifyCode == BN_CLICKED) ExclusiveChecks(id);
      break;
    case kBrowseBackupDir: BrowseFolder("BackupDir", "Verzeichnis für die zu löschenden Dateien"); break;
    case kBrowseStore: BrowseFolder("DLLBackupPath", "Verzeichnis für das Dateien-Backup"); break;
    case kSwatch:
    case kSwatch + 1:
    case kSwatch + 2:
    case kSwatch + 3: ChooseColour(id - kSwatch); break;
    case kExtAdd: AddExtension(); break;
    case kExtRemove: RemoveExtension(); break;
    default: TfTSW_BasicForm::Command(id, notifyCode, control);
  }
}

LRESULT TfOptions::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->hwndFrom == tabs_ &&
      reinterpret_cast<NMHDR*>(lp)->code == TCN_SELCHANGE) {
    ShowPage(TabCtrl_GetCurSel(tabs_));
    return 0;
  }
  if (msg == WM_DRAWITEM && wp >= kSwatch && wp < kSwatch + 4) {  // a colour swatch
    const auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lp);
    RECT r = item.rcItem;
    DrawEdge(item.hDC, &r, (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    HBRUSH brush = CreateSolidBrush(ColourToRgb(colours_[wp - kSwatch]));
    InflateRect(&r, -2, -2);
    FillRect(item.hDC, &r, brush);
    DeleteObject(brush);
    if (item.itemState & ODS_FOCUS) {
      InflateRect(&r, 1, 1);
      DrawFocusRect(item.hDC, &r);
    }
    return TRUE;
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}
