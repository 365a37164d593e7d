#include "ui/hex_dump.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>

#include "ui/form.h"

namespace {

constexpr int kMargin = 4;          // pixels left of the text
constexpr int kHexColumn = 10;      // characters: address, two blanks
constexpr int kCharColumn = 10 + 16 * 3 + 2;

// The character column where a row's byte i begins (a gap after the eighth).
int HexColumnOf(size_t i) { return kHexColumn + static_cast<int>(i) * 3 + (i >= 8 ? 1 : 0); }

wchar_t Shown(uint8_t b) { return b >= 0x20 && b < 0x7F ? static_cast<wchar_t>(b) : L'.'; }

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

const wchar_t* THexDump::ClassName() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32513));  // the text beam
    wc.lpszClassName = L"QuitawayHexDump";
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  return L"QuitawayHexDump";
}

THexDump* THexDump::Of(HWND control) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  if (lstrcmpW(name, L"QuitawayHexDump") != 0) return nullptr;
  return reinterpret_cast<THexDump*>(GetWindowLongPtrW(control, GWLP_USERDATA));
}

THexDump::THexDump(HWND hwnd) : hwnd_(hwnd) {
  font_ = CreateFontW(-MulDiv(10, DpiOf(hwnd), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICW tm;
  if (GetTextMetricsW(dc, &tm)) {
    char_w_ = std::max<int>(1, tm.tmAveCharWidth);
    line_h_ = std::max<int>(1, tm.tmHeight);
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
}

THexDump::~THexDump() { DeleteObject(font_); }

LRESULT CALLBACK THexDump::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new THexDump(hwnd)));
  auto* self = reinterpret_cast<THexDump*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    delete self;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->Handle(msg, wp, lp);
}

LRESULT THexDump::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;  // the paint fills everything
    case WM_SIZE: UpdateScrollBar(); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT: return 0;  // keeps its fixed-pitch font
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd_, nullptr, FALSE); return 0;
    case WM_KEYDOWN: KeyDown(wp); return 0;
    case WM_CHAR: Char(static_cast<wchar_t>(wp)); return 0;
    case WM_LBUTTONDOWN: Click(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_VSCROLL: Scroll(LOWORD(wp)); return 0;
    case WM_MOUSEWHEEL: Scroll(-1, -GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA * 3); return 0;
    default: return DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

void THexDump::SetBuffer(uint8_t* data, size_t size) {
  data_ = size > 0 ? data : nullptr;
  size_ = data_ != nullptr ? size : 0;
  if (cursor_ > size_) cursor_ = size_, low_half_ = false;
  if (top_ >= Rows()) top_ = Rows() - 1;
  UpdateScrollBar();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void THexDump::SetCursor(size_t byte) {
  cursor_ = std::min(byte, size_);
  low_half_ = false;
  ScrollToCursor();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

int THexDump::VisibleRows() const {
  RECT r;
  GetClientRect(hwnd_, &r);
  return std::max<int>(1, (r.bottom - r.top) / line_h_);
}

void THexDump::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  HGDIOBJ old = SelectObject(dc, font_);
  SetBkMode(dc, OPAQUE);
  for (int i = 0; i <= VisibleRows() && top_ + static_cast<size_t>(i) < Rows(); ++i)
    PaintRow(dc, top_ + static_cast<size_t>(i), i * line_h_);
  SelectObject(dc, old);
  EndPaint(hwnd_, &ps);
}

// One row; the byte under the cursor is marked in both columns, the half being typed
// in the hexadecimal one.
void THexDump::PaintRow(HDC dc, size_t row, int y) {
  const bool focused = GetFocus() == hwnd_;
  auto draw = [&](int column, const wchar_t* text, int length, bool marked) {
    SetTextColor(dc, GetSysColor(marked ? (focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT) : COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(marked ? (focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW));
    TextOutW(dc, kMargin + column * char_w_, y, text, length);
  };
  wchar_t text[16];
  std::swprintf(text, 16, L"%08X", static_cast<unsigned>(row * 16));
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  TextOutW(dc, kMargin, y, text, 8);
  for (size_t i = 0; i < 16 && row * 16 + i < size_; ++i) {
    const size_t at = row * 16 + i;
    const bool marked = at == cursor_;
    std::swprintf(text, 16, L"%02X", static_cast<unsigned>(data_[at]));
    if (marked) {
      draw(HexColumnOf(i), text, 1, !low_half_);
      draw(HexColumnOf(i) + 1, text + 1, 1, low_half_);
    } else {
      draw(HexColumnOf(i), text, 2, false);
    }
    const wchar_t c = Shown(data_[at]);
    draw(kCharColumn + static_cast<int>(i), &c, 1, marked);
  }
  if (cursor_ == size_ && cursor_ / 16 == row)  // the place behind the last byte
    draw(HexColumnOf(cursor_ % 16), L"  ", 2, true);
}

void THexDump::KeyDown(WPARAM key) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const size_t page = static_cast<size_t>(VisibleRows()) * 16;
  size_t to = cursor_;
  switch (key) {
    case VK_LEFT: to = cursor_ > 0 ? cursor_ - 1 : 0; break;
    case VK_RIGHT: to = cursor_ + 1; break;
    case VK_UP: to = cursor_ >= 16 ? cursor_ - 16 : cursor_; break;
    case VK_DOWN: to = cursor_ + 16 <= size_ ? cursor_ + 16 : cursor_; break;
    case VK_PRIOR: to = cursor_ >= page ? cursor_ - page : cursor_ % 16; break;
    case VK_NEXT: to = cursor_ + page <= size_ ? cursor_ + page : cursor_; break;
    case VK_HOME: to = ctrl ? 0 : cursor_ - cursor_ % 16; break;
    case VK_END: to = ctrl ? size_ : std::min(cursor_ - cursor_ % 16 + 15, size_); break;
    default: return;
  }
  SetCursor(to);
}

void THexDump::Char(wchar_t c) {
  const int value = HexValue(c);
  if (value < 0 || ReadOnly || cursor_ >= size_) return;
  uint8_t& b = data_[cursor_];
  b = static_cast<uint8_t>(low_half_ ? (b & 0xF0) | value : (b & 0x0F) | (value << 4));
  if (low_half_) {
    SetCursor(cursor_ + 1);
  } else {
    low_half_ = true;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), EN_CHANGE),
               reinterpret_cast<LPARAM>(hwnd_));
}

// A click on a byte in either column puts the cursor there.
void THexDump::Click(int x, int y) {
  SetFocus(hwnd_);
  const size_t row = top_ + static_cast<size_t>(std::max(0, y / line_h_));
  const int column = (x - kMargin) / char_w_;
  int index = -1;
  for (size_t i = 0; i < 16; ++i)
    if ((column >= HexColumnOf(i) && column < HexColumnOf(i) + 2) || column == kCharColumn + static_cast<int>(i))
      index = static_cast<int>(i);
  if (index >= 0) SetCursor(row * 16 + static_cast<size_t>(index));
}

void THexDump::Scroll(int code, int wheelRows) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(hwnd_, SB_VERT, &si);
  long long top = static_cast<long long>(top_);
  const int page = VisibleRows();
  switch (code) {
    case SB_LINEUP: --top; break;
    case SB_LINEDOWN: ++top; break;
    case SB_PAGEUP: top -= page; break;
    case SB_PAGEDOWN: top += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: top = si.nTrackPos; break;
    case -1: top += wheelRows; break;
    default: return;
  }
  const long long last = std::max<long long>(0, static_cast<long long>(Rows()) - page);
  top_ = static_cast<size_t>(std::clamp<long long>(top, 0, last));
  UpdateScrollBar();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void THexDump::UpdateScrollBar() {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMax = static_cast<int>(Rows()) - 1;
  si.nPage = static_cast<UINT>(VisibleRows());
  si.nPos = static_cast<int>(top_);
  SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
}

void THexDump::ScrollToCursor() {
  const size_t row = cursor_ / 16, rows = static_cast<size_t>(VisibleRows());
  if (row < top_) top_ = row;
  else if (row >= top_ + rows) top_ = row - rows + 1;
  UpdateScrollBar();
}
