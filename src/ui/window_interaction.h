// The interaction seam of the window program: questions through the program's own
// message dialog, the status display through the main window's status bar, the busy
// cursor as a stack.
#pragma once

#include <string>
#include <vector>

#include "core/interaction.h"

// Where the status texts and progress bars go (the main window's status bar).
class StatusDisplay {
 public:
  virtual ~StatusDisplay() = default;
  virtual void Text(StatusControl control, const std::string& text) = 0;
  virtual void Max(StatusControl control, int maximum) = 0;
  virtual void Position(StatusControl control, int position) = 0;
  virtual void Visible(StatusControl control, bool visible) = 0;
};

class WindowInteraction : public Interaction {
 public:
  int MessageDlg(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons, int helpContext) override;
  void ShowMessage(const std::string& text) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
  // The undo's questions about shared files, in the dialog "Gemeinsame Dateien".
  int AskSharedFile(SharedFileQuestion question, const std::string& path, bool& sameForAll) override;
  void SetStatusText(StatusControl control, const std::string& text) override;
  void SetStatusMax(StatusControl control, int maximum) override;
  void SetStatusPosition(StatusControl control, int position) override;
  void SetStatusVisible(StatusControl control, bool visible) override;
  bool StatusVisible(StatusControl control) const override { return visible_[static_cast<int>(control)]; }
  void ProcessMessages() override;
  bool CancelRequested() const override { return cancel_; }
  void ResetCancel() override { cancel_ = false; }
  void RequestCancel() override { cancel_ = true; }
  void BeginBusy() override;
  void EndBusy() override;
  bool IsBusy() const override { return !cursors_.empty(); }

  // The status bar that shows the status controls; none: they are only remembered.
  void SetStatusDisplay(StatusDisplay* display) { display_ = display; }

 private:
  StatusDisplay* display_ = nullptr;
  bool visible_[5] = {};
  bool cancel_ = false;
  std::vector<void*> cursors_;
};
