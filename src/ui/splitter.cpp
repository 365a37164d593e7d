#include "ui/splitter.h"

namespace {

constexpr wchar_t kClassName[] = L"QuitawaySplitter";

}  // namespace

HWND SplitterBar::Create(HWND parent, std::function<void(int x)> moved) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32644));  // west-east arrows
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  if (!registered) return nullptr;
  moved_ = std::move(moved);
  HWND bar = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return bar;
}

LRESULT CALLBACK SplitterBar::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<SplitterBar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (self != nullptr) self->grip_ = static_cast<short>(LOWORD(lp));
      SetCapture(hwnd);
      return 0;
    case WM_MOUSEMOVE:
      if (self != nullptr && GetCapture() == hwnd && self->moved_) {
        POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        MapWindowPoints(hwnd, GetParent(hwnd), &at, 1);
        self->moved_(at.x - self->grip_);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}
