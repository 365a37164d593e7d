// TEmptyFoldersFRM ("Leere Ordner suchen"): the drives and folders to search, ticked in
// a tree like the main window's drive tree; the empty folders found; the marked ones
// deleted after a question.
#pragma once

#include <string>
#include <vector>

#include "app/tool_selection_tree.h"
#include "model/tree_model.h"
#include "ui/form.h"
#include "ui/list_view.h"

class TEmptyFoldersFRM : public TfTSW_BasicForm {
 public:
  TEmptyFoldersFRM();

  Tree& Drives() { return drives_.Model(); }
  TreeViewBinding& DriveView() { return drives_.Binding(); }
  ListViewControl& Found() { return list_; }
  HWND IgnoreEmptyFilesBox() const { return ignore_; }
  void Search();        // "&Suche beginnen"
  void DeleteMarked();  // "&Löschen"

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ShowFound();
  bool IgnoreEmptyFiles() const;

  ToolSelectionTree drives_;
  ListViewControl list_;
  std::vector<std::string> found_;
  HWND ignore_ = nullptr, cancel_ = nullptr, status_ = nullptr, folders_ = nullptr, empty_ = nullptr;
};
