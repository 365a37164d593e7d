#include "ui/status_bar.h"

#include <commctrl.h>

#include "core/translate.h"
#include "platform/text.h"

namespace {

bool IsBar(StatusControl c) { return c == StatusControl::ProgressBar1 || c == StatusControl::ProgressBar2; }

}  // namespace

void StatusBar::Create(SIZE client, const std::function<HWND(const wchar_t*, DWORD, RECT, uint8_t)>& add) {
  using SC = StatusControl;
  const LONG w = client.cx, top = client.cy - 24, bottom = client.cy - 4;
  controls_[static_cast<int>(SC::ProgressBar1)] =
      add(PROGRESS_CLASSW, PBS_SMOOTH, {4, top, 154, top + 10}, akLeft | akBottom);
  controls_[static_cast<int>(SC::ProgressBar2)] =
      add(PROGRESS_CLASSW, PBS_SMOOTH, {4, top + 12, 154, bottom}, akLeft | akBottom);
  controls_[static_cast<int>(SC::Statuspanel)] =
      add(L"STATIC", SS_NOPREFIX | SS_SUNKEN | SS_CENTERIMAGE | SS_ENDELLIPSIS, {160, top, w - 160, bottom},
          akLeft | akRight | akBottom);
  controls_[static_cast<int>(SC::StatusLBL2)] =
      add(L"STATIC", SS_NOPREFIX | SS_CENTERIMAGE, {w - 154, top, w - 80, bottom}, akRight | akBottom);
  controls_[static_cast<int>(SC::reglabel)] =
      add(L"STATIC", SS_NOPREFIX | SS_RIGHT | SS_CENTERIMAGE, {w - 154, top, w - 4, bottom}, akRight | akBottom);
  for (SC c : {SC::ProgressBar1, SC::ProgressBar2}) SendMessageW(Control(c), PBM_SETRANGE32, 0, 100);
  ShowWindow(Control(SC::ProgressBar2), SW_HIDE);
  ShowWindow(Control(SC::StatusLBL2), SW_HIDE);
  Text(SC::Statuspanel, " Status");
}

void StatusBar::Text(StatusControl control, const std::string& text) {
  if (HWND c = Control(control); c != nullptr && !IsBar(control))
    SetWindowTextW(c, platform::Utf8ToWide(tr(text)).c_str());
}

void StatusBar::Max(StatusControl control, int maximum) {
  if (HWND c = Control(control); c != nullptr && IsBar(control)) SendMessageW(c, PBM_SETRANGE32, 0, maximum);
}

void StatusBar::Position(StatusControl control, int position) {
  if (HWND c = Control(control); c != nullptr && IsBar(control)) SendMessageW(c, PBM_SETPOS, position, 0);
}

void StatusBar::Visible(StatusControl control, bool visible) {
  if (HWND c = Control(control)) ShowWindow(c, visible ? SW_SHOW : SW_HIDE);
}
