#include "ui/splash.h"

#include <windows.h>

#include "core/identity.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kClassName[] = L"QuitawaySplash";

LRESULT CALLBACK SplashProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CTLCOLORSTATIC) {
    SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterSplashClass(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = SplashProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));  // hourglass while starting
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kClassName;
  return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

SplashScreen::SplashScreen() : start_(GetTickCount()) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterSplashClass(instance)) return;
  // The picture "BMP_SPLASH" of the program's resources, the status line below it.
  picture_ = LoadImageW(instance, L"BMP_SPLASH", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  BITMAP size{};
  if (picture_ == nullptr || !GetObjectW(picture_, sizeof size, &size)) size = {0, 420, 150, 0, 0, 0, nullptr};
  const int width = size.bmWidth, height = size.bmHeight + 26;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width - 2) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height - 2) / 2;
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"", WS_POPUP | WS_BORDER, x, y,
                              width + 2, height + 2, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return;  // no display: start without a splash screen
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (picture_ != nullptr) {
    HWND image = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, width, size.bmHeight,
                                 hwnd, nullptr, instance, nullptr);
    SendMessageW(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_));
  } else {  // a program without the picture (a test) shows its name
    HWND title = CreateWindowExW(0, L"STATIC", platform::Utf8ToWide(ProductName).c_str(),
                                 WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 0, width, size.bmHeight,
                                 hwnd, nullptr, instance, nullptr);
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  HWND status = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, 8,
                                size.bmHeight + 3, width - 16, 20, hwnd, nullptr, instance, nullptr);
  SendMessageW(status, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  window_ = hwnd;
  status_ = status;
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);
  PumpMessages();
}

SplashScreen::~SplashScreen() { Close(); }

void SplashScreen::SetStatus(const std::string& text) {
  if (status_ == nullptr) return;
  SetWindowTextW(static_cast<HWND>(status_), platform::Utf8ToWide(text).c_str());
  UpdateWindow(static_cast<HWND>(window_));
  PumpMessages();
}

unsigned SplashScreen::ElapsedMs() const { return GetTickCount() - start_; }

void SplashScreen::WaitUntil(unsigned ms) {
  if (window_ == nullptr) return;
  while (ElapsedMs() < ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - ElapsedMs(), QS_ALLINPUT);
    PumpMessages();
  }
}

void SplashScreen::Close() {
  if (window_ == nullptr) return;
  DestroyWindow(static_cast<HWND>(window_));
  window_ = status_ = nullptr;
  if (picture_ != nullptr) DeleteObject(picture_);
  picture_ = nullptr;
  PumpMessages();
}
