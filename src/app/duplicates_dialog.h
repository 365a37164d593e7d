// TfDouble ("Suche nach doppelten Dateien"): the drives and folders to search, ticked
// in a tree like the main window's drive tree; the groups of copies found by name and
// size with the time or the content; the marked files of a group deleted after a
// question (below the backup folder's "DOUBLE\").
#pragma once

#include <vector>

#include "app/tool_selection_tree.h"
#include "model/tree_model.h"
#include "tools/duplicates.h"
#include "ui/form.h"
#include "ui/list_view.h"

class TfDouble : public TfTSW_BasicForm {
 public:
  TfDouble();

  Tree& Drives() { return drives_.Model(); }
  TreeViewBinding& DriveView() { return drives_.Binding(); }
  ListViewControl& Groups() { return groups_view_; }
  ListViewControl& Files() { return files_view_; }
  HWND ContentRadio() const { return by_content_; }
  void Search();  // "&Suche beginnen"
  void ShowGroup(int group);
  void DeleteMarked();
  void SortGroups(int column);

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ShowGroups();
  int SelectedGroup() const;
  DuplicateCriterion Criterion() const;

  ToolSelectionTree drives_;
  ListViewControl groups_view_, files_view_;
  ListModel group_rows_, file_rows_;
  DuplicateResult result_;
  DuplicateCriterion searched_ = DuplicateCriterion::NameSizeDate;
  int shown_ = -1, busy_ = 0, sorted_column_ = -1;
  bool descending_ = false;
  HWND by_date_ = nullptr, by_content_ = nullptr, cancel_ = nullptr;
  HWND status_ = nullptr, files_ = nullptr, folders_ = nullptr, doubles_ = nullptr;
};
