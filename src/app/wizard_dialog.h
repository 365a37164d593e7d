// TWizard2FRM ("Startseite"): the start page with six pictures, the four install pages
// (selection, storing the configuration, installing, the log) and the two uninstall
// pages (loading a log, taking it back). One per process, hidden when closed; each step
// calls a command of the main window.
#pragma once

#include <array>
#include <vector>

#include "app/wizard_host.h"
#include "ui/form.h"

class TWizard2FRM : public TfTSW_BasicForm {
 public:
  enum Page { pgStart = 0, pgInstall = 1, pgUninstall = 2 };
  explicit TWizard2FRM(WizardHost& host);
  ~TWizard2FRM() override;

  // Shows the wizard (made when needed) on a page and its tab; without a page, where
  // it was (the start page, or the install tab left for the explorer).
  void Open(int page, int tab = 0);
  int CurrentPage() const { return page_; }
  int CurrentTab() const;
  // A step's button, by its caption (tests press it).
  void Press(int id);

  // Button ids of the steps.
  enum : int {
    idInstall = 300, idUninstall, idRemoveExisting, idFindFiles, idCleanWeb, idFonts,
    idManualSelection = 310, idAutoSelection, idStoreConfiguration, idExplorer, idCreateLog,
    idLoadLog = 320, idNoLog, idSemiAutomatic, idAutomatic,
    idBack = 330, idNext, idStartPage, idClose,
  };

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  bool CloseQuery() override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  DWORD Style() const override;

 private:
  void ShowPage(int page, int tab);
  void ShowTab(int tab);
  void StepDone(const char* message);
  void RunHidden(int command);
  void Step(int id);
  HWND TabsOf(int page) const { return page == pgInstall ? install_tabs_ : uninstall_tabs_; }

  WizardHost& host_;
  int page_ = pgStart;
  HWND install_tabs_ = nullptr, uninstall_tabs_ = nullptr;
  std::vector<HWND> start_controls_, nav_controls_;
  std::vector<std::vector<HWND>> install_controls_, uninstall_controls_;  // per tab
  std::array<HBITMAP, 6> pictures_{};
};

// TSelectFunctionFRM ("Auswahl"): which of the three file finders to open.
class TSelectFunctionFRM : public TfTSW_BasicForm {
 public:
  TSelectFunctionFRM();
  // 0 duplicates, 1 temporary files, 2 empty folders; after "&OK".
  int Chosen() const { return chosen_; }

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  DWORD Style() const override;

 private:
  HWND radios_[3] = {};
  int chosen_ = 0;
};
