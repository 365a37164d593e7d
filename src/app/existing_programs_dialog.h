// TDelExistingFRM ("Bestehende Anwendungen Löschen"): step by step through the
// program's folders, its start-menu entries, its registry keys and its file extensions
// and types, ticked in four selection trees; the last page lists every planned
// deletion (protected places among them, refused) and carries out the ticked ones.
#pragma once

#include <string>
#include <vector>

#include "app/tool_selection_tree.h"
#include "model/list_model.h"
#include "tools/existing_programs.h"
#include "ui/form.h"
#include "ui/list_view.h"

class TDelExistingFRM : public TfTSW_BasicForm {
 public:
  TDelExistingFRM();
  ~TDelExistingFRM() override;

  enum Page { Start, ProgramFiles, StartMenu, Registry, FileExtensions, Confirm, kPages };
  void ShowPage(int page);  // with the page-change step
  int CurrentPage() const { return page_; }
  ToolSelectionTree& Tree(Page page);
  // A click on a node's state image in a tree (the file extension tree links
  // extensions and their file types).
  void CheckClick(Page page, TreeNode& node);
  const std::vector<PlannedAction>& Plan() const { return plan_; }
  void ToggleAction(size_t row);
  void TickAll(bool ticked);
  void CarryOut();  // "gewählte Aktionen Durchführen"
  ListViewControl& ConfirmList() { return confirm_; }
  // The pause between two extensions marked one after another (ms); tests shorten it.
  int FirstPause = 1000;

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  HWND OnPage(int page, HWND control);
  void AddTree(Page page, ToolSelectionTree& tree, const std::string& heading);
  void MoveTo(Page page, std::vector<std::string> place);
  void MoveToFolder(Page page, const std::string& folder);
  void MoveToFileTypes();
  void Jump(Page page);
  void LinkExtensions(TreeNode& node);
  void MarkExtensions(const std::vector<TreeNode*>& extensions);
  void Reveal(Page page, TreeNode& node);
  void BuildPlan();
  void ShowPlan();

  HWND tabs_ = nullptr, finish_ = nullptr, jump_all_users_ = nullptr, jump_software_ = nullptr, jump_types_ = nullptr;
  HBITMAP picture_ = nullptr;
  std::vector<HWND> pages_[kPages];
  ToolSelectionTree folders_, menu_, keys_{ToolSelectionTree::Kind::Registry},
      types_{ToolSelectionTree::Kind::Registry};
  std::string program_files_, user_menu_, common_menu_;
  std::vector<PlannedAction> plan_;
  ListViewControl confirm_;
  HIMAGELIST confirm_states_ = nullptr;
  int page_ = Start;
};
