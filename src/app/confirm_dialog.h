// TfConfirm, "Bestätigung der Wiederherstellung": the to-do list of an undo made by
// the engine in planning mode, the four kinds of change to take back (each click
// plans again), and "Ausführ&en", which runs the engine for real and shows each
// action's outcome in the same list.
#pragma once

#include <functional>
#include <string>

#include "app/workspace.h"
#include "removal/restore.h"
#include "ui/form.h"
#include "ui/list_view.h"

class TfConfirm : public TfTSW_BasicForm {
 public:
  // engine undoes start with its subtree, narrowed to the selected rows of selection
  // when one is given; flags as the command passes them (7).
  TfConfirm(Workspace& ws, RestoreProc engine, TreeNode* start, ListModel* selection, uint8_t flags = 7);

  // A file-structure undo: the first box speaks of folders and files.
  void SetNewEntriesCaption(const std::string& caption) { new_caption_ = caption; }
  // Deleted and altered files come back only from the file backup store: their boxes
  // are hidden (their flags stay as they are).
  void HideDeletedAndAltered() { hide_deleted_altered_ = true; }
  // Appended to the caption (restore-all names the area).
  void SetCaptionSuffix(const std::string& suffix) { caption_suffix_ = suffix; }
  // Called after executing, so that the lists beside the tree show the new marks.
  std::function<void()> AfterExecute;

  // The to-do list as shown; planned when the window was made.
  const ListModel& Todo() const { return todo_; }
  bool NothingToDo() const { return nothing_to_do_; }
  uint8_t Flags() const { return flags_; }
  void Execute();  // "Ausführ&en"

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  DWORD Style() const override;

 private:
  void Plan();
  RestoreRequest Request(bool execute);
  void ShowTodo();

  Workspace& ws_;
  RestoreProc engine_;
  TreeNode* start_;
  ListModel* selection_;
  uint8_t flags_;
  ListModel todo_;
  ListViewControl list_;
  HWND boxes_[4] = {};
  HWND execute_ = nullptr, cancel_ = nullptr;
  std::string new_caption_, caption_suffix_;
  bool hide_deleted_altered_ = false;
  bool nothing_to_do_ = false;
};
