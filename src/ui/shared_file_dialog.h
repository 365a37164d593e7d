// TSharedDLLsFRM and TSharedDLLs2FRM ("Gemeinsame Dateien"): the undo's two questions
// about a file registered as shared, with "Für alle weiteren Dateien gleich handeln".
#pragma once

#include <string>

#include "core/interaction.h"
#include "ui/form.h"

class TSharedDLLsFRM : public TfTSW_BasicForm {
 public:
  // StillRegistered: a new file that is still registered; CounterAtZero: its use
  // counter came down to zero.
  TSharedDLLsFRM(SharedFileQuestion question, std::string path);
  // The box "Für alle weiteren Dateien gleich handeln" (also after the dialog closed).
  bool SameForAll() const;

 protected:
  void CreateControls() override;
  DWORD Style() const override;

 private:
  SharedFileQuestion question_;
  std::string path_;
  HWND box_ = nullptr;
};

// The question shown as the dialog: mrYes (delete), mrNo (keep) or mrCancel (closed).
int AskSharedFileInDialog(SharedFileQuestion question, const std::string& path, bool& sameForAll);
