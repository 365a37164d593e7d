// Deletion under the user's settings and the shell's file operations, on real files,
// the real registry and (under Wine) the real recycle bin.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "core/exceptions.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "core/settings.h"
#include "platform/text.h"
#include "removal/recyc.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

constexpr char kSettingsKey[] = "Software\\Velmoria\\QuitawayTests\\recyc";

DWORD Attributes(const std::string& path) { return GetFileAttributesW(platform::Utf8ToWide(path).c_str()); }
bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }
bool IsReadOnly(const std::string& path) {
  return Exists(path) && (Attributes(path) & FILE_ATTRIBUTE_READONLY) != 0;
}

void MakeFolder(const std::string& path) {
  ASSERT_TRUE(CreateDirectoryW(platform::Utf8ToWide(path).c_str(), nullptr)) << path;
}
void MakeReadOnly(const std::string& path) {
  ASSERT_TRUE(SetFileAttributesW(platform::Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_READONLY)) << path;
}

// Holds a file open without any sharing, so nobody can delete it meanwhile.
class LockedFile {
 public:
  explicit LockedFile(const std::string& path)
      : handle_(CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr)) {}
  ~LockedFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Where a path lands below a backup folder: C:\X\a.dll as <folder>C\X\a.dll.
std::string BelowBackup(const std::string& folder, const std::string& path) {
  return folder + path.substr(0, 1) + path.substr(2);
}

std::string NotDeleted(const std::string& path) { return "Datei " + path + " konnte nicht gelöscht werden"; }

// The message of the EQuitawayError that fn raises; fails the test when there is none.
template <class Fn>
std::string ErrorOf(Fn fn) {
  try {
    fn();
  } catch (const EQuitawayError& e) {
    return e.what();
  }
  ADD_FAILURE() << "no EQuitawayError raised";
  return {};
}

// Wine's recycle bin is the host trash folder $XDG_DATA_HOME/Trash; Wine passes the
// host's variables through, and drive Z: is the host root. Empty where there is none.
std::string HostTrashFolder() {
  wchar_t buffer[4096];
  const DWORD len = GetEnvironmentVariableW(L"XDG_DATA_HOME", buffer, 4096);
  if (len == 0 || len >= 4096 || buffer[0] != L'/') return {};
  std::string folder = "Z:" + platform::WideToUtf8(std::wstring(buffer, len));
  for (char& c : folder)
    if (c == '/') c = '\\';
  return folder + "\\Trash\\";
}

// Takes an entry out of the host trash again when the test ends, however it ends.
class TrashEntry {
 public:
  TrashEntry(std::string trash, std::string name) : trash_(std::move(trash)), name_(std::move(name)) {}
  ~TrashEntry() {
    if (trash_.empty()) return;
    DeleteFileW(platform::Utf8ToWide(File()).c_str());
    DeleteFileW(platform::Utf8ToWide(Info()).c_str());
  }
  TrashEntry(const TrashEntry&) = delete;
  TrashEntry& operator=(const TrashEntry&) = delete;
  std::string File() const { return trash_ + "files\\" + name_; }
  std::string Info() const { return trash_ + "info\\" + name_ + ".trashinfo"; }
  const std::string& Name() const { return name_; }

 private:
  std::string trash_;
  std::string name_;
};

// A name no earlier run has left in the trash.
std::string UniqueName(const std::string& stem) {
  return stem + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) + ".txt";
}

class RecycTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenSettingsRegistry(kSettingsKey);
    WriteBackAllSettings();
    UseSettings(false, false);
    CurrentBackupFolder.clear();
    AskReadOnly = false;
  }
  void TearDown() override {
    CurrentBackupFolder.clear();
    AskReadOnly = false;
    SettingsRegistry().DeleteKey(std::string("\\") + kSettingsKey);
    CloseSettingsRegistry();
  }
  static void UseSettings(bool backupFiles, bool useRecycleBin) {
    WriteSetting("BackupFiles", backupFiles ? 1 : 0);
    WriteSetting("UseRecycleBin", useRecycleBin ? 1 : 0);
  }
  // A file in the temp folder with the given content; returns its path.
  std::string NewFile(const std::string& name, const std::string& content = "data") {
    const std::string path = temp_.File(name);
    WriteFileBytes(path, content);
    return path;
  }

  TempFolder temp_;
  ScriptedInteraction ui_;
};

// --- DeleteFileWithBackup ------------------------------------------------------

TEST_F(RecycTest, BackupMovesFileBelowBackupFolderByItsPathWithoutColon) {
  UseSettings(true, false);
  CurrentBackupFolder = temp_.Path() + "Backup\\MyApp\\";
  MakeFolder(temp_.File("X"));
  const std::string source = NewFile("X\\a.dll", "dll bytes");
  ASSERT_EQ(source.substr(1, 2), ":\\");
  // C:\...\X\a.dll -> <backup>\C\...\X\a.dll, the folders made on the way.
  const std::string expected = BelowBackup(CurrentBackupFolder, source);

  EXPECT_TRUE(DeleteFileWithBackup(source));
  EXPECT_FALSE(Exists(source));
  EXPECT_EQ(ReadFileBytes(expected), "dll bytes");
  EXPECT_TRUE(Exists(temp_.File("X")));  // only the file left its folder
  EXPECT_TRUE(ui_.Messages().empty());
}

TEST_F(RecycTest, BackupOfFolderTakesItsContentsAndWithoutFolderSetUsesBackupDir) {
  UseSettings(true, true);
  // No command set a folder: the user's BackupDir, not the current directory.
  WriteSetting("BackupDir", temp_.Path() + "Fallback");
  MakeFolder(temp_.File("App"));
  MakeFolder(temp_.File("App\\Sub"));
  NewFile("App\\Sub\\deep.txt", "deep");
  const std::string folder = temp_.File("App");
  const std::string backup = BelowBackup(temp_.Path() + "Fallback\\", folder);

  EXPECT_TRUE(DeleteFileWithBackup(folder));
  EXPECT_FALSE(Exists(folder));
  EXPECT_EQ(ReadFileBytes(backup + "\\Sub\\deep.txt"), "deep");
}

TEST_F(RecycTest, ReadOnlyAnsweredAllIsDeletedAndLaterOnesGoWithoutQuestion) {
  AskReadOnly = true;
  const std::string first = NewFile("first.txt");
  const std::string second = NewFile("second.txt");
  MakeReadOnly(first);
  MakeReadOnly(second);
  ui_.Answer(mrAll);

  EXPECT_TRUE(DeleteFileWithBackup(first));
  EXPECT_FALSE(Exists(first));
  EXPECT_FALSE(AskReadOnly);
  ASSERT_EQ(ui_.Messages().size(), 1u);
  EXPECT_EQ(ui_.Messages()[0].text, "Datei: " + first + "\rist schreibgeschützt, trotzdem löschen ?");
  EXPECT_EQ(ui_.Messages()[0].type, mtConfirmation);
  EXPECT_EQ(ui_.Messages()[0].buttons, mbYes | mbNo | mbAll);

  EXPECT_TRUE(DeleteFileWithBackup(second));
  EXPECT_FALSE(Exists(second));
  EXPECT_EQ(ui_.Messages().size(), 1u);
}

TEST_F(RecycTest, ReadOnlyAnsweredYesAsksAgainAndUnaskedReadOnlyGoesSilently) {
  AskReadOnly = true;
  const std::string a = NewFile("a.txt");
  const std::string b = NewFile("b.txt");
  MakeReadOnly(a);
  MakeReadOnly(b);
  ui_.Answer(mrYes);
  ui_.Answer(mrYes);
  EXPECT_TRUE(DeleteFileWithBackup(a));
  EXPECT_TRUE(DeleteFileWithBackup(b));
  EXPECT_FALSE(Exists(a));
  EXPECT_FALSE(Exists(b));
  EXPECT_EQ(ui_.Messages().size(), 2u);
  EXPECT_TRUE(AskReadOnly);

  // Not asking: the read-only attribute must not stop the deletion either.
  AskReadOnly = false;
  const std::string c = NewFile("c.txt");
  MakeReadOnly(c);
  EXPECT_TRUE(DeleteFileWithBackup(c));
  EXPECT_FALSE(Exists(c));
  EXPECT_EQ(ui_.Messages().size(), 2u);
}

TEST_F(RecycTest, ReadOnlyAnsweredNoOrCancelledStaysUntouched) {
  AskReadOnly = true;
  const std::string path = NewFile("keep.txt", "keep me");
  MakeReadOnly(path);
  for (const int answer : {mrNo, mrCancel}) {
    ui_.Answer(answer);
    EXPECT_EQ(ErrorOf([&] { DeleteFileWithBackup(path); }), "Löschen vom Benutzer abgebrochen") << answer;
    EXPECT_EQ(ReadFileBytes(path), "keep me");
    EXPECT_TRUE(IsReadOnly(path));
    EXPECT_TRUE(AskReadOnly);
  }
  EXPECT_EQ(ui_.Messages().size(), 2u);
}

TEST_F(RecycTest, MissingPathOrWildcardIsReportedAsNotExisting) {
  const std::string other = NewFile("other.txt");
  EXPECT_EQ(ErrorOf([&] { DeleteFileWithBackup(temp_.File("missing.txt")); }), "Datei existiert nicht");
  EXPECT_EQ(ErrorOf([&] { DeleteFileWithBackup(temp_.File("*.txt")); }), "Datei existiert nicht");
  EXPECT_EQ(ErrorOf([&] { DeleteFileWithBackup(""); }), "Datei existiert nicht");
  EXPECT_TRUE(Exists(other));
  EXPECT_TRUE(ui_.Messages().empty());
}

TEST_F(RecycTest, FolderGoesWithItsContents) {
  MakeFolder(temp_.File("Tree"));
  MakeFolder(temp_.File("Tree\\Inner"));
  NewFile("Tree\\Inner\\x.txt");
  NewFile("Tree\\y.txt");
  EXPECT_TRUE(DeleteFileWithBackup(temp_.File("Tree")));
  EXPECT_FALSE(Exists(temp_.File("Tree")));
  EXPECT_TRUE(Exists(temp_.Path()));
}

TEST_F(RecycTest, ItemThatStaysIsReportedAndKeepsItsAttributes) {
  const std::string file = NewFile("locked.txt", "busy");
  MakeReadOnly(file);
  {
    LockedFile lock(file);
    ASSERT_TRUE(lock.IsOpen());
    EXPECT_EQ(ErrorOf([&] { DeleteFileWithBackup(file); }), NotDeleted(file));
  }
  EXPECT_EQ(ReadFileBytes(file), "busy");
  EXPECT_TRUE(IsReadOnly(file));

  // A folder that survives is as much a failure as a file.
  MakeFolder(temp_.File("Busy"));
  const std::string inner = NewFile("Busy\\open.txt");
  LockedFile lock(inner);
  ASSERT_TRUE(lock.IsOpen());
  const std::string folder = temp_.File("Busy");
  EXPECT_EQ(ErrorOf([&] { DeleteFileWithBackup(folder); }), NotDeleted(folder));
  EXPECT_TRUE(Exists(inner));
}

TEST_F(RecycTest, RecycleBinSettingDecidesWhereDeletedFilesGo) {
  const std::string trash = HostTrashFolder();
  const TrashEntry binned(trash, UniqueName("qw-recyc-bin"));
  const TrashEntry gone(trash, UniqueName("qw-recyc-gone"));
  const TrashEntry saved(trash, UniqueName("qw-recyc-saved"));
  const std::string binnedPath = NewFile(binned.Name(), "to the bin");
  const std::string gonePath = NewFile(gone.Name(), "for good");
  const std::string savedPath = NewFile(saved.Name(), "to the backup");

  UseSettings(false, true);
  EXPECT_TRUE(DeleteFileWithBackup(binnedPath));
  UseSettings(false, false);
  EXPECT_TRUE(DeleteFileWithBackup(gonePath));
  // Backing up wins over the recycle bin.
  UseSettings(true, true);
  CurrentBackupFolder = temp_.Path() + "Backup\\";
  EXPECT_TRUE(DeleteFileWithBackup(savedPath));
  EXPECT_EQ(ReadFileBytes(BelowBackup(CurrentBackupFolder, savedPath)), "to the backup");
  EXPECT_FALSE(Exists(binnedPath));
  EXPECT_FALSE(Exists(gonePath));
  EXPECT_FALSE(Exists(savedPath));

  if (trash.empty()) GTEST_SKIP() << "no host trash folder to look into (not running under Wine)";
  EXPECT_EQ(ReadFileBytes(binned.File()), "to the bin");
  EXPECT_TRUE(Exists(binned.Info()));
  EXPECT_FALSE(Exists(gone.File()));
  EXPECT_FALSE(Exists(saved.File()));
}

// --- Shell operations ----------------------------------------------------------

TEST_F(RecycTest, ShellDeleteFolderTrimsBlankAndBackslashAndTakesOnlyThatFolder) {
  MakeFolder(temp_.File("Sub"));
  MakeFolder(temp_.File("Sibling"));
  NewFile("Sub\\x.txt");
  EXPECT_TRUE(ShellDeleteFolder(temp_.File("Sub") + "\\ ", false, true, false));
  EXPECT_FALSE(Exists(temp_.File("Sub")));
  EXPECT_TRUE(Exists(temp_.File("Sibling")));
  EXPECT_TRUE(Exists(temp_.Path()));
  // Blanks go on both sides.
  EXPECT_TRUE(ShellDeleteFolder("  " + temp_.File("Sibling") + "\\", false, true, false));
  EXPECT_FALSE(Exists(temp_.File("Sibling")));
}

TEST_F(RecycTest, MissingSourceFailsAtOnceAndQuietly) {
  const std::string missing = temp_.File("missing.txt");
  EXPECT_FALSE(ShellMove(missing, temp_.File("Dest\\missing.txt"), false, true, true));
  EXPECT_FALSE(ShellCopy(missing, temp_.File("Dest\\missing.txt"), false, true, true));
  EXPECT_FALSE(ShellDelete(missing, false, false, true));
  EXPECT_FALSE(ShellDeleteFolder(temp_.File("NoFolder\\ "), false, false, true));
  EXPECT_FALSE(Exists(temp_.File("Dest")));
  EXPECT_TRUE(ui_.Messages().empty());
}

TEST_F(RecycTest, ShellMoveMakesMissingTargetFolders) {
  const std::string file = NewFile("move.txt", "moved");
  EXPECT_TRUE(ShellMove(file, temp_.File("A\\B\\C\\move.txt"), false, true, false));
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(ReadFileBytes(temp_.File("A\\B\\C\\move.txt")), "moved");

  MakeFolder(temp_.File("Dir"));
  NewFile("Dir\\inside.txt", "inside");
  EXPECT_TRUE(ShellMove(temp_.File("Dir"), temp_.File("D\\E\\Dir"), true, true, false));
  EXPECT_FALSE(Exists(temp_.File("Dir")));
  EXPECT_EQ(ReadFileBytes(temp_.File("D\\E\\Dir\\inside.txt")), "inside");
}

TEST_F(RecycTest, ShellCopyCopiesAndOverwritesWithoutConfirmation) {
  const std::string source = NewFile("new.txt", "new");
  const std::string existing = NewFile("old.txt", "old");
  EXPECT_TRUE(ShellCopy(source, existing, false, true, false));
  EXPECT_EQ(ReadFileBytes(existing), "new");
  EXPECT_EQ(ReadFileBytes(source), "new");

  EXPECT_TRUE(ShellCopy(source, temp_.File("Far\\Away\\new.txt"), false, true, false));
  EXPECT_EQ(ReadFileBytes(temp_.File("Far\\Away\\new.txt")), "new");

  MakeFolder(temp_.File("Tree"));
  NewFile("Tree\\leaf.txt", "leaf");
  EXPECT_TRUE(ShellCopy(temp_.File("Tree"), temp_.File("Copy"), false, true, false));
  EXPECT_EQ(ReadFileBytes(temp_.File("Copy\\leaf.txt")), "leaf");
  EXPECT_EQ(ReadFileBytes(temp_.File("Tree\\leaf.txt")), "leaf");
  EXPECT_TRUE(ui_.Messages().empty());
}

TEST_F(RecycTest, FolderIsNeverMovedOrCopiedIntoItself) {
  MakeFolder(temp_.File("P"));
  NewFile("P\\x.txt", "x");
  const std::string folder = temp_.File("P");
  EXPECT_FALSE(ShellMove(folder, folder + "\\bk\\C\\P", false, true, false));
  EXPECT_FALSE(ShellCopy(folder, folder + "\\bk\\C\\P", false, true, false));
  EXPECT_FALSE(ShellMove(folder, folder, false, true, false));
  EXPECT_EQ(ReadFileBytes(folder + "\\x.txt"), "x");
  EXPECT_FALSE(Exists(folder + "\\bk"));
  // A sibling whose name merely begins like the folder is a fine target.
  EXPECT_TRUE(ShellCopy(folder, folder + "2", false, true, false));
  EXPECT_EQ(ReadFileBytes(folder + "2\\x.txt"), "x");
}

TEST_F(RecycTest, WildcardsAndLockedFilesAreNotReportedAsDeleted) {
  const std::string a = NewFile("a.txt");
  const std::string b = NewFile("b.txt");
  EXPECT_FALSE(ShellDelete(temp_.File("*.txt"), false, true, false));
  EXPECT_FALSE(ShellDeleteFolder(temp_.File("?.txt"), false, true, false));
  EXPECT_TRUE(Exists(a));
  EXPECT_TRUE(Exists(b));

  LockedFile lock(a);
  ASSERT_TRUE(lock.IsOpen());
  EXPECT_FALSE(ShellDelete(a, false, true, false));
  EXPECT_TRUE(Exists(a));
}

TEST(RecycPaths, RootsAreRecognised) {
  EXPECT_TRUE(IsRootPath("C:\\"));
  EXPECT_TRUE(IsRootPath("c:"));
  EXPECT_TRUE(IsRootPath("\\\\server\\share"));
  EXPECT_TRUE(IsRootPath("\\\\server\\share\\"));
  EXPECT_TRUE(IsRootPath("\\\\?\\C:\\"));
  EXPECT_TRUE(IsRootPath("\\\\?\\UNC\\server\\share"));
  EXPECT_FALSE(IsRootPath("C:\\Windows"));
  EXPECT_FALSE(IsRootPath("\\\\server\\share\\folder"));
  EXPECT_FALSE(IsRootPath("\\\\?\\UNC\\server\\share\\folder"));
  EXPECT_FALSE(IsRootPath("folder\\"));
}

TEST(RecycPaths, FolderExistsWithOrWithoutTrailingBackslash) {
  TempFolder temp;
  const std::string folder = temp.File("Here");
  ASSERT_TRUE(CreateDirectoryW(platform::Utf8ToWide(folder).c_str(), nullptr));
  WriteFileBytes(temp.File("file.txt"), "f");

  EXPECT_TRUE(FolderExists(folder));
  EXPECT_TRUE(FolderExists(folder + "\\"));
  EXPECT_FALSE(FolderExists(temp.File("file.txt")));
  EXPECT_FALSE(FolderExists(temp.File("file.txt\\")));
  EXPECT_FALSE(FolderExists(temp.File("Nowhere")));
  EXPECT_FALSE(FolderExists(temp.File("*")));
  EXPECT_FALSE(FolderExists(""));
  EXPECT_TRUE(FolderExists(temp.Path().substr(0, 3)));  // the drive's root
}

}  // namespace
