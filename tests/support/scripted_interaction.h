// Test double of the interaction seam: answers questions from a prepared script and
// records every text shown, so that tests can assert the exact German messages.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core/interaction.h"

class ScriptedInteraction : public Interaction {
 public:
  struct Shown {
    std::string text;
    MsgDlgType type;
    TMsgDlgButtons buttons;
  };

  // Installs itself for its lifetime.
  ScriptedInteraction();
  ~ScriptedInteraction() override;

  // The answers of the next questions, in order. Boxes with only an OK button need
  // none; a question without a prepared answer fails the test and gets Cancel.
  void Answer(int modalResult) { answers_.push_back(modalResult); }
  void AnswerInput(std::string value) { inputs_.push_back(std::move(value)); }
  void RequestCancel() override { cancel_ = true; }

  const std::vector<Shown>& Messages() const { return shown_; }
  std::vector<std::string> Texts() const;
  size_t UnansweredQuestions() const { return answers_.size(); }
  const std::map<StatusControl, std::string>& StatusTexts() const { return status_; }
  int ProcessMessagesCalls() const { return process_calls_; }

  int MessageDlg(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons,
                 int helpContext) override;
  void ShowMessage(const std::string& text) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
  void SetStatusText(StatusControl control, const std::string& text) override {
    status_[control] = text;
    status_log_.emplace_back(control, text);
  }
  void SetStatusMax(StatusControl control, int maximum) override { max_[control] = maximum; }
  void SetStatusPosition(StatusControl control, int position) override { pos_[control] = position; }
  void SetStatusVisible(StatusControl control, bool visible) override { visible_[control] = visible; }
  bool StatusVisible(StatusControl control) const override {
    const auto it = visible_.find(control);
    return it != visible_.end() && it->second;
  }
  // Every status text set, in order.
  const std::vector<std::pair<StatusControl, std::string>>& StatusLog() const { return status_log_; }
  void ProcessMessages() override { ++process_calls_; }
  bool CancelRequested() const override { return cancel_; }
  void ResetCancel() override { cancel_ = false; }
  void BeginBusy() override { ++busy_; }
  void EndBusy() override { --busy_; }
  bool IsBusy() const override { return busy_ > 0; }
  int BusyDepth() const { return busy_; }

 private:
  std::deque<int> answers_;
  std::deque<std::string> inputs_;
  std::vector<Shown> shown_;
  std::map<StatusControl, std::string> status_;
  std::vector<std::pair<StatusControl, std::string>> status_log_;
  std::map<StatusControl, int> max_, pos_;
  std::map<StatusControl, bool> visible_;
  bool cancel_ = false;
  int busy_ = 0;
  int process_calls_ = 0;
};
