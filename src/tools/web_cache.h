// The Internet Explorer part of the web cleaner: the platform's URL cache (wininet),
// its cached files, cookies and visited pages, read and deleted through the cache's
// own functions. The library is loaded on demand; a machine without it has no cache.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct UrlCacheEntry {
  std::string Url, LocalFile;
  uint32_t Type = 0, HitRate = 0;
  uint64_t Size = 0;
  uint64_t Expire = 0, LastAccess = 0;  // file times, UTC
};

enum class UrlEntryKind { CachedFile, Cookie, VisitedPage };
UrlEntryKind KindOf(const UrlCacheEntry& entry);

// One cookie of an entry's cookie file.
struct IECookie {
  size_t Entry;  // into UrlCacheContents::Cookies
  std::string Name, Value;
};

struct UrlCacheContents {
  bool Usable = false;  // the library was there
  std::vector<UrlCacheEntry> Files, Cookies, Visited;
  std::vector<IECookie> CookieRows;
  uint64_t FilesSize = 0;
};

// Every entry of the cache, by kind; the cookies of each cookie entry's file.
UrlCacheContents ReadUrlCache();

// The cookies of an Internet Explorer cookie file: records of nine lines whose last is
// "*", name and value first. Reading ends at the first record that does not end so.
std::vector<std::pair<std::string, std::string>> ReadIECookieFile(const std::string& fileName);

// Deletes the entry of url; true when it is gone (also when it was gone before).
bool DeleteUrlCacheEntryOf(const std::string& url);

// A byte count with three significant digits and its unit: "  0 Bytes", "  1 Byte",
// "1,54 KB" (the locale's separators).
std::string SizeText(uint64_t bytes);
