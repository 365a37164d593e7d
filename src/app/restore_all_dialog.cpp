#include "app/restore_all_dialog.h"

#include <windows.h>

#include "app/confirm_dialog.h"
#include "core/exceptions.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "removal/recyc.h"
#include "removal/restore.h"

namespace {

enum : int { kRun = 200 };
constexpr LONG kWidth = 360, kHeight = 230;

}  // namespace

TfRestoreAll::TfRestoreAll(Workspace& ws)
    : TfTSW_BasicForm("TfRestoreAll", "Alles wiederherstellen", {kWidth, kHeight}), ws_(ws) {}

DWORD TfRestoreAll::Style() const { return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }

void TfRestoreAll::CreateControls() {
  AddControl(L"STATIC", "Kreuzen Sie an, welche Bereiche sie wiederherstellen möchten", SS_LEFT,
             {10, 10, kWidth - 10, 28}, akLeft | akTop | akRight);
  AddControl(L"BUTTON", "Bereiche", BS_GROUPBOX, {10, 32, kWidth - 10, 120}, akLeft | akTop | akRight);
  const char* captions[] = {"Windows Registry", "Dateistruktur", "Systemdateien"};
  for (int i = 0; i < 3; ++i) {
    boxes_[i] = AddControl(L"BUTTON", captions[i], WS_TABSTOP | BS_AUTOCHECKBOX,
                           {24, 52 + 22 * i, kWidth - 24, 72 + 22 * i}, akLeft | akTop);
    SendMessageW(boxes_[i], BM_SETCHECK, BST_CHECKED, 0);
  }
  AddControl(L"STATIC", "Vor der endgültigen Wiederherstellung wird eine Liste der Aktionen zur Bestätigung angezeigt",
             SS_LEFT, {10, 128, kWidth - 10, 160}, akLeft | akTop | akRight);
  ok_ = AddButton("&OK", {kWidth - 170, kHeight - 34, kWidth - 90, kHeight - 10}, akRight | akBottom, kRun, true);
  cancel_ = AddButton("&Abbrechen", {kWidth - 86, kHeight - 34, kWidth - 10, kHeight - 10}, akRight | akBottom, 2);
}

void TfRestoreAll::Command(int id, int notifyCode, HWND control) {
  if (id == kRun) Run();
  else TfTSW_BasicForm::Command(id, notifyCode, control);
}

// One area: its whole result tree through the confirmation dialog; an empty tree is
// passed over, a cancelled dialog does not stop the next area.
void TfRestoreAll::RunArea(int area) {
  Tree* trees[] = {&ws_.ResultView, &ws_.DriveResult, &ws_.SystemResult};
  const RestoreProc engines[] = {RestoreRegistryChanges, RestoreDriveChanges, RestoreSystemFileChanges};
  const char* suffixes[] = {": Registry", ": Dateistruktur", ": Systemdateien"};
  TreeNode* top = trees[area]->First();
  if (top == nullptr) return;
  TfConfirm confirm(ws_, engines[area], top, nullptr, 7);
  confirm.SetCaptionSuffix(suffixes[area]);
  if (area == 1) {  // deleted and altered files come back from the file backup store alone
    confirm.SetNewEntriesCaption("lösche neue (hinzugefügte) Ordner/Dateien");
    confirm.HideDeletedAndAltered();
  }
  confirm.ShowModal(Handle());
  if (AfterArea) AfterArea(area);
}

void TfRestoreAll::Run() {
  bool chosen[3], all = true, any = false;
  for (int i = 0; i < 3; ++i) {
    chosen[i] = SendMessageW(boxes_[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
    all = all && chosen[i];
    any = any || chosen[i];
  }
  if (!any) throw EQuitawayError(tr("Es wurde keine Operation ausgewählt !"));
  EnableWindow(ok_, FALSE);
  EnableWindow(cancel_, FALSE);
  for (int i = 0; i < 3; ++i)
    if (chosen[i]) RunArea(i);
  if (all && MessageDlg(tr("Es wurden alle markierten Bereiche bearbeitet.\rSoll nun die Logdatei gelöscht werden ?"),
                        mtConfirmation, mbYes | mbNo) == mrYes) {
    try {
      DeleteFileWithBackup(ws_.CurrentResultFile());
    } catch (...) {
      SetModalResult(1);  // the log stays loaded; the error is shown after the dialog
      throw;
    }
    ws_.ShowNoResult();
    ws_.Result = ResultFileInfo{};
    if (LogDeleted) LogDeleted();
  }
  SetModalResult(1);
}
