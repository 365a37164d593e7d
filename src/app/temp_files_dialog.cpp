#include "app/temp_files_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/main_commands.h"
#include "app/marked_files.h"
#include "app/open_file.h"
#include "app/search_definition_dialog.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/locale_format.h"
#include "platform/names.h"
#include "platform/text.h"
#include "removal/recyc.h"
#include "result/result_file.h"

namespace {

enum : int { kNew = 200, kEdit, kDelete, kStart, kCancel, kDeleteFiles = 220, kSelectAll, kMaster = 230, kDetail };
constexpr LONG kWidth = 680, kHeight = 500;
constexpr size_t kShownFiles = 1000;  // the list shows no more; the search keeps them all

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, platform::Utf8ToWide(text).c_str()); }

}  // namespace

TfTempfiles::TfTempfiles() : TfTSW_BasicForm("fTempfiles", "Temporäre Dateien suchen und löschen", {kWidth, kHeight}) {
  SavePosition = true;
  PersistFlags = pfListColumns;
  rows_ = LoadTempDefinitions();
}

void TfTempfiles::CreateControls() {
  const DWORD listStyle = WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
  HWND master = AddControl(WC_LISTVIEWW, "", listStyle | LVS_SINGLESEL, {10, 10, kWidth - 10, 150},
                           akLeft | akTop | akRight, kMaster);
  master_.Attach(master, {{"Beschreibung", 160}, {"Ordner", 220}, {"rekursiv", 60}, {"Suchmaske", 90},
                          {"gefunden", 70, true}},
                 Dpi());
  PersistColumns(master, "MasterView");
  const LONG y = 158;
  AddButton("Eintrag &neu", {10, y, 120, y + 26}, akTopLeft, kNew);
  AddButton("Eintrag &bearbeiten", {124, y, 244, y + 26}, akTopLeft, kEdit);
  AddButton("Eintrag &löschen", {248, y, 358, y + 26}, akTopLeft, kDelete);
  AddButton("&Suche beginnen", {378, y, 488, y + 26}, akTopLeft, kStart, true);
  cancel_ = AddButton("Abbre&chen", {492, y, 582, y + 26}, akTopLeft, kCancel);
  EnableWindow(cancel_, FALSE);
  HWND detail = AddControl(WC_LISTVIEWW, "", listStyle, {10, 194, kWidth - 10, kHeight - 66}, akAll, kDetail);
  detail_.Attach(detail, {{"Datei", 330}, {"Größe", 90, true}, {"Datum", 120}, {"Attribute", 60}}, Dpi());
  PersistColumns(detail, "DetailView");
  AddButton("S&chließen", {kWidth - 110, kHeight - 60, kWidth - 10, kHeight - 34}, akRight | akBottom, 2);
  const DWORD panel = SS_LEFT | SS_SUNKEN | SS_CENTERIMAGE | SS_PATHELLIPSIS;
  status_ = AddControl(L"STATIC", "", panel, {4, kHeight - 26, kWidth - 224, kHeight - 4}, akLeft | akRight | akBottom);
  files_ =
      AddControl(L"STATIC", "", panel, {kWidth - 220, kHeight - 26, kWidth - 112, kHeight - 4}, akRight | akBottom);
  folders_ =
      AddControl(L"STATIC", "", panel, {kWidth - 108, kHeight - 26, kWidth - 4, kHeight - 4}, akRight | akBottom);
  ++busy_;
  ShowDefinitions();
  --busy_;
  if (!rows_.empty()) SelectDefinition(0);
}

void TfTempfiles::ShowDefinitions() {
  ListModel model;
  for (const TempDefinition& r : rows_)
    model.Add({r.Description,
               {r.Folder, tr(r.Recursive ? "Ja" : "Nein"), r.Mask, r.Found >= 0 ? std::to_string(r.Found) : ""}});
  master_.Show(model);
}

int TfTempfiles::SelectedDefinition() const {
  const int view = ListView_GetNextItem(master_.View(), -1, LVNI_SELECTED);
  return view < 0 ? -1 : master_.ModelRow(view);
}

void TfTempfiles::SelectDefinition(int row) {
  ListView_SetItemState(master_.View(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ShowFound();
}

// The files of the chosen definition, at most the first 1000; each row keeps its file's
// place in the definition's list.
void TfTempfiles::ShowFound() {
  if (busy_ > 0) return;
  const int row = SelectedDefinition();
  found_rows_.Clear();
  shown_ = row;
  if (row >= 0) {
    const std::vector<FoundFile>& files = rows_[static_cast<size_t>(row)].Files;
    for (size_t i = 0; i < files.size() && i < kShownFiles; ++i) {
      ListRow r{files[i].Path,
                {platform::FormatGroupedSize(files[i].Size), FormatFileTime(files[i].Time),
                 FormatAttributes(files[i].Attributes)}};
      r.Data = static_cast<int32_t>(i);
      found_rows_.Add(std::move(r));
    }
  }
  detail_.Show(found_rows_);
  sorted_column_ = -1;
}

void TfTempfiles::Changed() {
  SaveTempDefinitions(rows_);
  ShowDefinitions();
}

void TfTempfiles::NewEntry() {
  SearchDefinition d{"", "", "*.TMP", false};
  if (!EditSearchDefinition(Handle(), d)) return;
  rows_.push_back({d.Description, d.Folder, d.Mask, d.Recursive, -1, {}});
  Changed();
}

void TfTempfiles::EditEntry() {
  const int row = SelectedDefinition();
  if (row < 0) return;
  TempDefinition& r = rows_[static_cast<size_t>(row)];
  SearchDefinition d{r.Description, r.Folder, r.Mask, r.Recursive};
  if (!EditSearchDefinition(Handle(), d)) return;
  r.Description = d.Description, r.Folder = d.Folder, r.Mask = d.Mask, r.Recursive = d.Recursive;
  Changed();
  SelectDefinition(row);
}

void TfTempfiles::DeleteEntry() {
  const int row = SelectedDefinition();
  if (row < 0) return;
  rows_.erase(rows_.begin() + row);
  Changed();
  ShowFound();
}

void TfTempfiles::Progress(const TempSearchProgress& p) {
  SetText(status_, tr("Dateien suchen in ") + p.Folder);
  SetText(files_, tr("Dateien:") + " " + std::to_string(p.Files));
  SetText(folders_, tr("Ordner:") + " " + std::to_string(p.Folders));
}

void TfTempfiles::Search() {
  EnableWindow(cancel_, TRUE);
  struct Disable {  // also when the search fails
    HWND button;
    ~Disable() { EnableWindow(button, FALSE); }
  } disable{cancel_};
  ++busy_;
  detail_.Show(ListModel());
  int32_t files = 0, folders = 0;
  try {
    SearchTempFiles(rows_, [&](const TempSearchProgress& p) {
      files = p.Files, folders = p.Folders;
      Progress(p);
    });
  } catch (...) {
    --busy_;
    throw;
  }
  --busy_;
  const int selected = SelectedDefinition();
  ShowDefinitions();
  SelectDefinition(selected >= 0 ? selected : 0);
  SetText(files_, tr("Dateien:") + " " + std::to_string(files));
  SetText(folders_, tr("Ordner:") + " " + std::to_string(folders));
  SetText(status_, tr("Suche beendet."));
}

// The marked files after a question, from the last row to the first; a file that
// cannot be deleted stops the run and stays listed.
void TfTempfiles::DeleteMarked() {
  if (shown_ < 0) return;
  detail_.ReadSelection(found_rows_);
  if (found_rows_.SelectedCount() == 0) return;
  const std::string question = DeleteQuestion(found_rows_, tr("Wollen Sie wirklich alle diese Dateien löschen ?\r"));
  struct ShowAgain {  // in every case the list shows what is left
    TfTempfiles& dialog;
    ~ShowAgain() { dialog.ShowFound(); }
  } again{*this};
  if (MessageDlg(question, mtConfirmation, mbOK | mbCancel) != mrOk) return;
  std::vector<FoundFile>& files = rows_[static_cast<size_t>(shown_)].Files;
  // By the files' places, highest first, so that each place stays right.
  std::vector<int32_t> places;
  for (size_t i = 0; i < found_rows_.Count(); ++i)
    if (found_rows_.Row(i).Selected) places.push_back(found_rows_.Row(i).Data);
  std::sort(places.rbegin(), places.rend());
  for (const int32_t place : places) {
    DeleteFileWithBackup(files[static_cast<size_t>(place)].Path);
    files.erase(files.begin() + place);
  }
}

// A click on the column sorted last turns the order round.
void TfTempfiles::SortBy(int column) {
  descending_ = column == sorted_column_ ? !descending_ : false;
  sorted_column_ = column;
  if (shown_ < 0) return;
  const std::vector<FoundFile>& files = rows_[static_cast<size_t>(shown_)].Files;
  const bool down = descending_;
  detail_.Sort(found_rows_, [&files, column, down](const ListRow& a, const ListRow& b) {
    const FoundFile &x = files[static_cast<size_t>(down ? b.Data : a.Data)],
                    &y = files[static_cast<size_t>(down ? a.Data : b.Data)];
    switch (column) {
      case 0: return platform::CompareNames(x.Path, y.Path) < 0;
      case 1: return x.Size < y.Size;
      case 2: return static_cast<uint32_t>(x.Time) < static_cast<uint32_t>(y.Time);
      case 3: return platform::CompareNames(FormatAttributes(x.Attributes), FormatAttributes(y.Attributes)) < 0;
      default: return false;
    }
  });
  sorted_column_ = column;
}

void TfTempfiles::Command(int id, int notifyCode, HWND control) {
  switch (id) {
    case kNew: NewEntry(); break;
    case kEdit: EditEntry(); break;
    case kDelete: DeleteEntry(); break;
    case kStart: Search(); break;
    case kCancel: UI().RequestCancel(); break;
    case kDeleteFiles: DeleteMarked(); break;
    case kSelectAll: ListView_SetItemState(detail_.View(), -1, LVIS_SELECTED, LVIS_SELECTED); break;
    default: TfTSW_BasicForm::Command(id, notifyCode, control);
  }
}

LRESULT TfTempfiles::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    const NMHDR& h = *reinterpret_cast<NMHDR*>(lp);
    if (h.hwndFrom == master_.View() && h.code == LVN_ITEMCHANGED) {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(h);
      if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) && busy_ == 0 &&
          master_.ModelRow(change.iItem) != shown_)
        ShowFound();
      return 0;
    }
    if (h.hwndFrom == detail_.View()) {
      if (h.code == LVN_COLUMNCLICK) SortBy(reinterpret_cast<const NMLISTVIEW&>(h).iSubItem);
      if (h.code == NM_DBLCLK) {
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(h).iItem;
        if (row >= 0) OpenFileThroughShell(Handle(), detail_.Text(row, 0));
      }
      if (h.code == LVN_KEYDOWN) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(h).wVKey;
        if (key == VK_DELETE) DeleteMarked();
        if (key == 'A' && GetKeyState(VK_CONTROL) < 0) Command(kSelectAll, 0, nullptr);
      }
      return 0;
    }
  }
  if (msg == WM_CONTEXTMENU) {
    POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (at.x == -1 && at.y == -1) GetCursorPos(&at);
    const bool selected = SelectedDefinition() >= 0;
    if (reinterpret_cast<HWND>(wp) == master_.View()) {
      if (const int chosen = ShowPopupMenu(Handle(), at, {{kNew, "&Neu", true}, {kEdit, "&Editieren", selected},
                                                          {kDelete, "&Löschen", selected}}))
        Command(chosen, 0, nullptr);
      return 0;
    }
    if (reinterpret_cast<HWND>(wp) == detail_.View()) {
      const bool marked = ListView_GetSelectedCount(detail_.View()) > 0;
      if (const int chosen = ShowPopupMenu(Handle(), at, {{kDeleteFiles, "&Löschen", marked},
                                                          {kSelectAll, "&Alle Markieren", true}}))
        Command(chosen, 0, nullptr);
      return 0;
    }
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}
