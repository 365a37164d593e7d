#include "app/main_window.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <variant>

#include "app/commands.h"
#include "app/main_commands.h"
#include "app/compare_dialog.h"
#include "app/duplicates_dialog.h"
#include "app/empty_folders_dialog.h"
#include "app/existing_programs_dialog.h"
#include "app/fonts_dialog.h"
#include "app/file_backup_dialog.h"
#include "app/install_files_commands.h"
#include "app/old_wizard_dialog.h"
#include "app/options_dialog.h"
#include "app/restore_all_dialog.h"
#include "app/result_lists.h"
#include "app/temp_files_dialog.h"
#include "app/web_clean_dialog.h"
#include "app/welcome_dialog.h"
#include "app/wizard_dialog.h"
#include "core/exceptions.h"
#include "core/format.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/files.h"
#include "platform/text.h"
#include "app/selection_lists.h"
#include "snapshot/selection_trees.h"
#include "ui/caption_bar.h"
#include "ui/file_dialog.h"
#include "ui/images.h"
#include "ui/placement.h"
#include "ui/tab_control.h"

namespace {

constexpr UINT kExpandAllMessage = WM_APP + 1;  // wParam: tree, lParam: node

// The system's small file icons (shared, never destroyed by us).
HIMAGELIST SystemSmallIcons() {
  SHFILEINFOW info{};
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

// The legend of the icon tab: image and meaning.
const struct {
  int image;
  const char* text;
} kLegend[] = {{7, "gelöschter Schlüssel, Ordner oder Eintrag"},
               {6, "neuer (hinzugefügter) Schlüssel, Ordner oder Eintrag"},
               {8, "Angehörige dieses Schlüssels, Ordner, Eintrag haben sich geändert"},
               {10, "gelöschter Wert, gelöschte Datei"},
               {9, "neuer (hinzugefügter ) Wert, neue Datei"},
               {11, "alter Wert eines geänderten Eintrags"},
               {12, "neuer (aktueller) Wert"},
               {2, "Arbeitsplatz, alle Laufwerke, alle Systemdateien"},
               {13, "Registry Wert: String (Zeichenkette)"},
               {15, "Registry Wert: Integer (Zahlenwert)"},
               {14, "Registry Wert: Binärdaten"}};

// The designed client area; the pages above the status band, a tab's tree at 40 per
// cent of the width with its list beside it.
constexpr LONG kWidth = 760, kHeight = 546, kTop = 30;  // the toolbar above the pages
constexpr RECT kPagesRect{4, kTop, kWidth - 4, kHeight - 28}, kTabsRect{10, kTop + 24, kWidth - 10, kHeight - 34};
constexpr LONG kSplit = 16 + (kWidth - 32) * 2 / 5;
constexpr RECT kTreeRect{16, kTop + 48, kSplit, kHeight - 40};
constexpr RECT kListRect{kSplit + 4, kTop + 48, kWidth - 16, kHeight - 40};

// A tool's dialog, shown modally and gone afterwards.
template <class Dialog>
void ShowTool(HWND owner) {
  Dialog dialog;
  dialog.ShowModal(owner);
}

}  // namespace

HACCEL TfMain::Accelerators() {
  ACCEL keys[] = {{FVIRTKEY, VK_F5, static_cast<WORD>(cmRefresh)}, {FVIRTKEY, VK_F1, static_cast<WORD>(cmHelp)}};
  return CreateAcceleratorTableW(keys, 2);
}

int TfMain::MessageLoop(HWND window) {
  HACCEL keys = Accelerators();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorW(window, keys, &msg)) continue;  // key preview: the window's keys first
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DestroyAcceleratorTable(keys);
  return static_cast<int>(msg.wParam);
}

TfMain::TfMain(Workspace& ws) : TfTSW_BasicForm("TfMain", "", {kWidth, kHeight}), ws_(ws) { SavePosition = true; }

TfMain::~TfMain() {
  bindings_.clear();
  if (images_ != nullptr) ImageList_Destroy(images_);
  if (states_ != nullptr) ImageList_Destroy(states_);
}

void TfMain::CreateControls() {
  images_ = CreateProgramImages(Dpi());
  states_ = CreateStateImages(Dpi());
  CreateMenus();
  CreateToolbar();
  pages_ = AddControl(WC_TABCONTROLW, "", WS_CLIPSIBLINGS | WS_TABSTOP, kPagesRect, akAll, 10);
  AddTab(pages_, 0, "Auswahl: Registry, Laufwerke");
  AddTab(pages_, 1, "Betrachten des Installationsprotokolls");
  CreateSelectionPage();
  CreateResultPage();
  status_.Create({kWidth, kHeight}, [this](const wchar_t* cls, DWORD style, RECT r, uint8_t anchors) {
    return AddControl(cls, "", style, r, anchors);
  });
  // The page control at the bottom, the tab controls just above it, the trees and
  // lists above them: each tab control draws only where nothing lies on it.
  for (HWND tabs : {result_tabs_, tabs_, pages_})
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RestoreColumns();
  ShowPage(0, 0);
  UpdateCommands();
}

void TfMain::CreateMenus() { SetMenu(Handle(), CreateMainMenu()); }

void TfMain::CreateToolbar() {
  toolbar_ = AddControl(TOOLBARCLASSNAMEW, "",
                        TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                        {2, 2, kWidth - 2, kTop - 2}, akLeft | akTop | akRight, 13);
  FillToolbar(toolbar_, Dpi());
  // The hint settings count from the window's creation on.
  show_hints_ = ReadSettingBool("ShowHints");
  if (HWND tips = reinterpret_cast<HWND>(SendMessageW(toolbar_, TB_GETTOOLTIPS, 0, 0))) {
    SendMessageW(tips, TTM_ACTIVATE, show_hints_, 0);
    SendMessageW(tips, TTM_SETTIPBKCOLOR, ColourToRgb(ReadSettingInt("HintColor")), 0);
  }
}

void TfMain::BindTree(HWND view, Tree& tree, bool selection) {
  TreeView_SetImageList(view, images_, TVSIL_NORMAL);
  // Check states in the selection trees, change codes in the result trees.
  TreeView_SetImageList(view, selection ? states_ : images_, TVSIL_STATE);
  auto binding = std::make_unique<TreeViewBinding>(view, tree);
  const size_t index = bindings_.size();
  if (selection) {
    binding->OnCheckClick = [this, b = binding.get()](TreeNode& node) {
      ToggleCheck(node);
      ws_.SelectionModified = true;
      b->Select(node);
    };
    binding->OnCollapsed = [](TreeNode& node) { CollapseSelectionNode(node); };
  }
  // After the view's notification: rebuilding the view inside it would pull the item
  // away under the view's feet.
  binding->OnExpandAll = [this, index](TreeNode& node) {
    PostMessageW(Handle(), kExpandAllMessage, index, reinterpret_cast<LPARAM>(&node));
  };
  binding->Idle = [this] { return expand_all_ > 0; };
  binding->OnSelected = [this, index](TreeNode& node) { NodeSelected(index, node); };
  bindings_.push_back(std::move(binding));
}

HWND TfMain::AddSplitter(HWND tree, HWND list, const std::string& name) {
  const size_t index = splits_.size();
  auto bar = std::make_unique<SplitterBar>();
  HWND handle = bar->Create(Handle(), [this, index](int x) { MoveSplit(index, MulDiv(x, 96, Dpi())); });
  AddToLayout(handle, {kSplit, kTreeRect.top, kSplit + 4, kTreeRect.bottom}, akLeft | akTop | akBottom);
  splits_.push_back({std::move(bar), handle, tree, list, name});
  // Where the user left the bar last time, when the settings know it.
  if (const int32_t x = ReadLayoutValue("", name, -1); x >= 0) MoveSplit(index, x);
  return handle;
}

// The bar at designX (design units): the tree ends there, the list begins after it.
void TfMain::MoveSplit(size_t splitter, int designX) {
  Split& s = splits_.at(splitter);
  RECT tree = Controls().Design(s.tree), list = Controls().Design(s.list);
  designX = std::clamp<int>(designX, tree.left + 60, std::max<int>(tree.left + 60, list.right - 100));
  tree.right = designX;
  list.left = designX + 4;
  Controls().SetDesign(s.tree, tree);
  Controls().SetDesign(s.list, list);
  Controls().SetDesign(s.handle, {designX, tree.top, designX + 4, tree.bottom});
  Relayout();
}

// The column widths kept at the last close, when the list still has as many columns.
void TfMain::RestoreColumns() {
  for (const auto& [list, name] : lists_) RestoreColumnWidths(list, "", name, name + "count");
}

// The layout values: each bar's position under the splitter's name, each list's
// column count and the widths of its columns.
void TfMain::SaveLayout() {
  for (const Split& s : splits_) WriteLayoutValue("", s.name, static_cast<int32_t>(Controls().Design(s.handle).left));
  for (const auto& [list, name] : lists_) SaveColumnWidths(list, "", name, name + "count");
}

// Ctrl held while a node expands: its whole subtree, in one update of the tree.
void TfMain::ExpandAll(TreeViewBinding& binding, TreeNode& node) {
  ++expand_all_;
  try {
    BusyScope busy;
    TreeUpdateScope update(node.Owner());
    std::vector<TreeNode*> stack{&node};
    while (!stack.empty()) {
      TreeNode* n = stack.back();
      stack.pop_back();
      if (!n->HasChildren()) continue;
      n->Expand();
      for (size_t i = 0; i < n->Count(); ++i) stack.push_back(n->Child(i));
    }
  } catch (...) {
    --expand_all_;
    throw;
  }
  --expand_all_;
  binding.Select(node);
}

void TfMain::CreateSelectionPage() {
  tabs_ = AddControl(WC_TABCONTROLW, "", WS_CLIPSIBLINGS | WS_TABSTOP, kTabsRect, akAll, 11);
  const char* captions[] = {"Registry", "Laufwerke", "Systemdateien", "Optionen / Icons"};
  for (int i = 0; i < 4; ++i) AddTab(tabs_, i, captions[i]);
  Tree* trees[] = {&ws_.RegView, &ws_.DriveSel, &ws_.SystemSelect};
  ListViewControl* lists[] = {&reg_values_, &drive_files_, &system_values_};
  const std::vector<ListColumn> columns[] = {{{"Name", 150}, {"Wert", 300}},
                                             {{"Dateiname", 150}, {"Größe", 100, true}, {"Datum", 110}, {"Attr", 50}},
                                             {{"Eintrag", 150}, {"Wert", 300}}};
  const DWORD treeStyle = WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
  const DWORD listStyle = WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
  for (int i = 0; i < 3; ++i) {
    HWND tree = AddControl(WC_TREEVIEWW, "", treeStyle, kTreeRect, akLeft | akTop | akBottom, 20 + i);
    HWND list = AddControl(WC_LISTVIEWW, "", listStyle, kListRect, akAll, 30 + i);
    lists[i]->Attach(list, columns[i], Dpi());
    const char* listNames[] = {"RegSelValues", "DriveSelFiles", "SystemselectValues"};
    lists_.emplace_back(list, listNames[i]);
    ListView_SetImageList(list, i == 1 ? SystemSmallIcons() : images_, LVSIL_SMALL);
    BindTree(tree, *trees[i], true);
    const char* names[] = {"RegViewSplitter", "DriveSelSplitter", "SystemSelectSplitter"};
    tab_controls_.push_back({tree, list, AddSplitter(tree, list, names[i])});
  }
  HWND noCheck =
      AddControl(WC_LISTVIEWW, "", listStyle, {16, kTop + 48, kSplit, kHeight - 70}, akLeft | akTop | akBottom, 40);
  no_check_.Attach(noCheck, {{"Diese Dateien nicht prüfen:", 300}}, Dpi());
  lists_.emplace_back(noCheck, "NoCheck");
  HWND add = AddButton("Hinzufügen", {16, kHeight - 65, 96, kHeight - 40}, akLeft | akBottom, cmNoCheckAdd);
  HWND remove = AddButton("Löschen", {102, kHeight - 65, 182, kHeight - 40}, akLeft | akBottom, cmNoCheckDelete);
  HWND legend = AddControl(WC_LISTVIEWW, "", listStyle | LVS_NOSORTHEADER, kListRect, akAll, 41);
  legend_.Attach(legend, {{"Icons", 400}}, Dpi());
  lists_.emplace_back(legend, "LegendLV");
  ListView_SetImageList(legend, images_, LVSIL_SMALL);
  ListModel rows;
  for (const auto& entry : kLegend) {
    ListRow row;
    row.Caption = tr(entry.text);
    row.Image = entry.image;
    rows.Add(std::move(row));
  }
  legend_.Show(rows);
  tab_controls_.push_back({noCheck, add, remove, legend});
  ShowNoCheck();
}

void TfMain::CreateResultPage() {
  result_tabs_ = AddControl(WC_TABCONTROLW, "", WS_CLIPSIBLINGS | WS_TABSTOP, kTabsRect, akAll, 12);
  const char* captions[] = {"Änderungen in Registry", "veränderte Dateistruktur", "veränderte Systemdateien"};
  const std::vector<ListColumn> columns[] = {{{"Name", 150}, {"Wert", 300}},
                                             {{"Dateiname", 150}, {"Größe", 100, true}, {"Datum", 110}, {"Attr", 50}},
                                             {{"Eintrag", 150}, {"Wert", 300}}};
  Tree* trees[] = {&ws_.ResultView, &ws_.DriveResult, &ws_.SystemResult};
  for (int i = 0; i < 3; ++i) {
    AddTab(result_tabs_, i, captions[i]);
    HWND tree = AddControl(WC_TREEVIEWW, "", WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                                 TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                           kTreeRect, akLeft | akTop | akBottom, 50 + i);
    HWND list = AddControl(WC_LISTVIEWW, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS |
                                                 LVS_SHAREIMAGELISTS,
                           kListRect, akAll, 60 + i);
    result_lists_[i].Attach(list, columns[i], Dpi());
    ListView_SetImageList(list, i == 1 ? SystemSmallIcons() : images_, LVSIL_SMALL);
    ListView_SetImageList(list, images_, LVSIL_STATE);  // the change codes
    const char* listNames[] = {"ResultValues", "ResultDriveFiles", "SystemResultValues"};
    lists_.emplace_back(list, listNames[i]);
    BindTree(tree, *trees[i], false);
    const char* names[] = {"ResultViewSplitter", "DriveResultSplitter", "SystemResultSplitter"};
    result_controls_.push_back({tree, list, AddSplitter(tree, list, names[i])});
  }
}

// The file list of the log shows the versions when the log carries them.
void TfMain::ShowVersionColumn(bool shown) {
  HWND list = result_lists_[1].View();
  const int count = Header_GetItemCount(ListView_GetHeader(list));
  if (shown && count == 4) {
    const std::wstring caption = platform::Utf8ToWide(tr("Version"));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = Scale(110);
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    ListView_InsertColumn(list, 4, &column);
  } else if (!shown && count == 5) {
    ListView_DeleteColumn(list, 4);
  }
}

void TfMain::ShowPage(int page, int tab) {
  page_ = page;
  TabCtrl_SetCurSel(pages_, page);
  ShowWindow(tabs_, page == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(result_tabs_, page == 1 ? SW_SHOW : SW_HIDE);
  if (page == 0) TabCtrl_SetCurSel(tabs_, tab);
  else TabCtrl_SetCurSel(result_tabs_, tab);
  ShowTab(tab);
}

void TfMain::ShowTab(int tab) {
  for (size_t i = 0; i < tab_controls_.size(); ++i)
    for (HWND c : tab_controls_[i]) ShowWindow(c, page_ == 0 && static_cast<int>(i) == tab ? SW_SHOW : SW_HIDE);
  for (size_t i = 0; i < result_controls_.size(); ++i)
    for (HWND c : result_controls_[i]) ShowWindow(c, page_ == 1 && static_cast<int>(i) == tab ? SW_SHOW : SW_HIDE);
}

void TfMain::NodeSelected(size_t tree, TreeNode& node) {
  switch (tree) {
    case 0:
      FillRegistryValueList(node, reg_rows_, ReadSettingText("DefaultText"), ReadSettingText("EmptyText"));
      reg_values_.Show(reg_rows_);
      break;
    case 1:
      FillDriveFileList(node, drive_rows_);
      drive_files_.Show(drive_rows_);
      break;
    case 2:
      FillSystemFileList(node, system_rows_, ReadSettingText("PathToSystemFiles"));
      system_values_.Show(system_rows_);
      break;
    default: {  // a result tree: the node's records from the log
      const size_t r = tree - 3;
      if (ws_.CurrentResultFile().empty()) break;
      if (r == 0)
        FillResultValueList(ws_.Result, node, result_rows_[0], ReadSettingText("DefaultText"),
                            ReadSettingText("EmptyText"));
      else if (r == 1) FillResultFileList(ws_.Result, node, result_rows_[1]);
      else FillResultSystemList(ws_.Result, node, result_rows_[2]);
      if (r == 1) ShowVersionColumn(ws_.Result.Versions);
      result_lists_[r].Show(result_rows_[r]);
      break;
    }
  }
}

void TfMain::ShowNoCheck() {
  ListModel rows;
  for (const std::string& file : ws_.NoCheck) rows.Add({file, {}});
  no_check_.Show(rows);
}

// "Hinzufügen": files chosen in the open dialog (several at once).
void TfMain::AddNoCheckFiles() {
  std::string first;
  std::vector<std::string> files;
  if (!ChooseFileName(Handle(), {"Dateien nicht überwachen", {{"Alle Dateien (*.*)", "*.*"}}, "", ws_.ProgramFolder,
                                 false, true},
                      first, &files))
    return;
  AddToNoCheck(ws_, files);
  ShowNoCheck();
}

bool TfMain::ChooseFile(bool save, const char* title, const char* filter, const char* extension, std::string& name) {
  name.clear();
  return ChooseFileName(Handle(),
                        {title, {{filter, std::string("*.") + extension}}, extension, ws_.ProgramFolder, save}, name);
}

void TfMain::ShowResult() {
  const std::string& file = ws_.CurrentResultFile();
  SetCaption(file + " " + ProductName);
  ShowPage(1, 0);
  UpdateCommands();
}

void TfMain::RunCommand(int command) { Command(command, 0, nullptr); }

TWizard2FRM& TfMain::Wizard(int page, int tab) {
  if (!wizard_) wizard_ = std::make_unique<TWizard2FRM>(*this);
  wizard_->Open(page, tab);
  return *wizard_;
}

// Posted, so that they run as commands of the window (an error reaches the error
// dialog, not the start-up).
void TfMain::Greet() {
  if (ReadSettingDef("Wizard2InInstall", 0) == SettingValue(1)) PostMessageW(Handle(), WM_COMMAND, cmWizard, 0);
  else if (ShowWelcomeAtStart()) PostMessageW(Handle(), WM_COMMAND, cmWelcome, 0);
}

// "A&lles wiederherstellen" and "I&nstallationsdateien erzeugen" only while a log is
// loaded.
void TfMain::UpdateCommands() {
  const bool loaded = !ws_.CurrentResultFile().empty();
  for (const int command : {cmRestoreAll, cmInstallFiles}) {
    EnableMenuItem(GetMenu(Handle()), static_cast<UINT>(command), MF_BYCOMMAND | (loaded ? MF_ENABLED : MF_GRAYED));
    SendMessageW(toolbar_, TB_ENABLEBUTTON, static_cast<WPARAM>(command), loaded);
  }
}

void TfMain::Command(int id, int notifyCode, HWND control) {
  if (UI().IsBusy() && id >= cmLoadSelection) return;  // one command at a time
  std::string name;
  switch (id) {
    case cmLoadSelection:
      if (ChooseFile(false, "Lade eine Auswahl-Datei", "Auswahldatei (*.TSS)", "TSS", name)) LoadSelection(ws_, name);
      ShowNoCheck();
      ShowPage(0, 0);
      break;
    case cmSaveSelection:
      if (ChooseFile(true, "Speichere eine Auswahl-Datei", "Auswahldatei (*.TSS)", "TSS", name))
        SaveSelection(ws_, name);
      break;
    case cmResetSelection:
      DefaultSelection(ws_.RegView, ws_.DriveSel, ws_.SystemSelect, ws_.NoCheck, ws_.Context());
      ws_.SelectionModified = true;
      ShowNoCheck();
      ShowPage(0, 0);
      break;
    case cmNoCheckAdd:
      AddNoCheckFiles();
      break;
    case cmNoCheckDelete: {
      const int selected = ListView_GetNextItem(no_check_.View(), -1, LVNI_SELECTED);
      if (selected < 0 || static_cast<size_t>(selected) >= ws_.NoCheck.size()) break;
      ws_.NoCheck.erase(ws_.NoCheck.begin() + selected);
      ws_.SelectionModified = true;
      ShowNoCheck();
      break;
    }
    case cmRestoreSavedConfiguration:
      RestoreSavedConfiguration(ws_);
      break;
    case cmLoadResult:
      if (!ChooseFile(false, "Lade eine Logdatei", "Logdatei (*.TSL)", "TSL", name)) break;
      LoadResult(ws_, name);
      ShowResult();
      break;
    case cmExit:
      Close();
      break;
    case cmStoreConfiguration:
      StoreConfiguration(ws_);
      break;
    case cmCreateLogfile:
    case cmIncrementalCompare: {
      bool chosen = false;
      const ::ChooseFile choose = [this, &chosen](std::string& file) {
        return chosen = ChooseFile(true, "Speichere eine Logdatei", "Logdatei (*.TSL)", "TSL", file);
      };
      if (id == cmCreateLogfile) CreateLogfile(ws_, choose);
      else IncrementalCompare(ws_, choose);
      if (chosen) ShowResult();
      break;
    }
    case cmStoreConfigurationAs:
      if (ChooseFile(true, "Speichere eine Konfigurationsdatei", "Konfigurationsdatei (*.TSD)", "TSD", name))
        StoreConfigurationAs(ws_, name);
      break;
    case cmRefresh: {
      BusyScope busy;
      UI().SetStatusText(StatusControl::Statuspanel, " aktualisieren...");
      RefreshSelectionTrees(ws_.RegView, ws_.DriveSel, ws_.SystemSelect, ws_.Context());
      UI().SetStatusText(StatusControl::Statuspanel, "Status");
      if (TreeNode* selected = bindings_[0]->Selected()) NodeSelected(0, *selected);
      break;
    }
    case cmRestoreAll: {
      if (ws_.CurrentResultFile().empty()) break;
      TfRestoreAll restore(ws_);
      restore.AfterArea = [this](int area) {
        if (TreeNode* node = bindings_[static_cast<size_t>(3 + area)]->Selected())
          NodeSelected(static_cast<size_t>(3 + area), *node);
      };
      restore.LogDeleted = [this] {
        SetCaption(ProductName);
        ShowPage(0, 0);
        UpdateCommands();
      };
      restore.ShowModal(Handle());
      break;
    }
    case cmWizard:
      Wizard(wizard_ ? TWizard2FRM::pgStart : -1);
      break;
    case cmWizardOld:
      if (TfWizard* open = TfWizard::Current()) {
        ShowWindow(open->Handle(), SW_SHOW);
      } else if (MessageDlg(FormatMsg(tr("Der %s Schritt für Schritt Assistent wird Sie durch jede Aktion\r führen, "
                                         "um Ihnen die Funktionsweise des Programmes zu erklären !\r                  "
                                         "             Fortsetzen (J/N) ?"),
                                      {ProductName}),
                            mtConfirmation, mbYesNo) == mrYes) {
        (new TfWizard(*this))->ShowModeless(Handle());
      }
      break;
    case cmWizardInstall:
      Wizard(TWizard2FRM::pgInstall);
      break;
    case cmWizardRemove:
      Wizard(TWizard2FRM::pgUninstall);
      break;
    case cmWelcome: {
      TWelcomeFRM welcome;
      if (welcome.ShowModal(Handle()) == mrYes) Wizard(wizard_ ? TWizard2FRM::pgStart : -1);
      break;
    }
    case cmCompareTwo: {  // the log becomes the loaded one; the title stays as it is
      TfCompare compare(ws_);
      if (compare.ShowModal(Handle()) != 1) break;
      ShowPage(1, 0);
      UpdateCommands();
      break;
    }
    case cmDuplicates:
      ShowTool<TfDouble>(Handle());
      break;
    case cmEmptyFolders:
      ShowTool<TEmptyFoldersFRM>(Handle());
      break;
    case cmFonts:
      ShowTool<TDelFontsFRM>(Handle());
      break;
    case cmTempFiles:
      ShowTool<TfTempfiles>(Handle());
      break;
    case cmWebClean:
      ShowTool<TWebCleanFRM>(Handle());
      break;
    case cmExistingPrograms:
      ShowTool<TDelExistingFRM>(Handle());
      break;
    case cmFileBackup:
      ShowTool<TDLLBackUpFRM>(Handle());
      break;
    case cmInstallFiles:
      CreateAllInstallFilesCommand(Handle(), ws_);
      break;
    case cmOptions: {
      TfOptions options;
      options.ShowModal(Handle());
      break;
    }
    case cmHelp:
      break;  // the help file lies outside the program
    default:
      TfTSW_BasicForm::Command(id, notifyCode, control);
  }
}

LRESULT TfMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY: {
      const NMHDR& header = *reinterpret_cast<NMHDR*>(lp);
      if (header.code == TCN_SELCHANGE && header.hwndFrom == pages_) {
        ShowPage(TabCtrl_GetCurSel(pages_), 0);
        return 0;
      }
      if (header.code == TCN_SELCHANGE) {
        ShowTab(TabCtrl_GetCurSel(header.hwndFrom));
        return 0;
      }
      if (header.code == NM_DBLCLK && header.hwndFrom == drive_files_.View()) {
        OpenDriveFile(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
        return 0;
      }
      if (header.code == NM_DBLCLK && (header.hwndFrom == reg_values_.View() || header.hwndFrom == result_lists_[0].View())) {
        const bool log = header.hwndFrom != reg_values_.View();
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        if (row >= 0) EditValue(log ? 3 : 0, (log ? result_lists_[0] : reg_values_).ModelRow(row));
        return 0;
      }
      if (header.code == NM_DBLCLK && header.hwndFrom == result_lists_[1].View()) {
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        if (row >= 0) OpenFile(bindings_[4]->Selected(), result_lists_[1].Text(row, 0));
        return 0;
      }
      if (header.code == LVN_KEYDOWN && header.hwndFrom == reg_values_.View() &&
          reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) {
        DeleteSelectedValues(true);
        return 0;
      }
      if (header.code == TTN_GETDISPINFOW) {  // the hint of a toolbar button
        auto& info = *reinterpret_cast<NMTTDISPINFOW*>(lp);
        hint_ = platform::Utf8ToWide(CommandHint(static_cast<int>(header.idFrom)));
        if (!hint_.empty()) info.lpszText = hint_.data();
        return 0;
      }
      LRESULT result = 0;
      for (auto& b : bindings_)
        if (b->HandleNotify(header, result)) return result;
      for (auto& list : result_lists_)
        if (list.HandleNotify(header, result)) return result;
      break;
    }
    case WM_MENUSELECT:  // the hint of the menu command under the pointer
      if (show_hints_) {
        const bool command = !(HIWORD(wp) & MF_POPUP) && HIWORD(wp) != 0xFFFF;
        status_.Text(StatusControl::Statuspanel, command ? CommandHint(LOWORD(wp)) : std::string());
      }
      break;
    case WM_ENTERMENULOOP: {  // the status text comes back when the menu closes
      HWND panel = status_.Control(StatusControl::Statuspanel);
      std::wstring text(static_cast<size_t>(GetWindowTextLengthW(panel)) + 1, L'\0');
      text.resize(static_cast<size_t>(GetWindowTextW(panel, text.data(), static_cast<int>(text.size()))));
      status_before_menu_ = text;
      break;
    }
    case WM_EXITMENULOOP:
      if (show_hints_) SetWindowTextW(status_.Control(StatusControl::Statuspanel), status_before_menu_.c_str());
      break;
    case kExpandAllMessage: {
      TreeViewBinding& binding = *bindings_.at(wp);
      // Only a node that is still there.
      if (binding.Shows(reinterpret_cast<const void*>(lp))) ExpandAll(binding, *reinterpret_cast<TreeNode*>(lp));
      return 0;
    }
    case WM_CONTEXTMENU: {
      POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      if (at.x == -1 && at.y == -1) GetCursorPos(&at);  // from the keyboard
      if (ContextMenu(reinterpret_cast<HWND>(wp), at)) return 0;
      break;
    }
    case WM_CLOSE:
      if (CloseQuery()) DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      SaveLayout();
      PostQuitMessage(0);
      break;
    default:
      break;
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}

bool TfMain::CloseQuery() {
  if (!ws_.SelectionModified) return true;
  const std::string last = ws_.DataFile(kLastSelectionFile);
  if (platform::FileExists(last)) {
    const int answer =
        MessageDlg(tr("Wollen Sie die jetzt aktive Auswahl als\rVorgabe für das nächste Mal speichern ?"),
                   mtConfirmation, mbYes | mbNo | mbCancel | mbHelp, 6);
    if (answer == mrCancel) return false;
    if (answer != mrYes) return true;
  }
  SaveSelection(ws_, last);
  return true;
}
