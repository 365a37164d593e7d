// The temporary-file finder's engine on real folders of the test prefix: the stored
// definitions and their defaults, masks and subfolders, hidden files and folders that
// match, a cancel that ends one definition only, and a file over 4 GiB.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "core/identity.h"
#include "core/registry.h"
#include "platform/locale_format.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/settings_scope.h"
#include "support/temp_folder.h"
#include "tools/temp_files.h"

namespace {

class TempFilesTest : public ::testing::Test {
 protected:
  // The found files of a definition, below the data folder, sorted.
  std::vector<std::string> FoundBelow(const TempDefinition& row) {
    std::vector<std::string> names;
    for (const FoundFile& f : row.Files) names.push_back(f.Path.substr(data_.Path().size()));
    std::sort(names.begin(), names.end());
    return names;
  }
  SettingsScope settings_{"tempfiles"};
  ScriptedInteraction ui_;
  TempFolder data_;
};

TEST_F(TempFilesTest, DefinitionsAreKeptAndDefaultsComeBackWhenNoneIsLeft) {
  std::vector<TempDefinition> rows = LoadTempDefinitions();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0].Description == "Ordner für temporäre Dateien" && rows[0].Mask == "*.*" && !rows[0].Recursive);
  EXPECT_TRUE(rows[1].Description == "Temporäre Dateien" && rows[1].Mask == "*.tmp" && rows[1].Recursive);
  EXPECT_EQ(rows[1].Folder.size(), 2u);  // the temporary folder's drive, "C:"
  EXPECT_EQ(rows[0].Folder.substr(0, 2), rows[1].Folder);

  rows = {{"eigene", "D:\\x", "*.bak", true, -1, {}}, {"ohne Maske", "D:\\y", "", false, -1, {}}};
  SaveTempDefinitions(rows);
  rows = LoadTempDefinitions();  // the one without a mask is dropped
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(rows[0].Description == "eigene" && rows[0].Folder == "D:\\x" && rows[0].Recursive);
  SaveTempDefinitions({});
  TMyRegIniFile ini(settings_.Key());
  EXPECT_EQ(ini.ReadInteger("fTempfiles", "CountSI", -1), 0);
  EXPECT_EQ(LoadTempDefinitions().size(), 2u);
}

// Files that match, hidden ones too; folders never, whatever their names; subfolders
// only when asked; a folder without its backslash is searched all the same.
TEST_F(TempFilesTest, SearchFindsMatchingFilesAsDeepAsAsked) {
  for (const char* folder : {"sub", "sub\\deep", "ordner.tmp"})
    CreateDirectoryW(platform::Utf8ToWide(data_.File(folder)).c_str(), nullptr);
  for (const char* file : {"a.tmp", "b.txt", "versteckt.tmp", "sub\\c.tmp", "sub\\deep\\d.TMP", "sub\\e.txt"})
    WriteFileBytes(data_.File(file), "x");
  SetFileAttributesW(platform::Utf8ToWide(data_.File("versteckt.tmp")).c_str(),
                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  std::string folder = data_.Path();
  folder.pop_back();
  std::vector<TempDefinition> rows = {{"tief", data_.Path(), "*.tmp", true, -1, {}},
                                      {"flach", folder, "*.*", false, -1, {}}};
  SearchTempFiles(rows);
  EXPECT_EQ(FoundBelow(rows[0]),
            (std::vector<std::string>{"a.tmp", "sub\\c.tmp", "sub\\deep\\d.TMP", "versteckt.tmp"}));
  EXPECT_EQ(rows[0].Found, 4);
  EXPECT_EQ(FoundBelow(rows[1]), (std::vector<std::string>{"a.tmp", "b.txt", "versteckt.tmp"}));
  EXPECT_TRUE(ui_.Texts().empty());
}

// A cancel ends the definition being searched (its count stays unset, what it found
// stays listed); the next one runs.
TEST_F(TempFilesTest, CancelEndsOneDefinitionOnly) {
  WriteFileBytes(data_.File("a.tmp"), "x");
  std::vector<TempDefinition> rows = {{"eins", data_.Path(), "*.tmp", false, -1, {}},
                                      {"zwei", data_.Path(), "*.tmp", false, -1, {}}};
  bool cancelled = false;
  SearchTempFiles(rows, [&](const TempSearchProgress& p) {
    if (p.Row == 0 && !cancelled) {
      cancelled = true;
      ui_.RequestCancel();
    }
  });
  EXPECT_EQ(rows[0].Found, -1);
  EXPECT_EQ(rows[1].Found, 1);
  ASSERT_EQ(ui_.Texts().size(), 1u);
  EXPECT_EQ(ui_.Texts()[0], "Vorgang abgebrochen !");
}

// A file of 5 GiB (sparse: no disk space needed) keeps its size.
TEST_F(TempFilesTest, FilesOver4GiBKeepTheirSize) {
  if (!WriteSparseFile(data_.File("gross.tmp"), 5LL << 30)) GTEST_SKIP() << "no room for a file of 5 GiB";
  std::vector<TempDefinition> rows = {{"gross", data_.Path(), "*.tmp", false, -1, {}}};
  SearchTempFiles(rows);
  ASSERT_EQ(rows[0].Files.size(), 1u);
  EXPECT_EQ(rows[0].Files[0].Size, 5ULL << 30);
  wchar_t separator[8] = L".";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
  const std::string s = platform::WideToUtf8(separator);
  EXPECT_EQ(platform::FormatGroupedSize(rows[0].Files[0].Size), "5" + s + "368" + s + "709" + s + "120");
  DeleteFileW(platform::Utf8ToWide(data_.File("gross.tmp")).c_str());
}

}  // namespace
