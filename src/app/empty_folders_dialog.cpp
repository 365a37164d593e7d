#include "app/empty_folders_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/main_commands.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/text.h"
#include "tools/empty_folders.h"

namespace {

enum : int { kStart = 200, kCancel, kIgnore, kDelete = 220, kSelectAll, kExplorer };
constexpr LONG kWidth = 700, kHeight = 460, kSplit = 280;

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, platform::Utf8ToWide(text).c_str()); }

}  // namespace

TEmptyFoldersFRM::TEmptyFoldersFRM() : TfTSW_BasicForm("TEmptyFoldersFRM", "Leere Ordner suchen", {kWidth, kHeight}) {
  SavePosition = true;
}

void TEmptyFoldersFRM::CreateControls() {
  HWND tree = AddControl(WC_TREEVIEWW, "", ToolSelectionTree::kViewStyle, {10, 10, kSplit, kHeight - 70},
                         akLeft | akTop | akBottom);
  drives_.Attach(tree, Dpi());
  HWND list = AddControl(WC_LISTVIEWW, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                         {kSplit + 6, 10, kWidth - 10, kHeight - 70}, akAll);
  list_.Attach(list, {{"Pfad", 360}}, Dpi());
  ignore_ = AddControl(L"BUTTON", "Leere Dateien ignorieren", WS_TABSTOP | BS_AUTOCHECKBOX,
                       {10, kHeight - 60, 260, kHeight - 40}, akLeft | akBottom, kIgnore);
  AddButton("&Suche beginnen", {kWidth - 346, kHeight - 62, kWidth - 236, kHeight - 36}, akRight | akBottom, kStart,
            true);
  cancel_ = AddButton("Abbre&chen", {kWidth - 230, kHeight - 62, kWidth - 120, kHeight - 36}, akRight | akBottom,
                      kCancel);
  EnableWindow(cancel_, FALSE);
  AddButton("S&chließen", {kWidth - 110, kHeight - 62, kWidth - 10, kHeight - 36}, akRight | akBottom, 2);
  const DWORD panel = SS_LEFT | SS_SUNKEN | SS_CENTERIMAGE | SS_PATHELLIPSIS;
  status_ = AddControl(L"STATIC", "", panel, {4, kHeight - 26, kWidth - 224, kHeight - 4}, akLeft | akRight | akBottom);
  folders_ =
      AddControl(L"STATIC", "", panel, {kWidth - 220, kHeight - 26, kWidth - 112, kHeight - 4}, akRight | akBottom);
  empty_ = AddControl(L"STATIC", "", panel, {kWidth - 108, kHeight - 26, kWidth - 4, kHeight - 4}, akRight | akBottom);
}

bool TEmptyFoldersFRM::IgnoreEmptyFiles() const { return SendMessageW(ignore_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TEmptyFoldersFRM::ShowFound() {
  ListModel rows;
  for (const std::string& f : found_) rows.Add({f, {}});
  list_.Show(rows);
}

void TEmptyFoldersFRM::Search() {
  EnableWindow(cancel_, TRUE);
  struct Disable {  // also when the search fails
    HWND button;
    ~Disable() { EnableWindow(button, FALSE); }
  } disable{cancel_};
  found_.clear();
  ShowFound();
  int32_t folders = 0;
  found_ = FindEmptyFolders(drives_.Model(), IgnoreEmptyFiles(), [&](const EmptyFolderProgress& p) {
    folders = p.Folders;
    if (!p.Drive.empty()) SetText(status_, FormatMsg(tr("Leere Ordner suchen auf %s"), {p.Drive}));
    SetText(folders_, tr("Ordner:") + " " + std::to_string(p.Folders));
    SetText(empty_, tr("Leer:") + " " + std::to_string(p.Empty));
  });
  ShowFound();
  SetText(folders_, tr("Ordner:") + " " + std::to_string(folders));
  SetText(empty_, tr("Leer:") + " " + std::to_string(found_.size()));
  SetText(status_, tr("Leere Ordner suchen...beendet"));
}

// The marked folders after the question; one that is no longer empty, or that the
// shell could not delete, stays listed and is named.
void TEmptyFoldersFRM::DeleteMarked() {
  ListModel rows;
  for (const std::string& f : found_) rows.Add({f, {}});
  list_.ReadSelection(rows);
  std::vector<std::string> marked;
  for (size_t i = 0; i < rows.Count(); ++i)
    if (rows.Row(i).Selected) marked.push_back(rows.Row(i).Caption);
  if (marked.empty()) return;
  if (MessageDlg(FormatMsg(tr("Wollen Sie wirklich %d leere Ordner löschen ?"), {std::to_string(marked.size())}),
                 mtConfirmation, mbOK | mbCancel) != mrOk)
    return;
  const EmptyFolderDeletion outcome = DeleteEmptyFolders(marked, IgnoreEmptyFiles(), &drives_.Model());
  for (const std::string& gone : outcome.Deleted) std::erase(found_, gone);
  ShowFound();
  if (!outcome.Kept.empty()) {
    std::string names;
    for (const std::string& kept : outcome.Kept) names += "\r" + kept;
    MessageDlg(tr("Diese Ordner sind nicht mehr leer oder konnten nicht gelöscht werden und bleiben:") + names,
               mtWarning, mbOK);
  }
}

void TEmptyFoldersFRM::Command(int id, int notifyCode, HWND control) {
  switch (id) {
    case kStart: Search(); break;
    case kCancel: UI().RequestCancel(); break;
    case kDelete: DeleteMarked(); break;
    case kSelectAll: ListView_SetItemState(list_.View(), -1, LVIS_SELECTED, LVIS_SELECTED); break;
    case kExplorer: {
      const int row = ListView_GetNextItem(list_.View(), -1, LVNI_SELECTED);
      if (row < 0) break;
      const std::wstring path = platform::Utf8ToWide(list_.Text(row, 0));
      ShellExecuteW(Handle(), L"open", L"explorer", path.c_str(), path.c_str(), SW_SHOWNORMAL);
      break;
    }
    default: TfTSW_BasicForm::Command(id, notifyCode, control);
  }
}

LRESULT TEmptyFoldersFRM::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    LRESULT result = 0;
    if (drives_.HandleNotify(*reinterpret_cast<NMHDR*>(lp), result)) return result;
  }
  if (msg == WM_CONTEXTMENU && reinterpret_cast<HWND>(wp) == list_.View()) {
    POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (at.x == -1 && at.y == -1) GetCursorPos(&at);
    const bool any = list_.Count() > 0, selected = ListView_GetSelectedCount(list_.View()) > 0;
    if (const int chosen = ShowPopupMenu(Handle(), at, {{kDelete, "&Löschen", selected},
                                                        {kSelectAll, "&Alle Markieren", any},
                                                        {kExplorer, "Explorer", selected}}))
      Command(chosen, 0, nullptr);
    return 0;
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}
