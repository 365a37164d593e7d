// The error dialog (TErrorFRM) and the handler that reports every exception reaching
// the message loop: the user's cancel as a plain information box, a silent abort not
// at all, anything else with its category line, message and details.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "ui/form.h"

class TErrorFRM : public TfTSW_BasicForm {
 public:
  // sender: the class name of the window the error came from; senderPath: its owner
  // chain, outermost first, joined by "\".
  TErrorFRM(const std::exception& error, const std::string& sender, const std::string& senderPath);
  // The dialog's texts, for its tests.
  const std::string& Category() const { return category_; }
  const std::string& Details() const { return details_; }
  bool DetailsShown() const { return details_shown_; }

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  DWORD Style() const override { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }
  DWORD ExStyle() const override { return WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT; }

 private:
  std::string message_, category_, details_;
  bool details_shown_ = false;
  int full_height_ = 0;
};

// The application's exception handler.
void ShowError(const std::string& sender, const std::exception& error);
