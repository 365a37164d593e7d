// "Internetbereich säubern" in a real window on data of the test prefix: two files in
// the URL cache (filled through wininet), the larger one marked by its rule and
// deleted after the question; a Netscape profile laid out by the test, one cookie
// deleted and its cache emptied.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <algorithm>

#include "app/web_clean_dialog.h"
#include "core/format.h"
#include "support/checks.h"
#include "support/settings_scope.h"
#include "support/temp_folder.h"
#include "support/window_driver.h"

namespace {

const std::string kSite = "http://qwtest.example/";

void CacheFile(const std::string& url, size_t size) {
  const std::wstring u = platform::Utf8ToWide(url);
  wchar_t file[MAX_PATH] = {};
  ASSERT_TRUE(CreateUrlCacheEntryW(u.c_str(), 0, L"png", file, 0));
  WriteFileBytes(platform::WideToUtf8(file), std::string(size, 'x'));
  FILETIME none{};
  ASSERT_TRUE(CommitUrlCacheEntryW(u.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
}

// The captions of the list's rows that belong to the test, in the order shown.
std::vector<std::string> Ours(WebList& list, const std::string& prefix) {
  std::vector<std::string> rows;
  for (int i = 0; i < list.View().Count(); ++i)
    if (list.View().Text(i, 0).rfind(prefix, 0) == 0) rows.push_back(list.View().Text(i, 0).substr(prefix.size()));
  return rows;
}

TEST(WebCleanDialog, MarkSortAndDeleteOnBothSheets) {
  SettingsScope settings("webclean-dialog");
  PumpingInteraction ui;
  TempFolder data;
  CacheFile(kSite + "gross.png", 1001);
  CacheFile(kSite + "klein.png", 1000);
  for (const char* f : {"profil", "profil\\Cache"})
    CreateDirectoryW(platform::Utf8ToWide(data.File(f)).c_str(), nullptr);
  WriteFileBytes(data.File("profil\\Cookies.TXT"),
                 "a.de\tTRUE\t/\tFALSE\t0\teins\t1\na.de\tTRUE\t/\tFALSE\t0\tzwei\t2\n");
  for (const char* f : {"profil\\Cache\\x1", "profil\\Cache\\x2"}) WriteFileBytes(data.File(f), "c");
  {  // no profile yet: the Netscape sheet's commands are off
    TWebCleanFRM dialog;
    dialog.CreateHandle(nullptr);
    EXPECT_FALSE(IsWindowEnabled(ButtonOf(dialog.Handle(), "Cache leeren")));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog.Handle(), TWebCleanFRM::kNSUsers)));
  }
  HKEY key;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Netscape\\Netscape Navigator\\Users\\qwtest", 0, nullptr, 0,
                  KEY_WRITE, nullptr, &key, nullptr);
  const std::wstring folder = platform::Utf8ToWide(data.File("profil"));
  RegSetValueExW(key, L"DirRoot", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  {
    TWebCleanFRM dialog;
    dialog.CreateHandle(nullptr);
    ShowWindow(dialog.Handle(), SW_SHOW);
    WebList& cache = dialog.List(TWebCleanFRM::IECache);
    dialog.List(TWebCleanFRM::IECache).ColumnClick(1);  // "Dateigröße" ascending, then descending
    EXPECT_EQ(Ours(cache, kSite), (std::vector<std::string>{"klein.png", "gross.png"}));
    cache.ColumnClick(1);
    EXPECT_EQ(Ours(cache, kSite), (std::vector<std::string>{"gross.png", "klein.png"}));
    cache.SelectAll();
    dialog.MarkLarger();  // more than 1000 bytes: only the larger one stays marked
    const int others = static_cast<int>(cache.MarkedFromLast().size()) - 1;  // other files of the cache
    EXPECT_EQ(dialog.TextOf(TWebCleanFRM::kCacheSelected).substr(0, 2), std::to_string(others + 1) + " ");
    ui.Answer(mrOk);
    dialog.DeleteMarked(TWebCleanFRM::IECache);
    EXPECT_EQ(ui.Texts().front(),
              FormatMsg("Wollen Sie wirklich %d Cache Datei(en) löschen ?", {std::to_string(others + 1)}));
    EXPECT_EQ(Ours(cache, kSite), std::vector<std::string>{"klein.png"});

    dialog.ShowSheet(TWebCleanFRM::NSCookies);
    WebList& cookies = dialog.List(TWebCleanFRM::NSCookies);
    ASSERT_EQ(cookies.View().Count(), 2);
    ListView_SetItemState(cookies.View().View(), 1, LVIS_SELECTED, LVIS_SELECTED);
    ui.Answer(mrOk);
    dialog.DeleteMarked(TWebCleanFRM::NSCookies);
    EXPECT_EQ(ReadFileBytes(data.File("profil\\Cookies.TXT")), "a.de\tTRUE\t/\tFALSE\t0\teins\t1\n");
    EXPECT_EQ(cookies.View().Count(), 1);
    EXPECT_EQ(dialog.TextOf(TWebCleanFRM::kNSFiles), "2 Dateien");
    ui.Answer(mrOk);
    dialog.EmptyNetscapeCache();
    EXPECT_EQ(dialog.TextOf(TWebCleanFRM::kNSFiles), "0 Dateien");
    EXPECT_FALSE(PathExists(data.File("profil\\Cache\\x1")));
  }
  DeleteUrlCacheEntryW(platform::Utf8ToWide(kSite + "klein.png").c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Netscape");
}

}  // namespace
