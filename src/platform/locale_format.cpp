#include "platform/locale_format.h"

#include <windows.h>

#include "platform/text.h"

namespace platform {
namespace {

std::wstring LocaleText(LCTYPE type) {
  wchar_t buffer[16] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 16) == 0) return {};
  return buffer;
}

// "3;0" -> 3, "3;2;0" -> 32, "3;2" -> 320: the grouping as NUMBERFMTW wants it.
UINT GroupingOf(const std::wstring& text) {
  UINT grouping = 0;
  bool endsWithZero = false;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') continue;
    endsWithZero = c == L'0';
    if (!endsWithZero) grouping = grouping * 10 + static_cast<UINT>(c - L'0');
  }
  return endsWithZero || grouping == 0 ? grouping : grouping * 10;
}

SYSTEMTIME MakeTime(int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  FILETIME ft;  // a round trip gives the day of the week, which long date formats use
  if (SystemTimeToFileTime(&st, &ft)) FileTimeToSystemTime(&ft, &st);
  return st;
}

std::string Formatted(const wchar_t* buffer, int n) {
  return n > 0 ? WideToUtf8(std::wstring_view(buffer, static_cast<size_t>(n - 1))) : std::string();
}

}  // namespace

std::string FormatGroupedNumber(uint32_t value) {
  const std::wstring digits = std::to_wstring(value);
  std::wstring decimal = LocaleText(LOCALE_SDECIMAL);
  std::wstring thousand = LocaleText(LOCALE_STHOUSAND);
  NUMBERFMTW fmt = {};
  fmt.NumDigits = 0;
  fmt.LeadingZero = 1;
  fmt.Grouping = GroupingOf(LocaleText(LOCALE_SGROUPING));
  fmt.lpDecimalSep = decimal.data();
  fmt.lpThousandSep = thousand.data();
  fmt.NegativeOrder = 1;
  wchar_t buffer[64];
  const int n = GetNumberFormatW(LOCALE_USER_DEFAULT, 0, digits.c_str(), &fmt, buffer, 64);
  return n > 0 ? Formatted(buffer, n) : WideToUtf8(digits);
}

std::string FormatShortDate(int year, int month, int day) {
  const SYSTEMTIME st = MakeTime(year, month, day, 0, 0, 0);
  wchar_t buffer[128];
  return Formatted(buffer, GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128));
}

std::string FormatLongTime(int hour, int minute, int second) {
  const SYSTEMTIME st = MakeTime(2000, 1, 1, hour, minute, second);
  wchar_t buffer[128];
  return Formatted(buffer, GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128));
}

std::string FormatGroupedSize(uint64_t value) {
  if (value <= 0xFFFFFFFFu) return FormatGroupedNumber(static_cast<uint32_t>(value));
  std::wstring separator = LocaleText(LOCALE_STHOUSAND);
  if (separator.empty()) separator = L".";
  const std::string digits = std::to_string(value);
  std::string text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += WideToUtf8(separator);
    text += digits[i];
  }
  return text;
}

}  // namespace platform
