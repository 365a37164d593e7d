#include "tools/web_cache.h"

#include <windows.h>
#include <wininet.h>

#include <cmath>
#include <cstdio>
#include <set>

#include "platform/text.h"
#include "platform/text_file.h"

namespace {

constexpr uint32_t kCookieType = 0x00100000, kVisitedType = 0x00200000;

// The cache functions of the library, found once; null when it is missing.
struct Wininet {
  decltype(&FindFirstUrlCacheEntryW) FindFirst = nullptr;
  decltype(&FindNextUrlCacheEntryW) FindNext = nullptr;
  decltype(&FindCloseUrlCache) FindClose = nullptr;
  decltype(&DeleteUrlCacheEntryW) Delete = nullptr;
};

template <class F>
F Function(HMODULE library, const char* name) {
  return library ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

const Wininet& Library() {
  static const Wininet functions = [] {
    HMODULE library = LoadLibraryW(L"wininet.dll");  // stays loaded
    Wininet w;
    w.FindFirst = Function<decltype(w.FindFirst)>(library, "FindFirstUrlCacheEntryW");
    w.FindNext = Function<decltype(w.FindNext)>(library, "FindNextUrlCacheEntryW");
    w.FindClose = Function<decltype(w.FindClose)>(library, "FindCloseUrlCache");
    w.Delete = Function<decltype(w.Delete)>(library, "DeleteUrlCacheEntryW");
    return w;
  }();
  return functions;
}

uint64_t TimeOf(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

UrlCacheEntry EntryOf(const INTERNET_CACHE_ENTRY_INFOW& info) {
  UrlCacheEntry e;
  if (info.lpszSourceUrlName) e.Url = platform::WideToUtf8(info.lpszSourceUrlName);
  if (info.lpszLocalFileName) e.LocalFile = platform::WideToUtf8(info.lpszLocalFileName);
  e.Type = info.CacheEntryType;
  e.HitRate = info.dwHitRate;
  e.Size = (static_cast<uint64_t>(info.dwSizeHigh) << 32) | info.dwSizeLow;
  e.Expire = TimeOf(info.ExpireTime);
  e.LastAccess = TimeOf(info.LastAccessTime);
  return e;
}

// The entries of one search pattern (null: what the platform enumerates by default).
// The buffer grows to what a call asks for and the same call is made again.
void Enumerate(const Wininet& w, const wchar_t* pattern, std::vector<UrlCacheEntry>& out) {
  std::vector<uint8_t> buffer(1024);
  auto info = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()); };
  DWORD size = static_cast<DWORD>(buffer.size());
  HANDLE find = w.FindFirst(pattern, info(), &size);
  while (find == nullptr && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    buffer.resize(size);
    find = w.FindFirst(pattern, info(), &size);
  }
  if (find == nullptr) return;
  for (;;) {
    out.push_back(EntryOf(*info()));
    size = static_cast<DWORD>(buffer.size());
    BOOL ok = w.FindNext(find, info(), &size);
    while (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      buffer.resize(size);
      ok = w.FindNext(find, info(), &size);
    }
    if (!ok) break;
  }
  w.FindClose(find);
}

// The integer part of log10(value), for value >= 1.
int Magnitude(double value) { return static_cast<int>(std::floor(std::log10(value) + 1e-12)); }

std::string LocaleInfo(LCTYPE type, const wchar_t* fallback) {
  wchar_t text[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 8) <= 0) return platform::WideToUtf8(fallback);
  return platform::WideToUtf8(text);
}

// value with the locale's grouping and decimal separator and the given decimals.
std::string FormatNumber(double value, int decimals) {
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.*f", decimals, value);
  std::wstring decimal = platform::Utf8ToWide(LocaleInfo(LOCALE_SDECIMAL, L","));
  std::wstring thousand = platform::Utf8ToWide(LocaleInfo(LOCALE_STHOUSAND, L"."));
  NUMBERFMTW format{static_cast<UINT>(decimals), 1, 3, decimal.data(), thousand.data(), 1};
  wchar_t out[96];
  if (GetNumberFormatW(LOCALE_USER_DEFAULT, 0, platform::Utf8ToWide(digits).c_str(), &format, out, 96) <= 0)
    return digits;
  return platform::WideToUtf8(out);
}

}  // namespace

UrlEntryKind KindOf(const UrlCacheEntry& entry) {
  if (entry.Type & kCookieType) return UrlEntryKind::Cookie;
  if (entry.Type & kVisitedType) return UrlEntryKind::VisitedPage;
  return UrlEntryKind::CachedFile;
}

// The default enumeration, then the cookie and history containers by their prefixes
// (some systems list only the files by default, others everything): each URL once.
UrlCacheContents ReadUrlCache() {
  UrlCacheContents contents;
  const Wininet& w = Library();
  if (!w.FindFirst || !w.FindNext || !w.FindClose || !w.Delete) return contents;
  contents.Usable = true;
  std::vector<UrlCacheEntry> entries;
  Enumerate(w, nullptr, entries);
  Enumerate(w, L"cookie:", entries);
  Enumerate(w, L"visited:", entries);
  std::set<std::string> seen;
  for (UrlCacheEntry& e : entries) {
    if (!seen.insert(e.Url).second) continue;
    switch (KindOf(e)) {
      case UrlEntryKind::CachedFile:
        contents.FilesSize += e.Size;
        contents.Files.push_back(std::move(e));
        break;
      case UrlEntryKind::Cookie:
        for (auto& [name, value] : ReadIECookieFile(e.LocalFile))
          contents.CookieRows.push_back({contents.Cookies.size(), name, value});
        contents.Cookies.push_back(std::move(e));
        break;
      case UrlEntryKind::VisitedPage: contents.Visited.push_back(std::move(e)); break;
    }
  }
  return contents;
}

std::vector<std::pair<std::string, std::string>> ReadIECookieFile(const std::string& fileName) {
  std::vector<std::pair<std::string, std::string>> cookies;
  std::vector<std::string> lines;
  std::string error;
  if (fileName.empty() || !platform::ReadTextFileLines(fileName, lines, error)) return cookies;
  for (size_t at = 0; at + 9 <= lines.size() && lines[at + 8] == "*"; at += 9)
    cookies.emplace_back(lines[at], lines[at + 1]);
  return cookies;
}

bool DeleteUrlCacheEntryOf(const std::string& url) {
  const Wininet& w = Library();
  if (!w.Delete) return false;
  return w.Delete(platform::Utf8ToWide(url).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::string SizeText(uint64_t bytes) {
  if (bytes == 0) return "  0 Bytes";
  const int d = Magnitude(static_cast<double>(bytes));
  double divisor = 1;
  const char* unit = bytes == 1 ? "Byte" : "Bytes";
  if (d >= 9) {
    divisor = 1e9, unit = "GB";
  } else if (d >= 6) {
    divisor = 1e6, unit = "MB";
  } else if (d >= 3) {
    divisor = 1e3, unit = "KB";
  }
  const double value = static_cast<double>(bytes) / divisor;
  int decimals = 2 - Magnitude(value);
  if (decimals < 0 || value == std::floor(value)) decimals = 0;
  std::string number = FormatNumber(value, decimals);
  if (number.size() < 3) number.insert(0, 3 - number.size(), ' ');
  return number + " " + unit;
}
