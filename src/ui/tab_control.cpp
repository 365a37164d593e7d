#include "ui/tab_control.h"

#include <commctrl.h>

#include "core/translate.h"
#include "platform/text.h"

void AddTab(HWND tabs, int index, const std::string& caption) {
  const std::wstring text = platform::Utf8ToWide(tr(caption));
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  TabCtrl_InsertItem(tabs, index, &item);
}

// The control paints itself into a memory picture; the middle of its body tells.
COLORREF TabBodyColour(HWND tabs) {
  RECT client;
  GetClientRect(tabs, &client);
  RECT body = client;
  TabCtrl_AdjustRect(tabs, FALSE, &body);
  if (body.right <= body.left + 2 || body.bottom <= body.top + 2) return GetSysColor(COLOR_BTNFACE);
  HDC screen = GetDC(tabs);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, picture);
  SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  const COLORREF colour = GetPixel(memory, (body.left + body.right) / 2, (body.top + body.bottom) / 2);
  SelectObject(memory, old);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(tabs, screen);
  return colour == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : colour;
}
