// Undo of the registry result tree on the real registry of the test prefix: two real
// snapshots of HKEY_CURRENT_USER around changes below a test key, compared into a
// result file, then planned and executed on the test key's node.
#include <gtest/gtest.h>

#include <windows.h>

#include "compare/compare.h"
#include "core/identity.h"
#include "core/settings.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/ini_file.h"
#include "platform/text.h"
#include "removal/restore.h"
#include "snapshot/configuration.h"
#include "snapshot/drive_snapshot.h"
#include "snapshot/registry_snapshot.h"
#include "removal/file_store.h"
#include "removal/recyc.h"
#include "support/checks.h"
#include "support/data_files.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

using V = std::vector<std::string>;
const std::string kKey = "Software\\Velmoria\\QuitawayTests\\restore";
const std::string kSettingsKey = kKey + "-settings";

void Set(const std::string& sub, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  RegSetKeyValueW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + sub).c_str(), name, type, data, size);
}
// A walk's progress and messages, shown to nobody.
struct QuietReport : SnapshotReport {
  void Update() override {}
  void ShowError(const std::string&) override {}
};

void Unset(const std::string& sub, const wchar_t* name) {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + sub).c_str(), name);
}
void DeleteTree(const std::string& path) { RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(path).c_str()); }

// The test key as a snapshot stores it: the registry below it, byte for byte.
std::string Stored() {
  HKEY key = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str(), 0, KEY_READ, &key);
  QuietReport report;
  platform::MemoryStream m;
  {
    DataWriter w(m);
    WriteRegistryKey(w, key, "", false, report);
  }
  RegCloseKey(key);
  return std::string(m.Bytes().begin(), m.Bytes().end());
}

class RestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteTree(kKey);
    DeleteTree(kSettingsKey);
    OpenSettingsRegistry(kSettingsKey);
    WriteBackAllSettings();
    regSel.AddTop(kRegistryTop)->AddChild("HKEY_CURRENT_USER")->SetStateIndex(stChecked);
    driveSel.AddTop(kDrivesTop)->SetStateIndex(stUnchecked);
    sysSel.AddTop(kSystemTop)->SetStateIndex(stUnchecked);
  }
  void TearDown() override {
    DeleteTree(kKey);
    CloseSettingsRegistry();
    DeleteTree(kSettingsKey);
  }
  void Snapshot(const std::string& name) { WriteConfiguration(dir.File(name), regSel, driveSel, sysSel); }
  // alt.TSD and neu.TSD compared into the result file.
  void Compare(const std::string& result = "r.TSL") {
    CompareConfigurations(dir.File("alt.TSD"), dir.File("neu.TSD"), dir.File(result),
                          {regSel, driveSel, sysSel, regResult, driveResult, sysResult}, noCheck, KindImages{}, info);
  }
  // A configuration of the folder (with a backslash) alone, as the walk stores it.
  void SnapshotFolder(const std::string& name, const std::string& folder);
  // The to-do rows of one run on the test key's node: action, name, value and status.
  V Undo(uint8_t flags, bool execute) {
    TreeNode* node = FindNodeByPath("HKEY_CURRENT_USER\\" + kKey, regResult, false, false);
    todo.Clear();
    RestoreRegistryChanges({info, node, nullptr, flags, execute, todo});
    return Rows({1, 2, 3});
  }
  // The to-do rows: the caption, then the given columns ("Pfad" is 0, "Status" 3;
  // -1 is the outcome kept in Data), joined by " | ".
  V Rows(std::initializer_list<int> columns) const {
    V rows;
    for (size_t i = 0; i < todo.Count(); ++i) {
      std::string row = todo.Row(i).Caption;
      for (int c : columns) row += " | " + (c < 0 ? std::to_string(todo.Row(i).Data) : todo.Row(i).SubItems[c]);
      rows.push_back(row);
    }
    return rows;
  }

  ScriptedInteraction ui;
  TempFolder dir;
  Tree regSel, driveSel, sysSel, regResult, driveResult, sysResult;
  std::vector<std::string> noCheck;
  ResultFileInfo info;
  ListModel todo;
};

}  // namespace

TEST_F(RestoreTest, AnInstallationInTheRegistryIsTakenBackWhole) {
  const DWORD five = 5, two = 2;
  const BYTE bytes[] = {1, 2, 3}, nine[] = {9};
  Set("\\Bleibt", L"Alt", REG_SZ, L"vorher", 14);
  Set("\\Bleibt", L"Weg", REG_DWORD, &five, 4);
  Set("\\Bleibt", L"Bin", REG_BINARY, bytes, 3);
  Set("\\Bleibt", L"Pfad", REG_EXPAND_SZ, L"%TEMP%", 14);
  Set("\\Geloescht", L"", REG_SZ, L"", 2);
  HKEY leer = nullptr;  // a key without values
  RegCreateKeyExW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + "\\Geloescht\\Leer").c_str(), 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &leer, nullptr);
  RegCloseKey(leer);
  const std::string before = Stored();
  Snapshot("alt.TSD");
  // The installation: values altered, deleted and added; a key deleted; a key tree added.
  Set("\\Bleibt", L"Alt", REG_SZ, L"nachher", 16);
  Set("\\Bleibt", L"Bin", REG_BINARY, nine, 1);
  Set("\\Bleibt", L"Neu", REG_SZ, L"ja", 6);
  Unset("\\Bleibt", L"Weg");
  DeleteTree(kKey + "\\Geloescht");
  Set("\\Neu", L"a", REG_SZ, L"1", 4);
  Set("\\Neu\\Tief", L"b", REG_DWORD, &two, 4);
  Snapshot("neu.TSD");
  Compare();

  // Values before the keys that hold them; a deleted key made before its subkeys and
  // values, a new key deleted after them; an altered value with its partner line.
  const V planned = {
      "verändert, stelle alten Wert wieder her | Alt | \"vorher\" | unerledigt",
      "verändert, stelle alten Wert wieder her | Bin | Binary(4), 3 bytes: 01 02 03  | unerledigt",
      "Wert löschen | Neu | \"ja\" | unerledigt",
      "stelle gelöschten Wert wieder her | Weg | $00000005   (5) | unerledigt",
      "erzeuge Schlüssel | Geloescht |  | unerledigt",
      "erzeuge Schlüssel | Leer |  | unerledigt",
      "stelle gelöschten Wert wieder her | (Standard) | \"(leer)\" | unerledigt",
      "Wert löschen | b | $00000002   (2) | unerledigt",
      "lösche Schlüssel | Tief |  | unerledigt",
      "Wert löschen | a | \"1\" | unerledigt",
      "lösche Schlüssel | Neu |  | unerledigt"};
  EXPECT_EQ(Undo(rfNew | rfDeleted | rfAltered, false), planned);
  ASSERT_NE(Stored(), before);  // planning changes nothing

  // Executed, one value gone meanwhile: said so, and everything else back as it was.
  Unset("\\Bleibt", L"Neu");
  const V executed = Undo(rfNew | rfDeleted | rfAltered, true);
  ASSERT_EQ(executed.size(), planned.size());
  for (size_t i = 0; i < planned.size(); ++i) {
    const std::string status = i == 2 ? "Nicht getan, Fehler: Eintrag existiert nicht (mehr)" : "Ok, fertig";
    EXPECT_EQ(executed[i], planned[i].substr(0, planned[i].rfind("| ") + 2) + status);
  }
  EXPECT_EQ(Stored(), before);
  // Greyed as done: every node but the one whose action failed.
  auto node = [&](const char* sub) { return FindNodeByPath("HKEY_CURRENT_USER\\" + kKey + sub, regResult, false, false); };
  EXPECT_FALSE(node("\\Bleibt")->Cut());
  EXPECT_TRUE(node("\\Neu")->Cut() && node("\\Geloescht\\Leer")->Cut());

  // The done marks are in the file: loaded again, only the failed value is left to do,
  // unless what was done is asked for again.
  LoadResultFile(dir.File("r.TSL"), regSel, driveSel, regResult, driveResult, sysSel, sysResult, noCheck, {}, info);
  EXPECT_EQ(Undo(rfNew | rfDeleted | rfAltered, false), V{planned[2]});
  EXPECT_EQ(Undo(rfNew | rfDeleted | rfAltered | rfAgain, false).size(), planned.size());
  EXPECT_EQ(Undo(rfDeleted | rfAltered, false), V{});
}

// A key the user may no longer write: every action on it ends with a status, none
// with success, and nothing in it changes.
TEST_F(RestoreTest, AKeyWithoutRightsIsReportedNotChanged) {
  const DWORD five = 5;
  Set("\\Gesperrt", L"Alt", REG_SZ, L"vorher", 14);
  Set("\\Gesperrt", L"Weg", REG_DWORD, &five, 4);
  Snapshot("alt.TSD");
  Set("\\Gesperrt", L"Alt", REG_SZ, L"nachher", 16);
  Set("\\Gesperrt", L"Neu", REG_SZ, L"ja", 6);
  Unset("\\Gesperrt", L"Weg");
  Snapshot("neu.TSD");
  Compare();
  const std::string after = Stored();
  // An empty access list: nobody may open the key any more.
  auto lock = [&](bool locked) {
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + "\\Gesperrt").c_str(), 0, WRITE_DAC, &key);
    SECURITY_DESCRIPTOR sd;
    ACL empty;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, locked ? &empty : nullptr, FALSE);
    const LONG rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(key);
    return rc;
  };
  ASSERT_EQ(lock(true), ERROR_SUCCESS);
  const V rows = Undo(rfNew | rfDeleted | rfAltered, true);
  ASSERT_EQ(lock(false), ERROR_SUCCESS);
  ASSERT_EQ(rows.size(), 3u);  // the altered, the new and the deleted value
  for (const std::string& row : rows) EXPECT_NE(row.find("| Nicht getan, Fehler: "), std::string::npos) << row;
  EXPECT_EQ(Stored(), after);
  for (size_t i = 0; i < todo.Count(); ++i) EXPECT_EQ(todo.Row(i).Data, roFailed);
}

// INI entries and sections go back as they were; a text file is never touched.
TEST_F(RestoreTest, IniEntriesAndSectionsComeBackTextFilesNever) {
  const std::string ini = dir.File("test.ini"), text = dir.File("test.txt");
  WriteFileBytes(ini, "[Bleibt]\r\na=1\r\nb=2\r\n[Geht]\r\nx=9\r\n");
  WriteFileBytes(text, "eins\r\n");
  regSel.First()->Child(0)->SetStateIndex(stUnchecked);
  for (const std::string& file : {ini + "(INI)", text + "(TXT)"})
    sysSel.First()->AddChild(file)->SetStateIndex(stChecked);
  Snapshot("alt.TSD");
  WriteFileBytes(ini, "[Bleibt]\r\na=1\r\nb=3\r\nc=4\r\n[Neu]\r\nn=1\r\n");
  WriteFileBytes(text, "zwei\r\n");
  Snapshot("neu.TSD");
  Compare();
  for (bool execute : {false, true}) {
    todo.Clear();
    RestoreSystemFileChanges({info, sysResult.First(), nullptr, rfNew | rfDeleted | rfAltered, execute, todo});
    const V rows = Rows({0, 1, 3});
    const std::string status = execute ? "Ok, fertig" : "unerledigt";
    EXPECT_EQ(rows, (V{"geändert,stelle alten Wert wieder her | TEST.INI [Bleibt] | b | " + status,
                       "Wert löschen | TEST.INI [Bleibt] | c | " + status,
                       "stelle gelöschten Wert wieder her | TEST.INI [Geht] | x | " + status,
                       "Wert löschen | TEST.INI [Neu] | n | " + status,
                       "lösche Schlüssel | TEST.INI | [Neu] | " + status}));
  }
  const V now = {platform::ReadIniString(ini, "Bleibt", "b", "-"), platform::ReadIniString(ini, "Bleibt", "c", "-"),
                 platform::ReadIniString(ini, "Geht", "x", "-"), platform::ReadIniString(ini, "Neu", "n", "-")};
  EXPECT_EQ(now, (V{"2", "-", "9", "-"}));
  EXPECT_EQ(ReadFileBytes(text), "zwei\r\n");
}

// The drive section of a configuration for one folder: its drive and the folders
// down to it as single children, the folder itself as the walk stores it.
void WriteFolderChain(DataWriter& w, const std::string& folder) {
  w.WriteString(folder.substr(0, 2));
  w.WriteInteger(3);
  std::vector<std::string> parts;
  for (size_t at = 3, slash; (slash = folder.find('\\', at)) != std::string::npos; at = slash + 1)
    parts.push_back(folder.substr(at, slash - at));
  for (const std::string& part : parts) {
    w.WriteInteger(1);
    w.WriteString(part);
  }
  QuietReport report;
  WriteFolderRecord(w, folder, VersionOptions{}, report);
  for (size_t i = 0; i < parts.size(); ++i) w.WriteInteger(0);  // no files above it
}

// Use counters below SharedDlls move by what the installation changed; a file whose
// counter reaches zero goes only when the user agrees, and its counter goes always.
// The file undo then leaves the file to that decision: gone, it is done; kept, it
// stays with its new folder, and the run says so without calling it a failure.
TEST_F(RestoreTest, SharedFileCountersDecideAboutTheirFiles) {
  const std::string shared = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
  const std::string root = dir.File("Laufwerk\\"), neu = root + "Neu\\neu.dll", alt = root + "alt.dll";
  auto counter = [&](const std::string& file, const DWORD* count) {
    const std::wstring key = platform::Utf8ToWide(shared), name = platform::Utf8ToWide(file);
    if (count == nullptr) return (void)RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str());
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), REG_DWORD, count, 4);
  };
  auto read = [&](const std::string& file) {
    DWORD value = 0, size = 4;
    const LONG rc = RegGetValueW(HKEY_LOCAL_MACHINE, platform::Utf8ToWide(shared).c_str(),
                                 platform::Utf8ToWide(file).c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size);
    return rc == ERROR_SUCCESS ? static_cast<int>(value) : -1;
  };
  // HKEY_LOCAL_MACHINE as far as the SharedDlls key, that key as the walk stores it,
  // and the folder of the files.
  auto snapshot = [&](const std::string& name) {
    WriteConfigurationFile(dir.File(name), [&](DataWriter& w) {
      w.WriteString("HKEY_LOCAL_MACHINE");
      for (const char* part : {"SOFTWARE", "Microsoft", "Windows", "CurrentVersion", "SharedDlls"}) {
        w.WriteInteger(1);
        w.WriteString(part);
      }
      HKEY key = nullptr;
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, platform::Utf8ToWide(shared).c_str(), 0, KEY_READ, &key);
      QuietReport report;
      WriteRegistryKey(w, key, "", false, report);
      RegCloseKey(key);
      for (int i = 0; i < 5; ++i) w.WriteInteger(0);  // no values above it
    }, [&](DataWriter& w) { WriteFolderChain(w, root); }, nullptr);
  };
  const DWORD one = 1, two = 2, three = 3;
  WriteSetting("UseRecycleBin", 0);  // deleted for good, not into the host's trash
  for (const int answer : {mrYes, mrNo}) {
    SCOPED_TRACE(answer);
    CreateDirectoryW(platform::Utf8ToWide(root).c_str(), nullptr);
    WriteFileBytes(alt, "x");
    counter(alt, &two);
    snapshot("alt.TSD");
    CreateDirectoryW(platform::Utf8ToWide(root + "Neu").c_str(), nullptr);
    WriteFileBytes(neu, "x");
    counter(neu, &one);  // a new shared file, and one more user of an old one
    counter(alt, &three);
    snapshot("neu.TSD");
    Compare();
    todo.Clear();
    const size_t asked = ui.Texts().size();
    ui.Answer(answer);  // about the file whose counter reached zero
    RestoreRegistryChanges({info, regResult.First(), nullptr, rfNew | rfDeleted | rfAltered, true, todo});
    RestoreDriveChanges({info, driveResult.First(), nullptr, rfNew | rfDeleted | rfAltered, true, todo, &regResult});
    const V rows = Rows({3, -1});
    const std::string kept = "Nicht getan, Fehler: Gemeinsam benutzte Datei, nicht gelöscht";
    const V expected = answer == mrYes
                           ? V{"erniedrige den Zähler | Ok, fertig | 1", "erniedrige den Zähler | Ok, fertig | 1",
                               "lösche Datei | Ok, fertig | 1", "lösche Ordner | Ok, fertig | 1"}
                           : V{"erniedrige den Zähler | Ok, fertig | 1",
                               "erniedrige den Zähler | Gemeinsam benutzte Datei, nicht gelöscht | 1",
                               "lösche Datei | " + kept + " (Registry wurde schon zurückgesetzt) | 2",
                               "lösche Ordner | " + kept + " | 2"};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(read(alt), 2);
    EXPECT_EQ(read(neu), -1);  // the counter went whatever the answer
    EXPECT_EQ(PathExists(neu), answer == mrNo);
    EXPECT_TRUE(PathExists(alt));
    ASSERT_EQ(ui.Texts().size(), asked + 1);
    EXPECT_NE(ui.Texts().back().find(neu), std::string::npos);
    counter(alt, nullptr);
    DeleteFileWithBackup(root.substr(0, root.size() - 1));
  }
}

void RestoreTest::SnapshotFolder(const std::string& name, const std::string& folder) {
  WriteConfigurationFile(dir.File(name), nullptr, [&](DataWriter& w) { WriteFolderChain(w, folder); }, nullptr);
}

// New files and folders go where the settings say; deleted and altered files come back
// from the file backup store; a new file still registered as shared is asked about.
TEST_F(RestoreTest, FilesGoAndComeBackFromTheStore) {
  const std::string root = dir.File("Laufwerk\\");
  for (const char* f : {"", "Geht\\"}) CreateDirectoryW(platform::Utf8ToWide(root + f).c_str(), nullptr);
  WriteFileBytes(root + "alt.txt", "vorher");
  WriteFileBytes(root + "Geht\\weg.txt", "weg");
  WriteSetting("DLLBackupPath", dir.File("Lager"));
  WriteSetting("BackupDir", dir.File("Sicherung"));
  WriteSetting("UseRecycleBin", 0);
  WriteSetting("BackupFiles", 1);
  for (const char* f : {"alt.txt", "Geht\\weg.txt"}) {  // what a backup run keeps
    CreateDirectoryW(platform::Utf8ToWide(dir.File("Lager")).c_str(), nullptr);
    ASSERT_TRUE(ShellCopy(root + f, StoredCopyOf(root + f), false, true, false)) << f;
  }
  SnapshotFolder("alt.TSD", root);
  WriteFileBytes(root + "alt.txt", "nachher, länger");
  DeleteFileW(platform::Utf8ToWide(root + "Geht\\weg.txt").c_str());
  RemoveDirectoryW(platform::Utf8ToWide(root + "Geht").c_str());
  CreateDirectoryW(platform::Utf8ToWide(root + "Neu").c_str(), nullptr);
  WriteFileBytes(root + "Neu\\neu.txt", "neu");
  WriteFileBytes(root + "frisch.txt", "frisch");
  SnapshotFolder("neu.TSD", root);
  Compare("Setup.TSL");
  TreeNode* start = driveResult.First();
  todo.Clear();
  ui.Answer(mrYes);  // overwrite the altered file with its stored copy
  RestoreDriveChanges({info, start, nullptr, rfNew | rfDeleted | rfAltered, true, todo});
  EXPECT_EQ(Rows({3}), (V{"erzeuge Ordner | Ok, fertig", "stelle gelöschte Datei wieder her | Ok, fertig",
                     "lösche Datei | Ok, fertig", "lösche Ordner | Ok, fertig",
                     "verändert, stelle alte Datei wieder her | Ok, fertig", "lösche Datei | Ok, fertig"}));
  ASSERT_EQ(ui.Texts().size(), 1u);  // asked before the altered file was overwritten
  EXPECT_EQ(ui.Texts()[0].rfind("Die Datei existiert bereits im Zielordner.\r" + root + "alt.txt\r\rQuelle: 6 Bytes, vom ", 0),
            0u);
  EXPECT_EQ(ReadFileBytes(root + "alt.txt"), "vorher");
  EXPECT_EQ(ReadFileBytes(root + "Geht\\weg.txt"), "weg");
  EXPECT_FALSE(PathExists(root + "Neu") || PathExists(root + "frisch.txt"));
  // Deleted, but kept below BackupDir in a folder named after the result.
  EXPECT_EQ(ReadFileBytes(dir.File("Sicherung\\Setup\\") + root.substr(0, 1) + root.substr(2) + "frisch.txt"),
            "frisch");
}

// Paths that are no longer what the log says: a new folder and a deleted one are files
// now. Nothing is done below them, and the files stay as they are.
TEST_F(RestoreTest, AFolderThatBecameAFileIsLeftAlone) {
  const std::string root = dir.File("Laufwerk\\");
  for (const char* f : {"", "Geht\\"}) CreateDirectoryW(platform::Utf8ToWide(root + f).c_str(), nullptr);
  WriteFileBytes(root + "Geht\\weg.txt", "weg");
  WriteSetting("DLLBackupPath", dir.File("Lager"));
  WriteSetting("UseRecycleBin", 0);
  CreateDirectoryW(platform::Utf8ToWide(dir.File("Lager")).c_str(), nullptr);
  ASSERT_TRUE(ShellCopy(root + "Geht\\weg.txt", StoredCopyOf(root + "Geht\\weg.txt"), false, true, false));
  SnapshotFolder("alt.TSD", root);
  DeleteFileWithBackup(root + "Geht");
  CreateDirectoryW(platform::Utf8ToWide(root + "Neu").c_str(), nullptr);
  WriteFileBytes(root + "Neu\\neu.txt", "neu");
  SnapshotFolder("neu.TSD", root);
  Compare();
  DeleteFileWithBackup(root + "Neu");
  WriteFileBytes(root + "Neu", "eine Datei");
  WriteFileBytes(root + "Geht", "noch eine");
  todo.Clear();
  RestoreDriveChanges({info, driveResult.First(), nullptr, rfNew | rfDeleted | rfAltered, true, todo});
  EXPECT_EQ(Rows({3}), (V{"erzeuge Ordner | Nicht getan, Fehler: Der Ordner konnte nicht angelegt werden",
                          "stelle gelöschte Datei wieder her | Nicht getan, Fehler: Datei konnte nicht kopiert werden",
                          "lösche Datei | Nicht getan, Fehler: Datei existiert nicht",
                          "lösche Ordner | Fehler: Ordner besteht nicht, oder Fehler beim Löschen"}));
  EXPECT_EQ(ReadFileBytes(root + "Neu") + ReadFileBytes(root + "Geht"), "eine Dateinoch eine");
}

// The file backup store: definitions kept in the settings, files copied at their own
// path, unchanged ones not again, changed ones only when the user agrees.
TEST_F(RestoreTest, TheBackupRunKeepsCopiesOfTheDefinedFolders) {
  WriteSetting("DLLBackupPath", dir.File("Lager"));
  const std::vector<BackupDefinition> none = LoadBackupDefinitions();  // the system folder, "Nein", "*.*"
  ASSERT_EQ(none.size(), 1u);
  EXPECT_TRUE(!none[0].Folder.empty() && !none[0].Recursive && none[0].Mask == "*.*");
  const std::string folder = dir.File("Quelle\\");
  for (const char* f : {"", "Unter\\"}) CreateDirectoryW(platform::Utf8ToWide(folder + f).c_str(), nullptr);
  WriteFileBytes(folder + "a.txt", "eins");
  WriteFileBytes(folder + "Unter\\b.txt", "zwei");
  WriteFileBytes(folder + "c.dat", "nicht gemeint");
  SaveBackupDefinitions({{folder, true, "*.txt"}, {"", false, "*.*"}});  // a row without a folder is not kept
  std::vector<BackupDefinition> rows = LoadBackupDefinitions();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(rows[0].Folder == folder && rows[0].Recursive && rows[0].Mask == "*.txt");

  for (int run = 0; run < 2; ++run) {  // the second run finds all and copies nothing
    const BackupCounters counted = RunFileBackup(rows);
    EXPECT_EQ(counted.Files, 2);
    EXPECT_EQ(counted.Folders, 2);
    EXPECT_EQ(rows[0].Found, 2);
  }
  EXPECT_EQ(ReadFileBytes(StoredCopyOf(folder + "Unter\\b.txt")), "zwei");
  EXPECT_FALSE(PathExists(StoredCopyOf(folder + "c.dat")));
  EXPECT_TRUE(ui.Texts().empty());

  WriteFileBytes(folder + "a.txt", "EINS");  // same size, a new time
  RunFileBackup(rows, mrNoToAll);            // batch mode: nobody asked, nothing replaced
  EXPECT_EQ(ReadFileBytes(StoredCopyOf(folder + "a.txt")), "eins");
  ui.Answer(mrYes);
  RunFileBackup(rows);
  ASSERT_EQ(ui.Texts().size(), 1u);
  EXPECT_EQ(ui.Texts()[0].rfind("Die Datei existiert bereits im Zielordner.\r" + folder + "a.txt\r\rQuelle: 4 Bytes", 0), 0u);
  EXPECT_EQ(ReadFileBytes(StoredCopyOf(folder + "a.txt")), "EINS");
}
