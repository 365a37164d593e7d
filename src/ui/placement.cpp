#include "ui/placement.h"

#include <commctrl.h>

#include <cstdio>

#include "core/identity.h"
#include "core/registry.h"

namespace {

bool ParseFour(const std::string& text, LONG (&v)[4]) {
  long a, b, c, d;
  if (std::sscanf(text.c_str(), "%ld,%ld,%ld,%ld", &a, &b, &c, &d) != 4) return false;
  v[0] = a, v[1] = b, v[2] = c, v[3] = d;
  return true;
}

std::string Four(LONG a, LONG b, LONG c, LONG d) {
  char text[64];
  std::snprintf(text, sizeof text, "%ld,%ld,%ld,%ld", static_cast<long>(a), static_cast<long>(b),
                static_cast<long>(c), static_cast<long>(d));
  return text;
}

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc != nullptr) ReleaseDC(nullptr, dc);
  return dpi;
}

}  // namespace

bool RestorePlacement(HWND window, const std::string& section) {
  if (!SettingsRegistryOpen()) return false;
  try {
    TMyRegIniFile ini(SettingsRegistry().CurrentPath());
    LONG minMax[4], normal[4];
    if (!ParseFour(ini.ReadString(section, "NormPos", ""), normal)) return false;
    if (!ParseFour(ini.ReadString(section, "MinMaxPos", ""), minMax))
      minMax[0] = minMax[1] = minMax[2] = minMax[3] = -1;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    wp.flags = static_cast<UINT>(ini.ReadInteger(section, "Flags", 0));
    wp.showCmd = static_cast<UINT>(ini.ReadInteger(section, "ShowCmd", SW_SHOWNORMAL));
    if (wp.showCmd == SW_SHOWMINIMIZED || wp.showCmd == SW_MINIMIZE) wp.showCmd = SW_SHOWNORMAL;
    wp.ptMinPosition = {minMax[0], minMax[1]};
    wp.ptMaxPosition = {minMax[2], minMax[3]};
    wp.rcNormalPosition = {normal[0], normal[1], normal[2], normal[3]};
    // Stored at another DPI: the size follows the DPI, the position stays.
    const int storedDpi = ini.ReadInteger(section, "PixelsPerInch", 0), dpi = ScreenDpi();
    if (storedDpi > 0 && storedDpi != dpi) {
      RECT& r = wp.rcNormalPosition;
      r.right = r.left + MulDiv(r.right - r.left, dpi, storedDpi);
      r.bottom = r.top + MulDiv(r.bottom - r.top, dpi, storedDpi);
    }
    // A window stored off every screen comes back where the system puts it.
    if (MonitorFromRect(&wp.rcNormalPosition, MONITOR_DEFAULTTONULL) == nullptr) return false;
    return SetWindowPlacement(window, &wp) != 0;
  } catch (const std::exception&) {
    return false;
  }
}

void SavePlacement(HWND window, const std::string& section) {
  if (!SettingsRegistryOpen()) return;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(window, &wp)) return;
  try {
    TMyRegIniFile ini(SettingsRegistry().CurrentPath());
    ini.WriteInteger(section, "Flags", static_cast<int32_t>(wp.flags));
    ini.WriteInteger(section, "ShowCmd", static_cast<int32_t>(wp.showCmd));
    ini.WriteInteger(section, "PixelsPerInch", ScreenDpi());
    ini.WriteString(section, "MinMaxPos", Four(wp.ptMinPosition.x, wp.ptMinPosition.y, wp.ptMaxPosition.x,
                                               wp.ptMaxPosition.y));
    const RECT& r = wp.rcNormalPosition;
    ini.WriteString(section, "NormPos", Four(r.left, r.top, r.right, r.bottom));
  } catch (const std::exception&) {
    // a placement that cannot be written is not worth an error box at closing time
  }
}

int32_t ReadLayoutValue(const std::string& section, const std::string& value, int32_t def) {
  if (!SettingsRegistryOpen()) return def;
  try {
    TMyRegIniFile ini(SettingsRegistry().CurrentPath());
    return ini.ReadInteger(section, value, def);
  } catch (const std::exception&) {
    return def;
  }
}

void WriteLayoutValue(const std::string& section, const std::string& value, int32_t number) {
  if (!SettingsRegistryOpen()) return;
  try {
    TMyRegIniFile ini(SettingsRegistry().CurrentPath());
    ini.WriteInteger(section, value, number);
  } catch (const std::exception&) {
    // layout values that cannot be written are not worth an error box at closing time
  }
}

void RestoreColumnWidths(HWND list, const std::string& section, const std::string& name,
                         const std::string& countValue) {
  const int count = Header_GetItemCount(ListView_GetHeader(list));
  if (count <= 0 || ReadLayoutValue(section, countValue, -1) != count) return;
  for (int c = 0; c < count; ++c) {
    const int current = ListView_GetColumnWidth(list, c);
    const int width = ReadLayoutValue(section, std::to_string(c) + "_" + name, current < 1 ? 120 : current);
    if (width > 0) ListView_SetColumnWidth(list, c, width);
  }
}

void SaveColumnWidths(HWND list, const std::string& section, const std::string& name, const std::string& countValue) {
  const int count = Header_GetItemCount(ListView_GetHeader(list));
  WriteLayoutValue(section, countValue, count);
  for (int c = 0; c < count; ++c)
    if (const int width = ListView_GetColumnWidth(list, c); width > 0)
      WriteLayoutValue(section, std::to_string(c) + "_" + name, width);
}
