// TfWizard ("Schritt für Schritt Assistent"): the older assistant, five chapters in a
// row (select, store, install, compare, look and undo), each with its button, its
// "Ok, fertig" box and its hint; the chapter is kept in "WizardChapter". Shown
// modelessly, one at a time, freed when closed.
#pragma once

#include <array>

#include "app/wizard_host.h"
#include "ui/form.h"

class TfWizard : public TfTSW_BasicForm {
 public:
  explicit TfWizard(WizardHost& host);
  ~TfWizard() override;
  // The one that is open, or none.
  static TfWizard* Current() { return current_; }

  int Chapter() const { return chapter_; }
  HWND DoneBox(int chapter) const { return done_[static_cast<size_t>(chapter - 1)]; }
  HWND Hints() const { return hints_; }
  // "nächster Schritt": chapters 2 and 4 ask before they are skipped.
  void NextStep();
  // A chapter's button.
  void ChapterAction(int chapter);

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  bool CloseQuery() override;
  DWORD ExStyle() const override { return TfTSW_BasicForm::ExStyle() | WS_EX_TOOLWINDOW; }
  DWORD Style() const override;

 private:
  void Display();
  void Advance();
  void DoneClicked(int chapter);

  static TfWizard* current_;
  WizardHost& host_;
  int chapter_ = 1;
  bool displaying_ = false;  // check marks set by the display are no clicks
  std::array<HWND, 5> frames_{}, buttons_{}, texts_{}, done_{};
  HWND hints_ = nullptr, on_top_ = nullptr;
};
