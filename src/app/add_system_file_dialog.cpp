#include "app/add_system_file_dialog.h"

#include <windows.h>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/translate.h"
#include "model/system_file_kind.h"
#include "platform/files.h"
#include "platform/text.h"
#include "ui/file_dialog.h"

namespace {

enum : int { kAccept = 200, kBrowse };
constexpr LONG kWidth = 420, kHeight = 230;

std::string CurrentFolder() {
  wchar_t folder[MAX_PATH] = {};
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
  return n > 0 && n < MAX_PATH ? platform::WideToUtf8(folder) : std::string();
}

}  // namespace

TfAddSysFile::TfAddSysFile() : TfTSW_BasicForm("TfAddSysFile", "Systemdatei hinzufügen", {kWidth, kHeight}) {}

DWORD TfAddSysFile::Style() const { return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }

void TfAddSysFile::CreateControls() {
  AddControl(L"STATIC", "Dateiname:", SS_LEFT, {10, 12, 100, 28}, akTopLeft);
  name_ = AddControl(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, {10, 30, kWidth - 46, 52}, akLeft | akTop | akRight, 0,
                     WS_EX_CLIENTEDGE);
  AddButton("...", {kWidth - 40, 30, kWidth - 10, 52}, akRight | akTop, kBrowse);
  AddControl(L"BUTTON", "Dateityp / Dateiaufbau", BS_GROUPBOX, {10, 62, kWidth - 10, 180}, akLeft | akTop | akRight);
  ini_ = AddControl(L"BUTTON", "INI-Datei (ähnlich der WIN.INI)", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
                    {24, 82, kWidth - 24, 102}, akTopLeft);
  text_ = AddControl(L"BUTTON", "Textdatei (ähnlich der CONFIG.SYS)", BS_AUTORADIOBUTTON, {24, 104, kWidth - 24, 124},
                     akTopLeft);
  SendMessageW(ini_, BM_SETCHECK, BST_CHECKED, 0);
  AddControl(L"STATIC", "HINWEIS: Bei Textdateien ist eine automatische Rücknahme durch das Programm nicht möglich",
             SS_LEFT | WS_GROUP, {24, 132, kWidth - 24, 170}, akLeft | akTop | akRight);
  AddButton("&OK", {kWidth - 170, kHeight - 36, kWidth - 90, kHeight - 10}, akRight | akBottom, kAccept, true);
  AddButton("&Abbrechen", {kWidth - 86, kHeight - 36, kWidth - 10, kHeight - 10}, akRight | akBottom, 2);
}

void TfAddSysFile::Browse() {
  std::string name;
  if (ChooseFileName(
          Handle(),
          {"Systemdatei hinzufügen",
           {{"Alle Dateien (*.*)", "*.*"}, {"INI-Dateien (*.INI)", "*.ini"}, {"Textdateien (*.TXT)", "*.txt"}},
           "",
           "",
           false},
          name))
    SetWindowTextW(name_, platform::Utf8ToWide(name).c_str());
}

void TfAddSysFile::Accept() {
  wchar_t text[MAX_PATH * 2] = {};
  GetWindowTextW(name_, text, MAX_PATH * 2);
  std::string name = platform::WideToUtf8(text);
  if (name.find_first_of("\\:") == std::string::npos) {  // no folder part: the current one
    std::string folder = CurrentFolder();
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    name = folder + name;
    SetWindowTextW(name_, platform::Utf8ToWide(name).c_str());
  }
  if (!platform::FileExists(name)) throw EQuitawayError(FormatMsg(tr("Datei %s kann nicht erstellt werden"), {name}));
  const bool textFile = SendMessageW(text_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  entry_ = name + (textFile ? "(TXT)" : "(INI)");
  kind_ = textFile ? sfUserText : sfUserIni;
  SetModalResult(1);
}

void TfAddSysFile::Command(int id, int notifyCode, HWND control) {
  if (id == kAccept) Accept();
  else if (id == kBrowse) Browse();
  else TfTSW_BasicForm::Command(id, notifyCode, control);
}

bool AskSystemFile(HWND owner, std::string& entry, int& kind) {
  TfAddSysFile dialog;
  if (dialog.ShowModal(owner) != 1) return false;
  entry = dialog.Entry();
  kind = dialog.Kind();
  return true;
}
