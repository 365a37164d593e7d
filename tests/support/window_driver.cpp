#include "support/window_driver.h"

#include "platform/text.h"

namespace {

// What a person does to the dialog that is shown next.
std::function<void(HWND)> g_action;
std::string g_class = "QuitawayForm";  // the window class waited for

BOOL CALLBACK CollectChild(HWND child, LPARAM out) {
  reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
  return TRUE;
}

BOOL CALLBACK FindShownForm(HWND w, LPARAM out) {
  if (IsWindowVisible(w) && IsWindowEnabled(w) && ClassOf(w) == g_class) *reinterpret_cast<HWND*>(out) = w;
  return TRUE;
}

void CALLBACK ActOnShownForm(HWND, UINT, UINT_PTR id, DWORD) {
  HWND form = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindShownForm, reinterpret_cast<LPARAM>(&form));
  if (form == nullptr) return;
  KillTimer(nullptr, id);
  auto action = std::move(g_action);
  action(form);
}

HWND g_press = nullptr;  // the button PressWhenEnabled waits on

void CALLBACK PressEnabledButton(HWND, UINT, UINT_PTR id, DWORD) {
  if (!IsWindowEnabled(g_press)) return;
  KillTimer(nullptr, id);
  SendMessageW(g_press, BM_CLICK, 0, 0);
}

}  // namespace

std::string TextOf(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return platform::WideToUtf8(text);
}

std::string ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return platform::WideToUtf8(name);
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> list;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&list));
  return list;
}

void WhenShown(std::function<void(HWND)> action, const std::string& windowClass) {
  g_action = std::move(action);
  g_class = windowClass;
  SetTimer(nullptr, 0, 30, ActOnShownForm);
}

HWND ButtonOf(HWND form, const std::string& caption) {
  for (HWND c : Children(form))
    if (ClassOf(c) == "Button" && TextOf(c) == caption) return c;
  return nullptr;
}

void Click(HWND form, const std::string& caption) { SendMessageW(ButtonOf(form, caption), BM_CLICK, 0, 0); }

void Settle() {
  for (const DWORD end = GetTickCount() + 50; GetTickCount() < end; Sleep(5)) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void PressWhenEnabled(HWND button) {
  g_press = button;
  SetTimer(nullptr, 0, 1, PressEnabledButton);
  Sleep(30);  // due (timers count in steps of 10 ms) at the first message loop
}

void PumpingInteraction::ProcessMessages() {
  ScriptedInteraction::ProcessMessages();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
