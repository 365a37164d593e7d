// TWelcomeFRM ("Willkommen"): a word of welcome, the two ways into the wizards, and
// "Dieses Fenster beim Start nicht mehr zeigen" (the setting DontShowWelcome).
#pragma once

#include "ui/form.h"

class TWelcomeFRM : public TfTSW_BasicForm {
 public:
  TWelcomeFRM();
  ~TWelcomeFRM() override;
  HWND DontShowBox() const { return dont_show_; }

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  DWORD Style() const override;

 private:
  HWND dont_show_ = nullptr;
  HBITMAP picture_ = nullptr;
};

// Whether the welcome dialog opens when the main window is first shown.
bool ShowWelcomeAtStart();
