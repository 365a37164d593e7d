#include "app/search_definition_dialog.h"

#include <windows.h>

#include "core/interaction.h"
#include "core/translate.h"
#include "platform/text.h"
#include "ui/folder_dialog.h"

namespace {

enum : int { kBrowse = 200 };
constexpr LONG kWidth = 400, kHeight = 200;

std::string FieldText(HWND field) {
  wchar_t text[1024] = {};
  GetWindowTextW(field, text, 1024);
  return platform::WideToUtf8(text);
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}  // namespace

TTempfiles2FRM::TTempfiles2FRM(SearchDefinition definition)
    : TfTSW_BasicForm("TTempfiles2FRM", "Suche definieren", {kWidth, kHeight}), definition_(std::move(definition)) {}

DWORD TTempfiles2FRM::Style() const { return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }

void TTempfiles2FRM::CreateControls() {
  const char* labels[] = {"Beschreibung", "Suchpfad", "Suchmaske"};
  const std::string texts[] = {definition_.Description, definition_.Folder, definition_.Mask};
  for (int i = 0; i < 3; ++i) {
    const LONG y = 10 + 40 * i;
    AddControl(L"STATIC", labels[i], SS_LEFT, {10, y, 120, y + 16}, akTopLeft);
    fields_[i] = AddControl(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, {10, y + 16, kWidth - (i == 1 ? 46 : 10), y + 38},
                            akLeft | akTop | akRight, 0, WS_EX_CLIENTEDGE);
    SetWindowTextW(fields_[i], platform::Utf8ToWide(texts[i]).c_str());
  }
  AddButton("...", {kWidth - 40, 66, kWidth - 10, 88}, akRight | akTop, kBrowse);
  recurse_ = AddControl(L"BUTTON", "Unterverzeichnisse einbeziehen", WS_TABSTOP | BS_AUTOCHECKBOX,
                        {10, 132, kWidth - 10, 152}, akTopLeft);
  SendMessageW(recurse_, BM_SETCHECK, definition_.Recursive ? BST_CHECKED : BST_UNCHECKED, 0);
  AddButton("&Ok", {kWidth - 170, kHeight - 34, kWidth - 90, kHeight - 10}, akRight | akBottom, 1, true);
  AddButton("&Abbrechen", {kWidth - 86, kHeight - 34, kWidth - 10, kHeight - 10}, akRight | akBottom, 2);
}

void TTempfiles2FRM::Command(int id, int notifyCode, HWND control) {
  if (id == kBrowse) {
    std::string folder = FieldText(fields_[1]);
    if (ChooseFolder(Handle(), {"Ordner wählen", "", "Wählen Sie einen Ordner zur Suche.", true}, folder))
      SetWindowTextW(fields_[1], platform::Utf8ToWide(folder).c_str());
    return;
  }
  if (id == 1) {  // "&Ok": only with a folder and a mask
    accepting_ = true;
    const bool accepted = CloseQuery();
    accepting_ = false;
    if (!accepted) return;
  }
  TfTSW_BasicForm::Command(id, notifyCode, control);
}

bool TTempfiles2FRM::CloseQuery() {
  if (!accepting_) return true;  // closing without "&Ok" is never refused
  definition_ = {FieldText(fields_[0]), Trimmed(FieldText(fields_[1])), Trimmed(FieldText(fields_[2])),
                 SendMessageW(recurse_, BM_GETCHECK, 0, 0) == BST_CHECKED};
  if (!definition_.Folder.empty() && !definition_.Mask.empty()) return true;
  MessageDlg(tr("Bitte geben Sie einen Pfad und eine Suchmaske an !"), mtError, mbOK);
  return false;
}

bool EditSearchDefinition(HWND owner, SearchDefinition& definition) {
  TTempfiles2FRM dialog(definition);
  if (dialog.ShowModal(owner) != 1) return false;
  definition = dialog.Definition();
  return true;
}
