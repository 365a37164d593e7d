#include "ui/caption_bar.h"

#include <algorithm>

namespace {

CaptionColors g_colors;

// Colour a mixed with b: part of b in 1/256.
COLORREF Mix(COLORREF a, COLORREF b, int part) {
  auto channel = [part](int x, int y) { return x + (y - x) * part / 256; };
  return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
             channel(GetBValue(a), GetBValue(b)));
}

// The compositor's calls, looked up at run time (the library is missing on old
// systems; under Wine nothing is composed).
using CompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
constexpr DWORD kCaptionColorAttribute = 35, kTextColorAttribute = 36;  // honoured from Windows 11 on

HMODULE Dwm() {
  static HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
  return dwm;
}

bool Composed() {
  if (Dwm() == nullptr) return false;
  auto enabled = reinterpret_cast<CompositionEnabledFn>(
      reinterpret_cast<void*>(GetProcAddress(Dwm(), "DwmIsCompositionEnabled")));
  BOOL on = FALSE;
  return enabled != nullptr && SUCCEEDED(enabled(&on)) && on;
}

void SetComposedColour(HWND window, DWORD attribute, COLORREF colour) {
  auto set = reinterpret_cast<SetAttributeFn>(
      reinterpret_cast<void*>(GetProcAddress(Dwm(), "DwmSetWindowAttribute")));
  if (set != nullptr) set(window, attribute, &colour, sizeof colour);
}

void FillGradient(HDC dc, RECT r, COLORREF from, COLORREF to) {
  const int width = std::max<int>(1, r.right - r.left);
  constexpr int kBands = 64;
  for (int i = 0; i < kBands; ++i) {
    RECT band{r.left + width * i / kBands, r.top, r.left + width * (i + 1) / kBands, r.bottom};
    HBRUSH brush = CreateSolidBrush(Mix(from, to, i * 256 / (kBands - 1)));
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
}

}  // namespace

void SetCaptionColors(const CaptionColors& colors) { g_colors = colors; }
const CaptionColors& GetCaptionColors() { return g_colors; }

COLORREF ColourToRgb(int32_t colour) {
  if (colour < 0) return GetSysColor(colour & 0xFF);
  return static_cast<COLORREF>(colour) & 0xFFFFFF;
}

void CaptionBar::Attach(HWND window) {
  window_ = window;
  colors_ = g_colors;
  composed_ = Composed();
  if (!composed_) return;
  SetComposedColour(window_, kCaptionColorAttribute, ColourToRgb(colors_.background));
  SetComposedColour(window_, kTextColorAttribute, ColourToRgb(colors_.textActive));
}

void CaptionBar::AfterSystem(UINT msg, WPARAM wp) {
  if (window_ == nullptr) return;
  if (msg == WM_NCACTIVATE) active_ = wp != 0;
  if (!composed_) Paint();
  else if (msg == WM_NCACTIVATE)
    SetComposedColour(window_, kTextColorAttribute,
                      ColourToRgb(active_ ? colors_.textActive : colors_.textInactive));
}

// Over the caption the system drew: the gradient, the small icon, the text and the
// frame buttons again (drawn by the system's own routine, so they look as usual).
void CaptionBar::Paint() const {
  const LONG style = GetWindowLongW(window_, GWL_STYLE), ex = GetWindowLongW(window_, GWL_EXSTYLE);
  if ((style & WS_CAPTION) != WS_CAPTION || IsIconic(window_) || !IsWindowVisible(window_)) return;
  const bool tool = (ex & WS_EX_TOOLWINDOW) != 0;
  RECT frame{0, 0, 0, 0}, window;
  AdjustWindowRectEx(&frame, style, FALSE, ex);
  GetWindowRect(window_, &window);
  const int border = -frame.left;
  RECT bar{border, border, window.right - window.left - border, -frame.top - 1};
  if (bar.right <= bar.left || bar.bottom <= bar.top) return;

  HDC dc = GetWindowDC(window_);
  const COLORREF base = ColourToRgb(colors_.background);
  const COLORREF left = active_ ? base : Mix(base, RGB(128, 128, 128), 128);
  FillGradient(dc, bar, left, Mix(left, RGB(255, 255, 255), 110));

  // The buttons from the right: close, then maximise and minimise side by side.
  const int bw = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE);
  const int bh = GetSystemMetrics(tool ? SM_CYSMSIZE : SM_CYSIZE);
  int x = bar.right;
  RECT button{};
  if (style & WS_SYSMENU) {
    button = {x - bw, bar.top + 2, x - 2, bar.top + bh - 2};
    DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE);
    x = button.left - 2;
    if (!tool && (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) {
      button = {x - bw + 2, bar.top + 2, x, bar.top + bh - 2};
      DrawFrameControl(dc, &button, DFC_CAPTION,
                       (IsZoomed(window_) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) |
                           ((style & WS_MAXIMIZEBOX) ? 0 : DFCS_INACTIVE));
      button = {button.left - bw + 2, button.top, button.left, button.bottom};
      DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONMIN | ((style & WS_MINIMIZEBOX) ? 0 : DFCS_INACTIVE));
      x = button.left;
    }
  }

  int textLeft = bar.left + 4;
  if ((style & WS_SYSMENU) && !tool) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    HICON icon = reinterpret_cast<HICON>(SendMessageW(window_, WM_GETICON, ICON_SMALL2, 0));
    if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window_, GCLP_HICONSM));
    if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window_, GCLP_HICON));
    if (icon != nullptr)
      DrawIconEx(dc, bar.left + 2, bar.top + (bar.bottom - bar.top - size) / 2, icon, size, size, 0, nullptr,
                 DI_NORMAL);
    textLeft = bar.left + 2 + size + 4;
  }

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = CreateFontIndirectW(tool ? &metrics.lfSmCaptionFont : &metrics.lfCaptionFont);
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t text[512] = {};
  GetWindowTextW(window_, text, 512);
  RECT textRect{textLeft, bar.top, x - 4, bar.bottom};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColourToRgb(active_ ? colors_.textActive : colors_.textInactive));
  DrawTextW(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(window_, dc);
}
