// The popup menus of the selection page and their commands: files not to watch, the
// values of a registry key, the user's own system files; and a drive file opened by a
// double click.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/commands.h"
#include "app/main_commands.h"
#include "app/main_window.h"
#include "app/selection_lists.h"
#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "core/translate.h"
#include "model/treetool.h"
#include "platform/files.h"
#include "platform/text.h"

bool TfMain::ContextMenu(HWND control, POINT at) {
  if (control == drive_files_.View()) DriveFilesPopup(at);
  else if (control == reg_values_.View()) RegistryValuesPopup(at);
  else if (control == bindings_[2]->View()) SystemTreePopup(at);
  else if (control == bindings_[0]->View() && bindings_[0]->Selected() != nullptr)
    // Keys are made and deleted with the registry value editor.
    ShowPopupMenu(Handle(), at, {{cmNewKey, "&Neuer Schlüssel", false}, {cmDeleteKey, "Schlüssel &löschen", false}});
  else return false;
  return true;
}

// "Dateien nicht überwachen" for the selected files.
void TfMain::DriveFilesPopup(POINT at) {
  TreeNode* folder = bindings_[1]->Selected();
  if (folder == nullptr) return;
  drive_files_.ReadSelection(drive_rows_);
  if (ShowPopupMenu(Handle(), at, {{cmDontWatchFiles, "Dateien nicht überwachen", drive_rows_.SelectedCount() > 0}}) !=
      cmDontWatchFiles)
    return;
  std::string path = NodePath(*folder, true, true);
  if (path.empty() || path.back() != '\\') path += '\\';
  std::vector<std::string> files;
  for (size_t i = 0; i < drive_rows_.Count(); ++i)
    if (drive_rows_.Row(i).Selected) files.push_back(path + drive_rows_.Row(i).Caption);
  AddToNoCheck(ws_, files);
  ShowNoCheck();
}

void TfMain::RegistryValuesPopup(POINT at) {
  if (bindings_[0]->Selected() == nullptr) return;
  reg_values_.ReadSelection(reg_rows_);
  const bool selected = reg_rows_.SelectedCount() > 0;
  if (ShowPopupMenu(Handle(), at,
                    {{cmNewValue, "&Neuer Wert", false}, {cmEditValue, "Wert &editieren", false},
                     {cmDeleteValue, "Wert &löschen", selected}}) == cmDeleteValue)
    DeleteSelectedValues(false);
}

void TfMain::DeleteSelectedValues(bool ask) {
  TreeNode* node = bindings_[0]->Selected();
  if (node == nullptr) return;
  reg_values_.ReadSelection(reg_rows_);
  const size_t count = reg_rows_.SelectedCount();
  if (ask) {
    if (count == 0) {
      MessageDlg(tr("Bitte zuerst einen Wert selektieren !"), mtInformation, mbOK);
      return;
    }
    const std::string question = count == 1 ? tr("Wollen Sie den markierten Wert löschen ?")
                                            : FormatMsg(tr("Wollen Sie %d Werte löschen ?"), {std::to_string(count)});
    if (MessageDlg(question, mtConfirmation, mbYes | mbCancel) != mrYes) return;
  }
  std::vector<std::string> names;
  for (size_t i = 0; i < reg_rows_.Count(); ++i) {
    std::string name;
    if (reg_rows_.Row(i).Selected && RawValueName(reg_rows_.Row(i), name)) names.push_back(name);
  }
  try {
    DeleteRegistryValues(*node, names);
  } catch (...) {
    NodeSelected(0, *node);  // the list shows what is left
    throw;
  }
  NodeSelected(0, *node);
}

void TfMain::SystemTreePopup(POINT at) {
  TreeNode* node = bindings_[2]->Selected();
  if (node == nullptr) return;
  // Adding asks for the file in a dialog of its own, which comes with the result views.
  if (ShowPopupMenu(Handle(), at,
                    {{cmAddUserFile, "Benutzerdefinierte Datei hinzufügen", false},
                     {cmRemoveUserFile, "Benutzerdefinierte Datei entfernen", true}}) != cmRemoveUserFile)
    return;
  RemoveUserSystemFile(*node);
  ws_.SelectionModified = true;
}

void TfMain::OpenDriveFile(int row) {
  TreeNode* folder = bindings_[1]->Selected();
  if (folder == nullptr || row < 0) return;
  std::string path = NodePath(*folder, true, true);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += drive_files_.Text(row, 0);
  if (!platform::FileExists(path)) {
    MessageDlg(tr("Datei existiert nicht"), mtError, mbOK);
    return;
  }
  const auto code = reinterpret_cast<INT_PTR>(
      ShellExecuteW(Handle(), L"open", platform::Utf8ToWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (code == SE_ERR_NOASSOC) MessageDlg(tr("Es existiert keine Verknüpfung zu dieser Datei !\r") + path, mtError, mbOK);
  else if (code <= 32) MessageDlg(tr("Fehler beim Ausführen der Datei !\r") + path, mtError, mbOK);
}
