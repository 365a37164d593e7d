// The caption bar of every window: a gradient from the caption colour, the window's
// icon and its caption in the active or inactive text colour. The three colours are
// process-wide; windows created after a change use the new ones. Where the system's
// compositor draws the frames, the colours are handed to it instead.
#pragma once

#include <windows.h>

#include <cstdint>

struct CaptionColors {
  int32_t background = 0x000000;
  int32_t textActive = 0xFFFFFF;
  int32_t textInactive = 0xC0C0C0;
};

void SetCaptionColors(const CaptionColors& colors);
const CaptionColors& GetCaptionColors();

// A stored colour as the screen's RGB: a system colour (high bit set) is looked up.
COLORREF ColourToRgb(int32_t colour);

class CaptionBar {
 public:
  // Binds the bar to a window just created; takes the colours valid now.
  void Attach(HWND window);
  // After the system handled WM_NCPAINT, WM_NCACTIVATE or WM_SETTEXT: draws over the
  // caption the system drew.
  void AfterSystem(UINT msg, WPARAM wp);

 private:
  void Paint() const;
  HWND window_ = nullptr;
  CaptionColors colors_;
  bool active_ = false;
  bool composed_ = false;  // the compositor draws the frame
};
