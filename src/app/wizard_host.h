// What the wizards and the welcome dialog ask of the main window: its commands and its
// pages. They hold no data of their own; every step is one of these calls.
#pragma once

#include <windows.h>

class WizardHost {
 public:
  virtual ~WizardHost() = default;
  virtual HWND Window() const = 0;
  // A command of the main window's menus (Cmd); its errors reach the caller.
  virtual void RunCommand(int command) = 0;
  // Page 0 "Auswahl", page 1 the log; the tab on it.
  virtual void ShowPage(int page, int tab) = 0;
  virtual bool ResultLoaded() const = 0;
};
