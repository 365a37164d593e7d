#include "app/duplicates_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/main_commands.h"
#include "app/marked_files.h"
#include "app/open_file.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/names.h"
#include "platform/text.h"
#include "removal/recyc.h"
#include "result/result_file.h"

namespace {

enum : int { kStart = 200, kCancel, kByDate, kByContent, kDeleteFiles = 220, kSelectAll, kGroups = 230, kFiles };
constexpr LONG kWidth = 780, kHeight = 520, kSplit = 250;

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, platform::Utf8ToWide(text).c_str()); }

}  // namespace

TfDouble::TfDouble() : TfTSW_BasicForm("TfDouble", "Suche nach doppelten Dateien", {kWidth, kHeight}) {
  SavePosition = true;
  PersistFlags = pfListColumns;
}

void TfDouble::CreateControls() {
  HWND tree = AddControl(WC_TREEVIEWW, "", ToolSelectionTree::kViewStyle, {10, 10, kSplit, kHeight - 110},
                         akLeft | akTop | akBottom);
  drives_.Attach(tree, Dpi());
  const DWORD listStyle = WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
  HWND groups = AddControl(WC_LISTVIEWW, "", listStyle | LVS_SINGLESEL, {kSplit + 6, 10, kWidth - 10, 200},
                           akLeft | akTop | akRight, kGroups);
  groups_view_.Attach(groups, {{"Name", 240}, {"Größe", 110, true}, {"Anzahl", 70, true}}, Dpi());
  PersistColumns(groups, "MasterView");
  HWND files = AddControl(WC_LISTVIEWW, "", listStyle, {kSplit + 6, 206, kWidth - 10, kHeight - 110}, akAll, kFiles);
  files_view_.Attach(files, {{"Datei", 360}, {"Datum", 130}}, Dpi());
  PersistColumns(files, "DetailView");
  by_date_ = AddControl(L"BUTTON", "Name, Größe, Datum", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
                        {10, kHeight - 100, 240, kHeight - 80}, akLeft | akBottom, kByDate);
  by_content_ = AddControl(L"BUTTON", "Name, Größe, Inhalt", BS_AUTORADIOBUTTON, {10, kHeight - 78, 240, kHeight - 58},
                           akLeft | akBottom, kByContent);
  SendMessageW(by_date_, BM_SETCHECK, BST_CHECKED, 0);
  AddButton("&Suche beginnen", {kWidth - 346, kHeight - 62, kWidth - 236, kHeight - 36}, akRight | akBottom, kStart,
            true);
  cancel_ = AddButton("Abbre&chen", {kWidth - 230, kHeight - 62, kWidth - 120, kHeight - 36}, akRight | akBottom,
                      kCancel);
  EnableWindow(cancel_, FALSE);
  AddButton("S&chließen", {kWidth - 110, kHeight - 62, kWidth - 10, kHeight - 36}, akRight | akBottom, 2);
  const DWORD panel = SS_LEFT | SS_SUNKEN | SS_CENTERIMAGE | SS_PATHELLIPSIS;
  status_ = AddControl(L"STATIC", "", panel, {4, kHeight - 26, kWidth - 334, kHeight - 4}, akLeft | akRight | akBottom);
  files_ =
      AddControl(L"STATIC", "", panel, {kWidth - 330, kHeight - 26, kWidth - 222, kHeight - 4}, akRight | akBottom);
  folders_ =
      AddControl(L"STATIC", "", panel, {kWidth - 218, kHeight - 26, kWidth - 112, kHeight - 4}, akRight | akBottom);
  doubles_ =
      AddControl(L"STATIC", "", panel, {kWidth - 108, kHeight - 26, kWidth - 4, kHeight - 4}, akRight | akBottom);
}

DuplicateCriterion TfDouble::Criterion() const {
  return SendMessageW(by_content_, BM_GETCHECK, 0, 0) == BST_CHECKED ? DuplicateCriterion::NameSizeContent
                                                                      : DuplicateCriterion::NameSizeDate;
}

void TfDouble::ShowGroups() {
  group_rows_.Clear();
  for (size_t i = 0; i < result_.Groups.size(); ++i) {
    const DuplicateGroup& g = result_.Groups[i];
    ListRow row{g.Name, {std::to_string(g.Size), std::to_string(g.Files.size())}};
    row.Data = static_cast<int32_t>(i);
    group_rows_.Add(std::move(row));
  }
  groups_view_.Show(group_rows_);
  sorted_column_ = -1;
}

int TfDouble::SelectedGroup() const {
  const int view = ListView_GetNextItem(groups_view_.View(), -1, LVNI_SELECTED);
  return view < 0 ? -1 : groups_view_.ModelRow(view);
}

// The files of a group: the full path and the time; each row keeps its place.
void TfDouble::ShowGroup(int group) {
  if (busy_ > 0) return;
  shown_ = group;
  file_rows_.Clear();
  if (group >= 0 && static_cast<size_t>(group) < result_.Groups.size()) {
    const std::vector<FoundFile>& files = result_.Groups[static_cast<size_t>(group)].Files;
    for (size_t i = 0; i < files.size(); ++i) {
      ListRow row{files[i].Path, {FormatFileTime(files[i].Time)}};
      row.Data = static_cast<int32_t>(i);
      file_rows_.Add(std::move(row));
    }
  }
  files_view_.Show(file_rows_);
}

void TfDouble::Search() {
  EnableWindow(cancel_, TRUE);
  struct Done {  // also when the search fails or is cancelled
    TfDouble& dialog;
    ~Done() {
      EnableWindow(dialog.cancel_, FALSE);
      --dialog.busy_;
    }
  } done{*this};
  ++busy_;
  result_ = {};
  ShowGroups();
  ShowGroup(-1);
  searched_ = Criterion();
  result_ = FindDuplicates(drives_.Model(), searched_, [this](const DuplicateProgress& p) {
    if (!p.Status.empty()) SetText(status_, p.Status);
    SetText(files_, tr("Dateien:") + " " + std::to_string(p.Files));
    SetText(folders_, tr("Ordner:") + " " + std::to_string(p.Folders));
    SetText(doubles_, tr("Doppelt:") + " " + std::to_string(p.Duplicates));
  });
  ShowGroups();
  SetText(doubles_, tr("Doppelt:") + " " + std::to_string(result_.Duplicates));
}

// The marked files of the shown group after the question. Copies found by their bytes
// are compared with a file of the group that stays, once more, just before they go.
void TfDouble::DeleteMarked() {
  if (shown_ < 0) return;
  files_view_.ReadSelection(file_rows_);
  if (file_rows_.SelectedCount() == 0) return;
  const std::string question = DeleteQuestion(
      file_rows_, tr("Wollen Sie wirklich alle diese Dateien löschen ?\rDubletten UND Original werden dann gelöscht"));
  struct ShowAgain {
    TfDouble& dialog;
    ~ShowAgain() { dialog.ShowGroup(dialog.shown_); }
  } again{*this};
  if (MessageDlg(question, mtConfirmation, mbOK | mbCancel) != mrOk) return;
  std::vector<FoundFile>& files = result_.Groups[static_cast<size_t>(shown_)].Files;
  std::vector<int32_t> places;
  std::string kept;  // a file of the group that stays
  for (size_t i = 0; i < file_rows_.Count(); ++i) {
    if (file_rows_.Row(i).Selected) places.push_back(file_rows_.Row(i).Data);
    else if (kept.empty()) kept = files[static_cast<size_t>(file_rows_.Row(i).Data)].Path;
  }
  std::sort(places.rbegin(), places.rend());
  std::string changed;
  for (const int32_t place : places) {
    const std::string path = files[static_cast<size_t>(place)].Path;
    if (searched_ == DuplicateCriterion::NameSizeContent && !kept.empty() && !SameContent(path, kept)) {
      changed += "\r" + path;  // no longer a copy: it stays
      continue;
    }
    DeleteFileWithBackup(path);
    files.erase(files.begin() + place);
  }
  if (!changed.empty())
    MessageDlg(tr("Diese Dateien sind keine Kopien mehr und bleiben:") + changed, mtWarning, mbOK);
}

// A click on the column sorted last turns the order round.
void TfDouble::SortGroups(int column) {
  descending_ = column == sorted_column_ ? !descending_ : false;
  const bool down = descending_;
  const std::vector<DuplicateGroup>& groups = result_.Groups;
  groups_view_.Sort(group_rows_, [&groups, column, down](const ListRow& a, const ListRow& b) {
    const DuplicateGroup &x = groups[static_cast<size_t>(down ? b.Data : a.Data)],
                         &y = groups[static_cast<size_t>(down ? a.Data : b.Data)];
    switch (column) {
      case 0: return platform::CompareNames(x.Name, y.Name) < 0;
      case 1: return x.Size < y.Size;
      case 2: return x.Files.size() < y.Files.size();
      default: return false;
    }
  });
  sorted_column_ = column;
}

void TfDouble::Command(int id, int notifyCode, HWND control) {
  switch (id) {
    case kStart: Search(); break;
    case kCancel: UI().RequestCancel(); break;
    case kDeleteFiles: DeleteMarked(); break;
    case kSelectAll: ListView_SetItemState(files_view_.View(), -1, LVIS_SELECTED, LVIS_SELECTED); break;
    default: TfTSW_BasicForm::Command(id, notifyCode, control);
  }
}

LRESULT TfDouble::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    const NMHDR& h = *reinterpret_cast<NMHDR*>(lp);
    LRESULT result = 0;
    if (drives_.HandleNotify(h, result)) return result;
    if (h.hwndFrom == groups_view_.View()) {
      if (h.code == LVN_COLUMNCLICK) SortGroups(reinterpret_cast<const NMLISTVIEW&>(h).iSubItem);
      if (h.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(h);
        if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED))
          ShowGroup(groups_view_.ModelRow(change.iItem));
      }
      return 0;
    }
    if (h.hwndFrom == files_view_.View()) {
      if (h.code == NM_DBLCLK) {
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(h).iItem;
        if (row >= 0) OpenFileThroughShell(Handle(), files_view_.Text(row, 0));
      }
      if (h.code == LVN_KEYDOWN) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(h).wVKey;
        if (key == VK_DELETE) DeleteMarked();
        if (key == 'A' && GetKeyState(VK_CONTROL) < 0) Command(kSelectAll, 0, nullptr);
      }
      return 0;
    }
  }
  if (msg == WM_CONTEXTMENU && reinterpret_cast<HWND>(wp) == files_view_.View()) {
    POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (at.x == -1 && at.y == -1) GetCursorPos(&at);
    if (const int chosen = ShowPopupMenu(Handle(), at,
                                         {{kDeleteFiles, "&Löschen", ListView_GetSelectedCount(files_view_.View()) > 0},
                                          {kSelectAll, "&Alle Markieren", files_view_.Count() > 0}}))
      Command(chosen, 0, nullptr);
    return 0;
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}
