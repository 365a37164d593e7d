#include "platform/names.h"

#include <windows.h>

#include "platform/text.h"

namespace platform {

int CompareNames(std::string_view a, std::string_view b) {
  return CompareNamesW(Utf8ToWide(a), Utf8ToWide(b));
}

std::string NameSortKey(std::wstring_view name) {
  const int len = static_cast<int>(name.size());
  const int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name.data(), len, nullptr, 0);
  std::string key(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name.data(), len,
                 reinterpret_cast<wchar_t*>(key.data()), size);
  return key;
}

int CompareNamesOrdinal(std::wstring_view a, std::wstring_view b) {
  const int ordinal = CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                           static_cast<int>(b.size()), TRUE);
  return ordinal == 0 ? 0 : ordinal - CSTR_EQUAL;
}

int CompareNamesW(std::wstring_view wa, std::wstring_view wb) {
  const int len_a = static_cast<int>(wa.size());
  const int len_b = static_cast<int>(wb.size());
  const int locale = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.data(), len_a,
                                    wb.data(), len_b);
  if (locale != CSTR_EQUAL && locale != 0) return locale - CSTR_EQUAL;
  // Equal for the locale: only names that differ in letter case alone are one name.
  const int ordinal = CompareStringOrdinal(wa.data(), len_a, wb.data(), len_b, TRUE);
  if (ordinal != 0) return ordinal - CSTR_EQUAL;
  return 0;
}

namespace {
bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() == b.size() && a == b) return true;
  if (IsAscii(a) && IsAscii(b)) {  // the common case, without conversions
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
  }
  const std::wstring wa = Utf8ToWide(a);
  const std::wstring wb = Utf8ToWide(b);
  return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                              static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

bool SameTextLocale(std::string_view a, std::string_view b) {
  if (a == b) return true;
  const std::wstring wa = Utf8ToWide(a);
  const std::wstring wb = Utf8ToWide(b);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.data(), static_cast<int>(wa.size()),
                        wb.data(), static_cast<int>(wb.size())) == CSTR_EQUAL;
}

std::string UpperCase(std::string_view text) {
  std::wstring w = Utf8ToWide(text);
  if (!w.empty()) CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
  return WideToUtf8(w);
}

}  // namespace platform
