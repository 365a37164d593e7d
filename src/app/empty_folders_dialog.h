// TEmptyFoldersFRM ("Leere Ordner suchen"): the drives and folders to search, ticked in
// a tree like the main window's drive tree; the empty folders found; the marked ones
// deleted after a question.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/tree_model.h"
#include "ui/form.h"
#include "ui/list_view.h"
#include "ui/tree_view.h"

class TEmptyFoldersFRM : public TfTSW_BasicForm {
 public:
  TEmptyFoldersFRM();
  ~TEmptyFoldersFRM() override;

  Tree& Drives() { return drives_; }
  TreeViewBinding& DriveView() { return *binding_; }
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

  Tree drives_;
  std::unique_ptr<TreeViewBinding> binding_;
  ListViewControl list_;
  std::vector<std::string> found_;
  HIMAGELIST images_ = nullptr, states_ = nullptr;
  HWND ignore_ = nullptr, cancel_ = nullptr, status_ = nullptr, folders_ = nullptr, empty_ = nullptr;
};
