// Netscape profiles laid out by the test: found through the machine's user list, the
// mail users and the list file, each once; the cookies of the profile's text file
// read and one deleted with every other byte kept; the cache folder's figures.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "core/registry.h"
#include "platform/locale_format.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/temp_folder.h"
#include "tools/netscape.h"

namespace {

const std::string kNavigator = "SOFTWARE\\Netscape\\Netscape Navigator";
const std::string kSecond = ".example.com\tTRUE\t/\tFALSE\t2145916800\tzwei\t2\r\n";
const std::string kCookies =
    "# Netscape HTTP Cookie File\r\n"
    ".example.com\tTRUE\t/\tFALSE\t2145916800\teins\t1\r\n" +
    kSecond +
    ".example.com\tTRUE\t/x\tFALSE\t2145916800\tleer\t\r\n"  // no value: six fields after trimming
    "www.example.org\tFALSE\t/a\tFALSE\t0\tdrei\tdrei wert\n";

class NetscapeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    existed_ = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Netscape", 0, KEY_READ, &probe_) == ERROR_SUCCESS;
    if (existed_) RegCloseKey(probe_);
    for (const char* f : {"profil", "profil\\Cache", "zweites", "zweites\\Cache", "ohnecache"})
      CreateDirectoryW(platform::Utf8ToWide(data_.File(f)).c_str(), nullptr);
    WriteFileBytes(data_.File("profil\\Cookies.TXT"), kCookies);
    WriteFileBytes(data_.File("zweites\\Cookies.TXT"), "");
    WriteFileBytes(data_.File("ohnecache\\Cookies.TXT"), "");
    for (size_t size : {1, 4096, 5000})
      WriteFileBytes(data_.File("profil\\Cache\\d" + std::to_string(size)), std::string(size, 'c'));
  }
  void TearDown() override {
    if (!existed_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Netscape");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Netscape");
  }
  void Write(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
    TMyRegistry reg(raWrite);
    reg.SetRootKey(root);
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString(name, value);
  }
  TempFolder data_;
  HKEY probe_ = nullptr;
  bool existed_ = false;
};

TEST_F(NetscapeTest, ProfilesAreFoundOnceEachAndOnlyWithTheirFiles) {
  const std::string profile = data_.File("profil");
  Write(HKEY_LOCAL_MACHINE, kNavigator + "\\Users", "CurrentUser", "qwtest");
  Write(HKEY_LOCAL_MACHINE, kNavigator + "\\Users\\qwtest", "DirRoot", profile);
  Write(HKEY_LOCAL_MACHINE, kNavigator + "\\Users\\qwtest", "UserName", "Test Benutzer");
  Write(HKEY_CURRENT_USER, kNavigator + "\\biff\\Users\\qwtest\\Servers\\pop", "popstatePath",
        profile + "\\mail\\popstate.dat");  // the same profile again
  const std::string list = data_.File("NSUsers.ini");
  WriteFileBytes(list, "[zweites]\r\nCookiesFile=" + data_.File("zweites\\Cookies.TXT") +
                           "\r\nCacheDir=" + data_.File("zweites\\Cache") +
                           "\r\n[ohnecache]\r\nCookiesFile=" + data_.File("ohnecache\\Cookies.TXT") +
                           "\r\nCacheDir=" + data_.File("ohnecache\\Cache") + "\r\n");
  const NetscapeProfiles found = FindNetscapeProfiles(list);
  std::vector<std::string> names;
  for (const NetscapeProfile& p : found.Profiles)
    if (p.CookieFile.rfind(data_.Path(), 0) == 0) names.push_back(p.DisplayName + " | " + p.CookieFile);
  EXPECT_EQ(names, (std::vector<std::string>{"Test Benutzer | " + profile + "\\Cookies.TXT",
                                             "zweites | " + data_.File("zweites\\Cookies.TXT")}));
  ASSERT_LT(found.Preselected, found.Profiles.size());
  EXPECT_EQ(found.Profiles[found.Preselected].ProfileName, "qwtest");
}

TEST_F(NetscapeTest, CookiesAreReadAndOneIsDeletedWithEveryOtherByteKept) {
  const std::string file = data_.File("profil\\Cookies.TXT");
  const std::vector<NetscapeCookie> cookies = ReadNetscapeCookies(file);
  std::vector<std::string> rows;
  for (const NetscapeCookie& c : cookies) rows.push_back(c.Server() + " " + c.Name + "=" + c.Value);
  EXPECT_EQ(rows, (std::vector<std::string>{".example.com/ eins=1", ".example.com/ zwei=2",
                                            "www.example.org/a drei=drei wert"}));
  EXPECT_EQ(NetscapeExpiryText(cookies[0].Expires),
            platform::FormatShortDate(2038, 1, 1) + " " + platform::FormatLongTime(0, 0, 0));

  EXPECT_EQ(DeleteNetscapeCookies(file, {{".EXAMPLE.com/", "ZWEI"}, {"nirgends/", "eins"}}), 1);
  std::string expected = kCookies;
  expected.erase(expected.find(kSecond), kSecond.size());
  EXPECT_EQ(ReadFileBytes(file), expected);
  EXPECT_FALSE(PathExists(file + ".neu"));
  EXPECT_EQ(DeleteNetscapeCookies(file, {{"nirgends/", "eins"}}), 0);  // nothing found: the file as it was
  EXPECT_EQ(ReadFileBytes(file), expected);
  EXPECT_THROW(DeleteNetscapeCookies(data_.File("fehlt.txt"), {{"a", "b"}}), EQuitawayError);
}

TEST_F(NetscapeTest, CacheFiguresCountWholeClusters) {
  DWORD sectors = 0, bytes = 0, free = 0, total = 0;
  ASSERT_TRUE(
      GetDiskFreeSpaceW(platform::Utf8ToWide(data_.Path().substr(0, 3)).c_str(), &sectors, &bytes, &free, &total));
  const uint64_t cluster = static_cast<uint64_t>(sectors) * bytes;
  const NetscapeCache cache = ReadNetscapeCache(data_.File("profil\\Cache"));
  EXPECT_EQ(cache.Files.size(), 3u);
  EXPECT_EQ(cache.Size, 1u + 4096 + 5000);
  uint64_t used = 0;
  for (uint64_t size : {1, 4096, 5000}) used += (size + cluster - 1) / cluster * cluster;
  EXPECT_EQ(cache.Used, used);
}

}  // namespace
