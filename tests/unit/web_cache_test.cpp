// The web cleaner's engines on real data of the test prefix: the URL cache filled
// through wininet itself (a cached file, persistent cookies, a visited page), listed
// and deleted; the size texts; a Netscape profile laid out by the test, found through
// the registry and the list file, a cookie deleted with the others kept byte for byte.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <algorithm>

#include "core/registry.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/temp_folder.h"
#include "tools/netscape.h"
#include "tools/web_cache.h"

namespace {

const std::wstring kSite = L"http://qwtest.example/";

template <class Entries>
bool Listed(const Entries& entries, const std::string& url) {
  return std::any_of(entries.begin(), entries.end(), [&](const UrlCacheEntry& e) { return e.Url == url; });
}

// A file of size bytes in the cache under url, as a browser leaves it.
void CacheFile(const std::wstring& url, size_t size) {
  wchar_t file[MAX_PATH] = {};
  ASSERT_TRUE(CreateUrlCacheEntryW(url.c_str(), 0, L"html", file, 0));
  WriteFileBytes(platform::WideToUtf8(file), std::string(size, 'x'));
  FILETIME none{};
  ASSERT_TRUE(CommitUrlCacheEntryW(url.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
}

TEST(WebCache, EntriesOfEachKindAreListedAndDeleted) {
  CacheFile(kSite + L"bild.png", 1001);
  for (const wchar_t* name : {L"eins", L"zwei", L"drei"})
    ASSERT_TRUE(InternetSetCookieW(kSite.c_str(), name, L"wert; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
  const std::wstring visited = L"Visited: qwtest@" + kSite + L"seite.html";
  FILETIME none{};
  ASSERT_TRUE(
      CommitUrlCacheEntryW(visited.c_str(), nullptr, none, none, URLHISTORY_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
  UrlCacheContents cache = ReadUrlCache();
  ASSERT_TRUE(cache.Usable);
  const std::string file = platform::WideToUtf8(kSite + L"bild.png");
  auto found =
      std::find_if(cache.Files.begin(), cache.Files.end(), [&](const UrlCacheEntry& e) { return e.Url == file; });
  ASSERT_NE(found, cache.Files.end());
  EXPECT_EQ(found->Size, 1001u);
  EXPECT_TRUE(Listed(cache.Visited, platform::WideToUtf8(visited)));
  // The three cookies of the site come from one entry's file and share its server.
  std::vector<std::string> names;
  std::string server;
  for (const IECookie& c : cache.CookieRows)
    if (cache.Cookies[c.Entry].Url.find("qwtest.example") != std::string::npos) {
      names.push_back(c.Name + "=" + c.Value);
      server = cache.Cookies[c.Entry].Url;
    }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"drei=wert", "eins=wert", "zwei=wert"}));

  for (const std::string& url : {file, platform::WideToUtf8(visited), server}) EXPECT_TRUE(DeleteUrlCacheEntryOf(url));
  EXPECT_TRUE(DeleteUrlCacheEntryOf(file));  // gone already: counts as deleted
  cache = ReadUrlCache();
  EXPECT_FALSE(Listed(cache.Files, file));
  EXPECT_FALSE(Listed(cache.Visited, platform::WideToUtf8(visited)));
  EXPECT_FALSE(Listed(cache.Cookies, server));
}

// A cookie file read up to the first record that does not end with "*".
TEST(WebCache, CookieFileRecordsEndWithAStar) {
  TempFolder data;
  const std::string record = "a\n1\nsite/\n0\n0\n0\n0\n0\n*\n";
  WriteFileBytes(data.File("c.txt"),
                 record + "b\n2\nsite/\n0\n0\n0\n0\n0\n*\n" + "c\n3\nsite/\n0\n0\n0\n0\n0\nx\n" + record);
  const auto cookies = ReadIECookieFile(data.File("c.txt"));
  ASSERT_EQ(cookies.size(), 2u);
  EXPECT_EQ(cookies[1], (std::pair<std::string, std::string>{"b", "2"}));
  EXPECT_TRUE(ReadIECookieFile(data.File("fehlt.txt")).empty());
}

TEST(WebCache, SizeTextHasThreeSignificantDigits) {
  wchar_t d[8] = L",", t[8] = L".";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, d, 8);
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, t, 8);
  const std::string dec = platform::WideToUtf8(d), th = platform::WideToUtf8(t);
  const struct {
    uint64_t bytes;
    std::string text;
  } cases[] = {{0, "  0 Bytes"},
               {1, "  1 Byte"},
               {999, "999 Bytes"},
               {1000, "  1 KB"},
               {1536, "1" + dec + "54 KB"},
               {12345, "12" + dec + "3 KB"},
               {123456789, "123 MB"},
               {5000000000ULL, "  5 GB"},
               {1234567890123ULL, "1" + th + "235 GB"}};
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

}  // namespace
