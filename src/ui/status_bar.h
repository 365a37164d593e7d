// The main window's status bar: ProgressBar1 (0..100) with ProgressBar2 below it (hidden
// unless an engine shows it), the status text Statuspanel, the hidden label StatusLBL2
// and the right-aligned label reglabel; the status display of the engines.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "ui/layout.h"
#include "ui/window_interaction.h"

class StatusBar : public StatusDisplay {
 public:
  // Creates the controls in the bottom band (20 design units high) of a client area
  // of client design size, through add (the form's AddControl).
  void Create(SIZE client, const std::function<HWND(const wchar_t*, DWORD, RECT, uint8_t)>& add);
  HWND Control(StatusControl control) const { return controls_[static_cast<int>(control)]; }

  void Text(StatusControl control, const std::string& text) override;
  void Max(StatusControl control, int maximum) override;
  void Position(StatusControl control, int position) override;
  void Visible(StatusControl control, bool visible) override;

 private:
  HWND controls_[5] = {};
};
