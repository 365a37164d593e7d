#include "support/scripted_interaction.h"

#include <gtest/gtest.h>

ScriptedInteraction::ScriptedInteraction() { InstallInteraction(this); }
ScriptedInteraction::~ScriptedInteraction() { InstallInteraction(nullptr); }

std::vector<std::string> ScriptedInteraction::Texts() const {
  std::vector<std::string> texts;
  for (const auto& s : shown_) texts.push_back(s.text);
  return texts;
}

int ScriptedInteraction::MessageDlg(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons,
                                    int) {
  shown_.push_back({text, type, buttons});
  if (buttons == mbOK) return mrOk;
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return mrCancel;
  }
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void ScriptedInteraction::ShowMessage(const std::string& text) {
  shown_.push_back({text, mtInformation, mbOK});
}

bool ScriptedInteraction::InputQuery(const std::string& caption, const std::string& prompt,
                                     std::string& value) {
  shown_.push_back({prompt, mtConfirmation, mbOKCancel});
  if (inputs_.empty()) return false;
  value = inputs_.front();
  inputs_.pop_front();
  return true;
}
