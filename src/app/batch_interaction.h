// Batch mode's side of the interaction seam: nobody is there to answer. Messages go
// to standard error, one line each; questions end the run, except the shared-file
// questions of an undo, which have fixed answers (README, batch mode).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/interaction.h"

class SplashScreen;

// One line on standard error (line breaks of box texts become blanks).
void PrintError(const std::string& text);

class BatchInteraction : public Interaction {
 public:
  explicit BatchInteraction(SplashScreen* splash) : splash_(splash) {}

  int MessageDlg(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons, int) override;
  void ShowMessage(const std::string& text) override { PrintError(text); }
  bool InputQuery(const std::string&, const std::string& prompt, std::string&) override;
  // A shared file whose counter reached zero goes when the log records it as new; a
  // new one still registered goes when its counter is gone or below 1 (never with
  // HandleSharedDLLs 2).
  int AskSharedFile(SharedFileQuestion question, const std::string& path, bool& sameForAll) override;
  // The shared files that the log being undone records as new.
  void SetNewSharedFiles(std::vector<std::string> files);

  void SetStatusText(StatusControl, const std::string&) override {}
  void SetStatusMax(StatusControl, int) override {}
  void SetStatusPosition(StatusControl, int) override {}
  void SetStatusVisible(StatusControl c, bool v) override { visible_[static_cast<int>(c)] = v; }
  bool StatusVisible(StatusControl c) const override { return visible_[static_cast<int>(c)]; }
  void ProcessMessages() override;
  bool CancelRequested() const override { return false; }
  void ResetCancel() override {}
  void BeginBusy() override { ++busy_; }
  void EndBusy() override { if (busy_ > 0) --busy_; }
  bool IsBusy() const override { return busy_ > 0; }

  // An error box was shown: the command did not do all it should (a snapshot worker
  // that stopped, a damaged name in a merge), even when it ran to its end.
  bool ErrorShown() const { return error_shown_; }

 private:
  bool error_shown_ = false;
  std::vector<std::string> new_files_;  // upper case
  SplashScreen* splash_;
  bool visible_[5] = {};
  int busy_ = 0;
};
