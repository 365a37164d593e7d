// TfMain, the program's main window: the menus with every command, the page
// "Auswahl: Registry, Laufwerke" with its four tabs (trees and the lists beside
// them), the page of the installation log, the status bar, and the close query.
#pragma once

#include <memory>
#include <vector>

#include "app/wizard_host.h"
#include "app/workspace.h"
#include "ui/form.h"
#include "ui/list_view.h"
#include "ui/splitter.h"
#include "ui/status_bar.h"
#include "ui/tree_view.h"

class TWizard2FRM;

class TfMain : public TfTSW_BasicForm, public WizardHost {
 public:
  explicit TfMain(Workspace& ws);
  ~TfMain() override;

  // What the wizards ask of the window.
  HWND Window() const override { return Handle(); }
  void RunCommand(int command) override;
  bool ResultLoaded() const override { return !ws_.CurrentResultFile().empty(); }
  // The wizard, made at its first use; page as TWizard2FRM::Open.
  TWizard2FRM& Wizard(int page, int tab = 0);
  // At the first show: the wizard where an installation was left, else the welcome.
  void Greet();

  // The status bar the engines report to.
  StatusBar& Status() { return status_; }
  // Page 0 "Auswahl", page 1 the installation log; tab within the selection page.
  void ShowPage(int page, int tab = 0) override;
  // The loaded log: its name in the caption, its page shown.
  void ShowResult();
  TreeViewBinding& Binding(int tab) { return *bindings_[static_cast<size_t>(tab)]; }
  ListViewControl& RegistryValues() { return reg_values_; }
  ListViewControl& DriveFiles() { return drive_files_; }
  ListViewControl& SystemValues() { return system_values_; }
  // The lists beside the three result trees.
  ListViewControl& ResultList(int tab) { return result_lists_[tab]; }
  // A command of the log page's popups on the selected node of result tab 0 to 2 (or
  // on the rows selected in its list): cmUndoChanges, cmExportData,
  // cmDontWatchNextTime, cmShowClsid, cmResultDontWatchFiles, cmNewValue, cmEditValue,
  // cmDeleteValue.
  void ResultCommand(int command, int tab, bool fromList);
  HWND Splitter(size_t index) const { return splits_.at(index).handle; }
  // The keys of the commands (F5, F1), for the message loop.
  static HACCEL Accelerators();
  // The message loop of the program, until the window is closed.
  static int MessageLoop(HWND window);

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  bool CloseQuery() override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateMenus();
  void CreateToolbar();
  void CreateSelectionPage();
  void CreateResultPage();
  void ShowVersionColumn(bool shown);
  void BindTree(HWND view, Tree& tree, bool selection);
  void ExpandAll(TreeViewBinding& binding, TreeNode& node);
  // The bar between a tree and its list; returns it (for the tab's controls).
  HWND AddSplitter(HWND tree, HWND list, const std::string& name);
  void MoveSplit(size_t splitter, int designX);
  void SaveLayout();
  void NodeSelected(size_t tab, TreeNode& node);
  void ShowTab(int tab);
  void UpdateCommands();
  bool ChooseFile(bool save, const char* title, const char* filter, const char* extension, std::string& name);
  void ShowNoCheck();
  void AddNoCheckFiles();
  // The popups of the selection page (main_window_popups.cpp); false when the control has none.
  bool ContextMenu(HWND control, POINT at);
  void DriveFilesPopup(POINT at);
  void RegistryValuesPopup(POINT at);
  void SystemTreePopup(POINT at);
  void AddUserSystemFile();
  // Deletes the values selected in the value list; ask: the Delete key's questions.
  void DeleteSelectedValues(bool ask);
  // The registry value editor on a row of the list beside registry tree 0 (the
  // selection, refreshed after OK) or 3 (the log), or on a new value (row -1).
  void EditValue(size_t tree, int row);
  // The first selected row of that list, or -1.
  int SelectedValueRow(size_t tree);
  void NewKey();
  void DeleteKey();
  // Opens a file of a file list through the shell (double click).
  void OpenDriveFile(int row);
  void OpenFile(const TreeNode* folder, const std::string& name);
  void ResultTreePopup(int tab, POINT at);
  void ResultListPopup(int tab, POINT at);
  void UndoChanges(int tab, bool fromList);
  void ShowClsidName(const std::string& key);

  Workspace& ws_;
  StatusBar status_;
  HWND pages_ = nullptr, tabs_ = nullptr, result_tabs_ = nullptr, toolbar_ = nullptr;
  std::wstring hint_;  // the text of the hint shown
  std::wstring status_before_menu_;
  HIMAGELIST images_ = nullptr, states_ = nullptr;
  std::vector<std::unique_ptr<TreeViewBinding>> bindings_;  // RegView, DriveSel, SystemSelect, then the results
  std::vector<std::vector<HWND>> tab_controls_;             // the controls of each selection tab
  std::vector<std::vector<HWND>> result_controls_;          // the controls of each result tab
  ListViewControl reg_values_, drive_files_, system_values_, no_check_, legend_;
  ListModel reg_rows_, drive_rows_, system_rows_;
  ListViewControl result_lists_[3];  // ResultValues, ResultDriveFiles, SystemResultValues
  ListModel result_rows_[3];
  struct Split {
    std::unique_ptr<SplitterBar> bar;
    HWND handle, tree, list;
    std::string name;  // the layout value that keeps its position
  };
  std::vector<Split> splits_;
  std::vector<std::pair<HWND, std::string>> lists_;  // list views with their names
  void RestoreColumns();
  std::unique_ptr<TWizard2FRM> wizard_;
  int page_ = 0;
  bool show_hints_ = true;  // "ShowHints" as it was when the window was made
  int expand_all_ = 0;  // a Ctrl expansion runs: the lists stay as they are
};
