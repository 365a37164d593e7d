// The interaction seam on plain system message boxes, for the time before the main
// window (and its own message dialog) exists.
#pragma once

#include "core/interaction.h"

class MessageBoxInteraction : public Interaction {
 public:
  int MessageDlg(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons, int helpContext) override;
  void ShowMessage(const std::string& text) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
  void SetStatusText(StatusControl, const std::string&) override {}
  void SetStatusMax(StatusControl, int) override {}
  void SetStatusPosition(StatusControl, int) override {}
  void SetStatusVisible(StatusControl c, bool v) override { visible_[static_cast<int>(c)] = v; }
  bool StatusVisible(StatusControl c) const override { return visible_[static_cast<int>(c)]; }
  void ProcessMessages() override;
  bool CancelRequested() const override { return false; }
  void ResetCancel() override {}
  void BeginBusy() override;
  void EndBusy() override;
  bool IsBusy() const override { return busy_ > 0; }

 private:
  bool visible_[5] = {};
  int busy_ = 0;
  void* saved_cursor_ = nullptr;
};
