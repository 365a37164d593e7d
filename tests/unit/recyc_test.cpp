// Deletion under the user's settings and the shell's file operations, on real files, the
// real registry and (under Wine) the real recycle bin.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>

#include "core/identity.h"
#include "core/settings.h"
#include "removal/recyc.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {
constexpr wchar_t kSettingsKey[] = L"Software\\Velmoria\\QuitawayTests\\recyc";

constexpr DWORD kReadOnly = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
DWORD Attributes(const std::string& path) { return GetFileAttributesW(platform::Utf8ToWide(path).c_str()); }

// Holds a file open without any sharing, so nobody can delete it meanwhile.
using Lock = std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)>;
Lock LockFile(const std::string& path) {
  HANDLE h = CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
  return Lock(h, CloseHandle);
}

// Where a path lands below a backup folder: C:\X\a.dll as <folder>C\X\a.dll.
std::string BelowBackup(const std::string& folder, const std::string& path) {
  return folder + path.substr(0, 1) + path.substr(2);
}

// Wine's recycle bin is the host trash folder $XDG_DATA_HOME/Trash, drive Z: the host
// root. Empty where there is none.
std::string HostTrashFolder() {
  const wchar_t* data = _wgetenv(L"XDG_DATA_HOME");
  std::string folder = data && data[0] == L'/' ? "Z:" + platform::WideToUtf8(data) + "/Trash/" : "";
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return folder;
}

class RecycTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TearDown();
    OpenSettingsRegistry(platform::WideToUtf8(kSettingsKey));
    WriteBackAllSettings();
    UseSettings(false, false);
  }
  void TearDown() override {
    CurrentBackupFolder.clear();
    AskReadOnly = false;
    CloseSettingsRegistry();
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  }
  static void UseSettings(bool backupFiles, bool useRecycleBin) {
    WriteSetting("BackupFiles", backupFiles ? 1 : 0);
    WriteSetting("UseRecycleBin", useRecycleBin ? 1 : 0);
  }
  // A folder (name ending in a backslash, returned without it) or a file in the temp folder.
  std::string Make(const std::string& name, const std::string& content = "data", DWORD attributes = 0) {
    const std::string path = temp_.File(name);
    const std::wstring wide = platform::Utf8ToWide(path);
    if (name.back() == '\\') return CreateDirectoryW(wide.c_str(), nullptr) ? path.substr(0, path.size() - 1) : "";
    WriteFileBytes(path, content);
    if (attributes != 0) SetFileAttributesW(wide.c_str(), attributes);
    return path;
  }

  TempFolder temp_;
  ScriptedInteraction ui_;
};

TEST_F(RecycTest, SettingsDecideBetweenBackupRecycleBinAndDeletion) {
  const std::string trash = HostTrashFolder();
  if (trash.empty()) GTEST_SKIP() << "no host trash folder to look into (not running under Wine)";
  const std::string id = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
  const std::string binned = "qw-bin-" + id, gone = "qw-gone-" + id, saved = "qw-saved-" + id;
  const std::string binnedPath = Make(binned, "to the bin"), savedPath = Make(saved, "to the backup");
  const std::string gonePath = Make(gone + "\\");  // a folder goes with its contents
  Make(gone + "\\x.txt");

  UseSettings(false, true);
  EXPECT_TRUE(DeleteFileWithBackup(binnedPath));
  const std::string binnedInfo = trash + "info\\" + binned + ".trashinfo";
  EXPECT_EQ(ReadFileBytes(trash + "files\\" + binned), "to the bin");
  EXPECT_TRUE(PathExists(binnedInfo));
  for (const auto& path : {trash + "files\\" + binned, binnedInfo}) DeleteFileW(platform::Utf8ToWide(path).c_str());
  UseSettings(false, false);
  EXPECT_TRUE(DeleteFileWithBackup(gonePath));
  UseSettings(true, true);  // backing up wins over the recycle bin
  CurrentBackupFolder = temp_.Path() + "Backup\\MyApp\\";
  EXPECT_TRUE(DeleteFileWithBackup(savedPath));
  EXPECT_EQ(ReadFileBytes(BelowBackup(CurrentBackupFolder, savedPath)), "to the backup");
  EXPECT_FALSE(PathExists(trash + "files\\" + gone));
  EXPECT_FALSE(PathExists(trash + "files\\" + saved));

  // Without a folder set, backups go below the user's BackupDir, not the current directory.
  CurrentBackupFolder.clear();
  WriteSetting("BackupDir", temp_.Path() + "Fallback");
  const std::string app = Make("App\\");
  Make("App\\deep.txt", "deep");
  EXPECT_TRUE(DeleteFileWithBackup(app));
  EXPECT_EQ(ReadFileBytes(BelowBackup(temp_.Path() + "Fallback\\", app) + "\\deep.txt"), "deep");
  // The same folder again: merged into its backup place, not moved inside it.
  Make("App\\");
  Make("App\\Sub\\");
  Make("App\\Sub\\more.txt", "more");
  EXPECT_TRUE(DeleteFileWithBackup(app));
  const std::string place = BelowBackup(temp_.Path() + "Fallback\\", app);
  EXPECT_EQ(ReadFileBytes(place + "\\deep.txt") + ReadFileBytes(place + "\\Sub\\more.txt"), "deepmore");
  EXPECT_FALSE(PathExists(place + "\\App") || PathExists(app));
}

TEST_F(RecycTest, ReadOnlyQuestionAndItsAnswers) {
  const struct { int answer; bool deleted, askAfter; } cases[] = {
      {mrNo, false, true}, {mrCancel, false, true}, {mrYes, true, true}, {mrAll, true, false}};
  for (const auto& c : cases) {
    AskReadOnly = true;
    const std::string path = Make("ro" + std::to_string(c.answer) + ".txt", "data", kReadOnly);
    ui_.Answer(c.answer);
    EXPECT_EQ(ErrorOf([&] { DeleteFileWithBackup(path); }),
              c.deleted ? "no error" : "Löschen vom Benutzer abgebrochen");
    EXPECT_EQ(Attributes(path), c.deleted ? INVALID_FILE_ATTRIBUTES : kReadOnly) << c.answer;
    EXPECT_EQ(AskReadOnly, c.askAfter) << c.answer;
    const auto& shown = ui_.Messages().back();
    EXPECT_EQ(shown.text, "Datei: " + path + "\rist schreibgeschützt, trotzdem löschen ?");
    EXPECT_TRUE(shown.type == mtConfirmation && shown.buttons == (mbYes | mbNo | mbAll));
  }
  const std::string later = Make("later.txt", "data", kReadOnly);  // after "Alles" they go silently
  EXPECT_TRUE(DeleteFileWithBackup(later));
  EXPECT_FALSE(PathExists(later));
  EXPECT_EQ(ui_.Messages().size(), 4u);
}

TEST_F(RecycTest, MissingItemsAndItemsThatStayAreReported) {
  const std::string other = Make("other.txt");
  for (const std::string& path : {temp_.File("missing.txt"), temp_.File("*.txt"), std::string()})
    EXPECT_EQ(ErrorOf([&] { DeleteFileWithBackup(path); }), "Datei existiert nicht") << path;
  EXPECT_TRUE(PathExists(other));

  const std::string file = Make("locked.txt", "busy", kReadOnly), folder = Make("Busy\\");
  const std::string inner = Make("Busy\\open.txt");
  {
    const Lock fileLock = LockFile(file), innerLock = LockFile(inner);
    for (const auto& path : {file, folder})  // a folder that stays fails as much as a file
      EXPECT_EQ(ErrorOf([&] { DeleteFileWithBackup(path); }), "Datei " + path + " konnte nicht gelöscht werden");
  }
  EXPECT_EQ(ReadFileBytes(file), "busy");
  EXPECT_EQ(Attributes(file), kReadOnly);  // its attributes back
  EXPECT_TRUE(PathExists(inner));
  EXPECT_TRUE(ui_.Messages().empty());
}

TEST_F(RecycTest, ShellDeleteTakesOnlyOneExistingUnlockedItem) {
  Make("Sub\\");
  Make("Sub\\x.txt");
  EXPECT_TRUE(ShellDeleteFolder("  " + temp_.File("Sub") + "\\ ", false, true, false));  // blanks and \ trimmed
  EXPECT_FALSE(PathExists(temp_.File("Sub")));
  const std::string a = Make("a.txt");
  EXPECT_FALSE(ShellDelete(temp_.File("missing.txt"), false, false, true));
  EXPECT_FALSE(ShellDeleteFolder(temp_.File("NoFolder\\ "), false, false, true));
  EXPECT_FALSE(ShellDelete(temp_.File("*.txt"), false, true, false));
  EXPECT_FALSE(ShellDeleteFolder(temp_.File("?.txt"), false, true, false));
  const Lock lock = LockFile(a);
  EXPECT_FALSE(ShellDelete(a, false, true, false));
  EXPECT_TRUE(PathExists(a));
}

// "C:" is the current folder of drive C, not its root: relative paths never reach the shell.
TEST_F(RecycTest, RelativePathsAreRefused) {
  const std::string dir = Make("Aktuell\\"), file = Make("Aktuell\\f.txt", "x");
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(platform::Utf8ToWide(dir).c_str()));
  const bool drive = ShellDelete(dir.substr(0, 2), false, true, false), name = ShellDelete("f.txt", false, true, false);
  const bool moved = ShellMove(dir.substr(0, 2), temp_.File("weg"), false, true, false);
  SetCurrentDirectoryW(before);
  EXPECT_FALSE(drive || name || moved);
  EXPECT_TRUE(PathExists(file));
}

TEST_F(RecycTest, MoveAndCopyMakeTargetFoldersOverwriteAndNeverGoIntoTheSource) {
  for (const bool move : {true, false}) {
    const auto transfer = move ? ShellMove : ShellCopy;
    const std::string tag = move ? "move" : "copy";
    EXPECT_FALSE(transfer(temp_.File("missing"), temp_.File(tag + "\\missing"), false, true, true));
    EXPECT_FALSE(PathExists(temp_.File(tag)));
    const std::string file = Make(tag + ".txt", tag), existing = Make(tag + "-old.txt", "old");
    EXPECT_TRUE(transfer(file, temp_.File(tag + "\\A\\B\\f.txt"), false, true, false)) << tag;
    EXPECT_EQ(ReadFileBytes(temp_.File(tag + "\\A\\B\\f.txt")), tag);
    EXPECT_TRUE(transfer(Make(tag + "2.txt", "new"), existing, false, true, false)) << tag;
    EXPECT_EQ(ReadFileBytes(existing), "new");
    const std::string dir = Make(tag + "Dir\\");
    Make(tag + "Dir\\inside.txt", "inside");
    EXPECT_FALSE(transfer(dir, dir + "\\bk\\C\\Dir", false, true, false)) << tag;
    EXPECT_FALSE(transfer(dir, dir, false, true, false)) << tag;
    EXPECT_FALSE(PathExists(dir + "\\bk"));
    EXPECT_TRUE(transfer(dir, dir + "2", true, true, false)) << tag;  // a sibling named alike is fine
    EXPECT_EQ(ReadFileBytes(dir + "2\\inside.txt"), "inside");
    EXPECT_EQ(PathExists(file), !move);
    EXPECT_EQ(PathExists(dir), !move);
  }
}

TEST_F(RecycTest, RootsAndFolders) {
  for (const auto& [path, root] :
       {std::pair{"C:\\", true}, {"c:", true}, {"\\\\server\\share", true}, {"\\\\server\\share\\", true},
        {"\\\\?\\C:\\", true}, {"\\\\?\\UNC\\server\\share", true}, {"C:\\Windows", false},
        {"\\\\server\\share\\f", false}, {"\\\\?\\UNC\\server\\share\\f", false}, {"folder\\", false}})
    EXPECT_EQ(IsRootPath(path), root) << path;
  const std::string dir = Make("Here\\"), file = Make("file.txt");
  for (const auto& [path, folder] : {std::pair{dir, true}, {dir + "\\", true}, {temp_.Path().substr(0, 3), true},
                                     {file, false}, {file + "\\", false}, {temp_.File("*"), false}, {"", false}})
    EXPECT_EQ(FolderExists(path), folder) << path;
}

}  // namespace
