// The popup menus of the main window and their commands. The selection page: files not
// to watch, the values of a registry key, the user's own system files, a drive file
// opened by a double click. The log page: undo through the confirmation dialog,
// export, do not watch next time, the name of a class identifier.
#include <windows.h>
#include <commctrl.h>

#include "app/add_system_file_dialog.h"
#include "app/commands.h"
#include "app/confirm_dialog.h"
#include "app/export_dialog.h"
#include "app/install_files_commands.h"
#include "app/open_file.h"
#include "app/reg_edit_dialog.h"
#include "app/main_commands.h"
#include "app/main_window.h"
#include "app/selection_lists.h"
#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "model/system_file_kind.h"
#include "model/tree_images.h"
#include "model/treetool.h"
#include "platform/files.h"
#include "platform/text.h"
#include "removal/export.h"
#include "removal/restore.h"

bool TfMain::ContextMenu(HWND control, POINT at) {
  for (int tab = 0; tab < 3; ++tab) {
    if (control == bindings_[static_cast<size_t>(3 + tab)]->View()) {
      ResultTreePopup(tab, at);
      return true;
    }
    if (control == result_lists_[tab].View()) {
      ResultListPopup(tab, at);
      return true;
    }
  }
  if (control == drive_files_.View()) DriveFilesPopup(at);
  else if (control == reg_values_.View()) RegistryValuesPopup(at);
  else if (control == bindings_[2]->View()) SystemTreePopup(at);
  else if (control == bindings_[0]->View() && bindings_[0]->Selected() != nullptr) {
    const int level = bindings_[0]->Selected()->Level();
    const int chosen = ShowPopupMenu(Handle(), at,
                                     {{cmNewKey, "&Neuer Schlüssel", level >= RootKeyLevel},
                                      {cmDeleteKey, "Schlüssel &löschen", level > RootKeyLevel}});
    if (chosen == cmNewKey) NewKey();
    if (chosen == cmDeleteKey) DeleteKey();
  } else {
    return false;
  }
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
  switch (ShowPopupMenu(Handle(), at,
                        {{cmNewValue, "&Neuer Wert", true}, {cmEditValue, "Wert &editieren", selected},
                         {cmDeleteValue, "Wert &löschen", selected}})) {
    case cmNewValue: EditValue(0, -1); break;
    case cmEditValue: EditValue(0, SelectedValueRow(0)); break;
    case cmDeleteValue: DeleteSelectedValues(false); break;
    default: break;
  }
}

int TfMain::SelectedValueRow(size_t tree) {
  ListModel& rows = tree == 0 ? reg_rows_ : result_rows_[0];
  (tree == 0 ? reg_values_ : result_lists_[0]).ReadSelection(rows);
  for (size_t i = 0; i < rows.Count(); ++i)
    if (rows.Row(i).Selected) return static_cast<int>(i);
  return -1;
}

void TfMain::EditValue(size_t tree, int row) {
  TreeNode* node = bindings_[tree]->Selected();
  HKEY root = nullptr;
  std::string path, name;
  if (node == nullptr || !RegistryKeyOf(*node, root, path)) return;
  const ListModel& rows = tree == 0 ? reg_rows_ : result_rows_[0];
  if (row >= 0) {
    if (static_cast<size_t>(row) >= rows.Count()) return;
    // The line of a key without values stands for its default value.
    if (tree != 0) name = rows.Row(static_cast<size_t>(row)).Name();
    else if (!RawValueName(rows.Row(static_cast<size_t>(row)), name)) name.clear();
  }
  if (EditRegistryValue(Handle(), root, path, name, row < 0) == mrOk && tree == 0) NodeSelected(0, *node);
}

// "&Neuer Schlüssel": a subkey of the selected key, then the tree as the registry has it.
void TfMain::NewKey() {
  TreeNode* node = bindings_[0]->Selected();
  std::string name;
  if (node == nullptr || !UI().InputQuery(tr("Neuer Schlüssel"), tr("Name des neuen Schlüssels:"), name)) return;
  name = std::string(platform::TrimBlanks(name));
  if (name.empty()) return;
  CreateRegistryKey(*node, name);
  RunCommand(cmRefresh);
}

// "Schlüssel &löschen": after the question, the key with everything below it.
void TfMain::DeleteKey() {
  TreeNode* node = bindings_[0]->Selected();
  if (node == nullptr) return;
  const std::string question = FormatMsg(tr("Wollen Sie den Schlüssel '%s' mit allen Unterschlüsseln und Werten löschen ?"),
                                         {NodePath(*node, true, false)});
  if (MessageDlg(question, mtConfirmation, mbYes | mbCancel) != mrYes) return;
  TreeNode* parent = node->Parent();
  if (parent != nullptr) bindings_[0]->Select(*parent);  // the node goes with the refresh
  try {
    DeleteRegistryKey(*node);
  } catch (...) {
    RunCommand(cmRefresh);  // the tree shows what is left
    throw;
  }
  RunCommand(cmRefresh);
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
  const int chosen = ShowPopupMenu(Handle(), at,
                                   {{cmAddUserFile, "Benutzerdefinierte Datei hinzufügen", true},
                                    {cmRemoveUserFile, "Benutzerdefinierte Datei entfernen", true}});
  if (chosen == cmAddUserFile) AddUserSystemFile();
  if (chosen != cmRemoveUserFile) return;
  RemoveUserSystemFile(*node);
  ws_.SelectionModified = true;
}

// "Benutzerdefinierte Datei hinzufügen": a level-1 node with the file's picture,
// watched unless the system files are not watched at all.
void TfMain::AddUserSystemFile() {
  std::string entry;
  int kind = 0;
  if (!AskSystemFile(Handle(), entry, kind)) return;
  TreeNode* top = ws_.SystemSelect.First();
  if (top == nullptr) return;
  TreeNode* node = top->AddChild(entry);
  const int32_t image = kind == sfUserIni ? imgIniFile : imgTextFile;
  node->SetImageIndex(image);
  node->SetSelectedIndex(image);
  node->SetStateIndex(top->StateIndex() != stUnchecked ? stChecked : stUnchecked);
  ws_.SelectionModified = true;
}

void TfMain::OpenDriveFile(int row) {
  if (row >= 0) OpenFile(bindings_[1]->Selected(), drive_files_.Text(row, 0));
}

// A file of the folder node, opened through the shell.
void TfMain::OpenFile(const TreeNode* folder, const std::string& name) {
  if (folder == nullptr) return;
  std::string path = NodePath(*folder, true, true);
  if (path.empty() || path.back() != '\\') path += '\\';
  OpenFileThroughShell(Handle(), path + name);
}

// ---------------------------------------------------------------- the log's popups

namespace {

// A key named by a class identifier: "{" first, "-" tenth, "}" at 38.
bool IsClassIdentifier(const std::string& text) {
  return text.size() >= 38 && text[0] == '{' && text[9] == '-' && text[37] == '}';
}

}  // namespace

void TfMain::ResultTreePopup(int tab, POINT at) {
  TreeNode* node = bindings_[static_cast<size_t>(3 + tab)]->Selected();
  if (node == nullptr || ws_.CurrentResultFile().empty()) return;
  std::vector<PopupItem> items = {{cmUndoChanges, "Änderungen wiederherstellen", true},
                                  {cmExportData, tab == 1 ? "Daten Exportieren" : "Daten exportieren", true},
                                  {cmDontWatchNextTime, "Das nächste Mal nicht überwachen", true}};
  if (tab == 0 && IsClassIdentifier(node->Text()))
    items.push_back({cmShowClsid, "Namen des CLSID-Wert anzeigen", true});
  items.push_back({cmResultInstallFiles, "Installationsdateien erzeugen", true});
  if (const int chosen = ShowPopupMenu(Handle(), at, items)) ResultCommand(chosen, tab, false);
}

void TfMain::ResultListPopup(int tab, POINT at) {
  if (bindings_[static_cast<size_t>(3 + tab)]->Selected() == nullptr || ws_.CurrentResultFile().empty()) return;
  result_lists_[tab].ReadSelection(result_rows_[tab]);
  const bool selected = result_rows_[tab].SelectedCount() > 0;
  std::vector<PopupItem> items = {{cmUndoChanges, "Änderungen wiederherstellen", selected}};
  if (tab == 0)  // new and edited values come with the registry value editor
    items.push_back({0, "Auf Registry zugreifen", selected,
                     {{cmNewValue, "&Neuer Wert", true}, {cmEditValue, "Wert &editieren", selected},
                      {cmDeleteValue, "Wert &löschen", selected}}});
  if (tab == 1) items.push_back({cmResultDontWatchFiles, "Dateien nächstes mal nicht überwachen", selected});
  if (const int chosen = ShowPopupMenu(Handle(), at, items)) ResultCommand(chosen, tab, true);
}

void TfMain::ResultCommand(int command, int tab, bool fromList) {
  TreeNode* node = bindings_[static_cast<size_t>(3 + tab)]->Selected();
  if (node == nullptr || ws_.CurrentResultFile().empty()) return;
  Tree* selection[] = {&ws_.RegView, &ws_.DriveSel, &ws_.SystemSelect};
  const int treeKinds[] = {tkRegistry, tkFiles, tkSystem};
  ListModel& rows = result_rows_[tab];
  result_lists_[tab].ReadSelection(rows);
  switch (command) {
    case cmUndoChanges: UndoChanges(tab, fromList); break;
    case cmExportData: ExportResultData(Handle(), ws_.Result, *node, treeKinds[tab]); break;
    case cmDontWatchNextTime:
      DeselectBranch(*node, *selection[tab], true);
      ws_.SelectionModified = true;
      break;
    case cmShowClsid: ShowClsidName(node->Text()); break;
    case cmResultInstallFiles: CreateInstallFilesFor(Handle(), ws_.Result, *node, tab); break;
    case cmResultDontWatchFiles: {
      std::string path = NodePath(*node, true, true);
      if (path.empty() || path.back() != '\\') path += '\\';
      std::vector<std::string> files;
      for (size_t i = 0; i < rows.Count(); ++i)
        if (rows.Row(i).Selected) files.push_back(path + rows.Row(i).Name());
      AddToNoCheck(ws_, files);
      ShowNoCheck();
      break;
    }
    case cmNewValue: EditValue(3, -1); break;
    case cmEditValue: EditValue(3, SelectedValueRow(3)); break;
    case cmDeleteValue: {  // the live registry's value of the logged key
      std::vector<std::string> names;
      for (size_t i = 0; i < rows.Count(); ++i)
        if (rows.Row(i).Selected) names.push_back(rows.Row(i).Name());
      DeleteRegistryValues(*node, names);
      break;
    }
    default: break;
  }
}

// "Änderungen wiederherstellen": the confirmation dialog with the tree's engine.
void TfMain::UndoChanges(int tab, bool fromList) {
  TreeNode* node = bindings_[static_cast<size_t>(3 + tab)]->Selected();
  if (node == nullptr) return;
  if (tab == 2 && node->Level() == 1 && !IsIniKind(SystemKindOfNode(*node))) {
    MessageDlg(tr("Bei Textdateien ist kein automatischen Wiederherstellen möglich\r"
                  "Bitte stellen Sie die Änderungen manuell Hand wieder her !"),
               mtWarning, mbOK);
    return;
  }
  const RestoreProc engines[] = {RestoreRegistryChanges, RestoreDriveChanges, RestoreSystemFileChanges};
  TfConfirm confirm(ws_, engines[tab], node, fromList ? &result_rows_[tab] : nullptr, 7);
  if (tab == 1) {
    if (!fromList) confirm.SetNewEntriesCaption("lösche neue (hinzugefügte) Ordner/Dateien");
    if (!ReadSettingBool("UseDLLBackupRestore")) confirm.HideDeletedAndAltered();
  }
  confirm.AfterExecute = [this, tab, node] { NodeSelected(static_cast<size_t>(3 + tab), *node); };
  confirm.ShowModal(Handle());
}

// "Namen des CLSID-Wert anzeigen": the class's name as the registry has it now.
void TfMain::ShowClsidName(const std::string& key) {
  HKEY clsid = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, platform::Utf8ToWide("CLSID\\" + key).c_str(), 0, KEY_READ, &clsid) !=
      ERROR_SUCCESS) {
    MessageDlg(tr("CLSID-Eintrag nicht gefunden"), mtInformation, mbOK);
    return;
  }
  std::wstring value(1024, L'\0');
  DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t)), type = 0;
  const LONG rc = RegQueryValueExW(clsid, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size);
  RegCloseKey(clsid);
  std::string name = rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)
                         ? platform::WideToUtf8(value.c_str())
                         : std::string();
  if (name.empty()) name = ReadSettingText("EmptyText");
  MessageDlg("CLSID:" + key + tr("\raktueller Wert:") + name, mtInformation, mbOK);
}
