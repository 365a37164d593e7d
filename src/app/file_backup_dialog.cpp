#include "app/file_backup_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include "app/main_commands.h"
#include "app/search_definition_dialog.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/text.h"

namespace {

enum : int { kNew = 200, kEdit, kDelete, kStart, kCancel };
constexpr LONG kWidth = 560, kHeight = 380;

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, platform::Utf8ToWide(text).c_str()); }

}  // namespace

TDLLBackUpFRM::TDLLBackUpFRM() : TfTSW_BasicForm("TDLLBackUpFRM", "Dateien Backup", {kWidth, kHeight}) {
  SavePosition = true;
  PersistFlags = pfListColumns;
  rows_ = LoadBackupDefinitions();
}

// The definitions are kept when the dialog goes.
TDLLBackUpFRM::~TDLLBackUpFRM() {
  try {
    SaveBackupDefinitions(rows_);
  } catch (const std::exception&) {
    // nothing to tell anybody while the window goes
  }
}

void TDLLBackUpFRM::CreateControls() {
  HWND list = AddControl(WC_LISTVIEWW, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                         {10, 10, kWidth - 10, kHeight - 110}, akAll);
  list_.Attach(list, {{"Ordner", 180}, {"rekursiv", 60}, {"Suchmaske", 100}, {"gefunden", 60, true}}, Dpi());
  PersistColumns(list, "MasterView");
  const LONG y = kHeight - 100;
  AddButton("Eintrag &neu", {10, y, 130, y + 26}, akLeft | akBottom, kNew);
  AddButton("Eintrag &bearbeiten", {136, y, 256, y + 26}, akLeft | akBottom, kEdit);
  AddButton("Eintrag &löschen", {262, y, 382, y + 26}, akLeft | akBottom, kDelete);
  AddButton("&Dateien sichern", {10, y + 36, 130, y + 62}, akLeft | akBottom, kStart, true);
  cancel_ = AddButton("Abbre&chen", {136, y + 36, 256, y + 62}, akLeft | akBottom, kCancel);
  EnableWindow(cancel_, FALSE);
  AddButton("S&chließen", {kWidth - 110, y + 36, kWidth - 10, y + 62}, akRight | akBottom, 2);
  const DWORD panel = SS_LEFT | SS_SUNKEN | SS_CENTERIMAGE | SS_PATHELLIPSIS;
  status_ = AddControl(L"STATIC", " Status:", panel, {4, kHeight - 26, kWidth - 224, kHeight - 4},
                       akLeft | akRight | akBottom);
  files_ = AddControl(L"STATIC", "Dateien:", panel, {kWidth - 220, kHeight - 26, kWidth - 112, kHeight - 4},
                      akRight | akBottom);
  folders_ = AddControl(L"STATIC", "Ordner:", panel, {kWidth - 108, kHeight - 26, kWidth - 4, kHeight - 4},
                        akRight | akBottom);
  ShowRows();
}

void TDLLBackUpFRM::ShowRows() {
  ListModel model;
  for (const BackupDefinition& r : rows_)
    model.Add({r.Folder, {tr(r.Recursive ? "Ja" : "Nein"), r.Mask, r.Found >= 0 ? std::to_string(r.Found) : ""}});
  list_.Show(model);
}

int TDLLBackUpFRM::SelectedRow() const {
  const int view = ListView_GetNextItem(list_.View(), -1, LVNI_SELECTED);
  return view < 0 ? -1 : list_.ModelRow(view);
}

void TDLLBackUpFRM::NewEntry() {
  SearchDefinition d{"", "", "*.*", false};
  if (!EditSearchDefinition(Handle(), d)) return;
  rows_.push_back({d.Folder, d.Recursive, d.Mask, -1});
  ShowRows();
}

void TDLLBackUpFRM::EditEntry() {
  const int row = SelectedRow();
  if (row < 0) return;
  BackupDefinition& r = rows_[static_cast<size_t>(row)];
  SearchDefinition d{"", r.Folder, r.Mask, r.Recursive};
  if (!EditSearchDefinition(Handle(), d)) return;
  r.Folder = d.Folder, r.Mask = d.Mask, r.Recursive = d.Recursive;
  ShowRows();
}

void TDLLBackUpFRM::DeleteEntry() {
  const int row = SelectedRow();
  if (row < 0) return;
  rows_.erase(rows_.begin() + row);
  ShowRows();
}

void TDLLBackUpFRM::ShowProgress(const BackupProgress& progress) {
  ListView_SetItemState(list_.View(), static_cast<int>(progress.Row), LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
  SetText(status_, FormatMsg(" " + tr("Dateien suchen in %s"), {progress.Folder}));
  SetText(files_, tr("Dateien:") + " " + std::to_string(progress.Counters.Files));
  SetText(folders_, tr("Ordner:") + " " + std::to_string(progress.Counters.Folders));
  UpdateWindow(Handle());
}

void TDLLBackUpFRM::Run() {
  EnableWindow(cancel_, TRUE);
  struct Disable {
    HWND button;
    ~Disable() { EnableWindow(button, FALSE); }
  } disable{cancel_};
  const BackupCounters counters = RunFileBackup(rows_, 0, [this](const BackupProgress& p) { ShowProgress(p); });
  ShowRows();
  if (!rows_.empty()) ListView_SetItemState(list_.View(), 0, LVIS_SELECTED, LVIS_SELECTED);
  SetText(files_, tr("Dateien:") + " " + std::to_string(counters.Files));
  SetText(folders_, tr("Ordner:") + " " + std::to_string(counters.Folders));
  SetText(status_, std::string(" ").append(tr("Backup beendet.")));
}

void TDLLBackUpFRM::Command(int id, int notifyCode, HWND control) {
  switch (id) {
    case kNew: NewEntry(); break;
    case kEdit: EditEntry(); break;
    case kDelete: DeleteEntry(); break;
    case kStart: Run(); break;
    case kCancel: UI().RequestCancel(); break;
    default: TfTSW_BasicForm::Command(id, notifyCode, control);
  }
}

LRESULT TDLLBackUpFRM::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CONTEXTMENU && reinterpret_cast<HWND>(wp) == list_.View()) {
    POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (at.x == -1 && at.y == -1) GetCursorPos(&at);
    const bool selected = SelectedRow() >= 0;
    switch (ShowPopupMenu(Handle(), at, {{kNew, "&Neu", true}, {kEdit, "&Editieren", selected},
                                         {kDelete, "&Löschen", selected}})) {
      case kNew: NewEntry(); break;
      case kEdit: EditEntry(); break;
      case kDelete: DeleteEntry(); break;
      default: break;
    }
    return 0;
  }
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->hwndFrom == list_.View() &&
      reinterpret_cast<NMHDR*>(lp)->code == NM_DBLCLK) {
    EditEntry();
    return 0;
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}
