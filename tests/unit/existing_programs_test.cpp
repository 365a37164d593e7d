// The program remover's engine on the real registry and folders of the test prefix:
// the places it refuses, and a program laid out by the test (program folder, start-menu
// folder with a link, keys of the current user and the machine, a file extension with
// its type) ticked in selection trees, planned and removed with nothing else touched.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/registry.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "snapshot/selection_trees.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/settings_scope.h"
#include "support/temp_folder.h"
#include "support/ticked_tree.h"
#include "tools/existing_programs.h"

namespace {

const std::string kVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kShell = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool KeyExists(HKEY root, const std::string& key) {
  HKEY h;
  if (RegOpenKeyExW(root, platform::Utf8ToWide(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

void MakeKey(HKEY root, const std::string& key, const std::string& defaultValue = "") {
  TMyRegistry reg(raWrite);
  reg.SetRootKey(root);
  ASSERT_TRUE(reg.OpenKey(key, true));
  if (!defaultValue.empty()) reg.WriteString("", defaultValue);
}

TEST(ExistingPrograms, ProtectedPlacesAreRefused) {
  const std::vector<std::string> folders = ProtectedFolders();
  const std::string programs = ReadRegistryString(HKEY_LOCAL_MACHINE, kVersion, "ProgramFilesDir", true);
  const std::string menu = ReadRegistryString(HKEY_CURRENT_USER, kShell, "Programs", true);
  const std::string profile = ReadRegistryString(HKEY_CURRENT_USER, kShell, "Personal", true);
  const std::string windows = platform::WindowsFolder();
  const struct {
    std::string folder;
    bool refused;
  } folderCases[] = {{"C:", true},
                     {"C:\\", true},
                     {windows, true},
                     {windows + "\\system32", true},
                     {programs, true},
                     {programs + "\\", true},
                     {menu, true},
                     {profile.substr(0, profile.rfind('\\')), true},
                     {programs.substr(0, 3) + "users", true},
                     {programs + "\\QwTest", false},
                     {menu + "\\QwTest", false},
                     {windows + "x", false}};
  for (const auto& c : folderCases) EXPECT_EQ(FolderIsProtected(c.folder, folders), c.refused) << c.folder;
  const struct {
    const char* key;
    bool refused;
  } keyCases[] = {{"HKEY_LOCAL_MACHINE", true},
                  {"HKEY_LOCAL_MACHINE\\SOFTWARE", true},
                  {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft", true},
                  {"HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Classes", true},
                  {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet", true},
                  {"HKEY_CURRENT_USER\\Software\\Classes", true},
                  {"HKEY_USERS\\.DEFAULT\\Software", true},
                  {"HKEY_CLASSES_ROOT\\CLSID", true},
                  {"HKEY_LOCAL_MACHINE\\SOFTWARE\\QwTest", false},
                  {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\QwTest", false},
                  {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QwTest", false},
                  {"HKEY_USERS\\.DEFAULT\\Software\\QwTest", false},
                  {"HKEY_CLASSES_ROOT\\.qwtp", false},
                  {"HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-0000000000AA}", false}};
  for (const auto& c : keyCases) EXPECT_EQ(KeyIsProtected(c.key), c.refused) << c.key;
}

class ProgramLaidOut : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSetting("UseRecycleBin", 0);
    WriteSetting("BackupFiles", 0);
    programs_ = ReadRegistryString(HKEY_LOCAL_MACHINE, kVersion, "ProgramFilesDir", true);
    menu_ = ReadRegistryString(HKEY_CURRENT_USER, kShell, "Programs", true);
    for (const std::string& f : {programs_ + "\\QwTestProg", programs_ + "\\QwTestProg\\daten",
                                 programs_ + "\\QwTestAndere", menu_ + "\\QwTestProg"})
      CreateDirectoryW(platform::Utf8ToWide(f).c_str(), nullptr);
    WriteFileBytes(programs_ + "\\QwTestProg\\prog.exe", "MZ");
    WriteFileBytes(programs_ + "\\QwTestProg\\daten\\a.dat", "x");
    WriteFileBytes(menu_ + "\\QwTestProg\\QwTestProg.lnk", "L");
    MakeKey(HKEY_CURRENT_USER, "Software\\QwTestVendor\\QwTestProg\\Optionen");
    MakeKey(HKEY_CURRENT_USER, "Software\\QwTestVendor\\QwTestAndere");
    MakeKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\QwTestProg");
    for (const char* ext : {".qwtp", ".qwtq"}) MakeKey(HKEY_CLASSES_ROOT, ext, "QwTestProg.Dokument");
    MakeKey(HKEY_CLASSES_ROOT, "QwTestProg.Dokument\\shell\\open\\command", "prog.exe %1");
    BuildDriveTree(drives_);
    BuildRegistryTree(registry_);
  }
  void TearDown() override {
    for (const std::string& f : {programs_ + "\\QwTestProg", programs_ + "\\QwTestAndere", menu_ + "\\QwTestProg"})
      if (PathExists(f)) RemoveFolderContent(f + "\\"), RemoveDirectoryW(platform::Utf8ToWide(f).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QwTestVendor");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QwTestProg");
    for (const wchar_t* k : {L".qwtp", L".qwtq", L"QwTestProg.Dokument"}) RegDeleteTreeW(HKEY_CLASSES_ROOT, k);
  }
  void TickFolder(const std::string& folder) {
    TreeNode* node = FolderNode(drives_, folder);
    ASSERT_NE(node, nullptr) << folder;
    ToggleCheck(*node);
  }
  TreeNode* Key(const std::string& key) { return FindNodeByPath(key, registry_, false, true); }
  void TickKey(const std::string& key) {
    TreeNode* node = Key(key);
    ASSERT_NE(node, nullptr) << key;
    ToggleCheck(*node);
  }
  SettingsScope settings_{"existing-programs"};
  ScriptedInteraction ui_;
  Tree drives_, registry_;
  std::string programs_, menu_;
};

TEST_F(ProgramLaidOut, IsRemovedCompletelyWithNothingElseTouched) {
  TickFolder(programs_ + "\\QwTestProg\\daten");  // then its folder: only the folder is planned
  TickFolder(programs_ + "\\QwTestProg");
  TickFolder(menu_ + "\\QwTestProg");
  TickFolder(platform::WindowsFolder());  // refused
  TickKey("HKEY_CURRENT_USER\\Software\\QwTestVendor\\QwTestProg");
  TickKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\QwTestProg");
  TickKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft");  // refused
  // The extension's type, and the other extension of that type.
  TreeNode* classes = Key("HKEY_CLASSES_ROOT");
  ASSERT_NE(classes, nullptr);
  EXPECT_EQ(FileTypeOf(".qwtp"), "QwTestProg.Dokument");
  TickKey("HKEY_CLASSES_ROOT\\.qwtp");
  TickKey("HKEY_CLASSES_ROOT\\QwTestProg.Dokument");
  std::vector<TreeNode*> others = ExtensionsOfType(*classes, "qwtestprog.dokument");
  ASSERT_EQ(others.size(), 1u);
  EXPECT_EQ(others[0]->Text(), ".qwtq");
  ToggleCheck(*others[0]);

  std::vector<PlannedAction> plan;
  PlanDeletions(drives_, ActionKind::Folder, ProtectedFolders(), plan);
  PlanDeletions(registry_, ActionKind::RegistryKey, {}, plan);
  std::vector<std::string> planned, refused;
  for (const PlannedAction& a : plan) (a.Refused ? refused : planned).push_back(a.Path);
  std::sort(planned.begin(), planned.end());
  std::vector<std::string> expected = {programs_ + "\\QwTestProg",
                                       menu_ + "\\QwTestProg",
                                       "HKEY_CURRENT_USER\\Software\\QwTestVendor\\QwTestProg",
                                       "HKEY_LOCAL_MACHINE\\Software\\QwTestProg",
                                       "HKEY_CLASSES_ROOT\\.qwtp",
                                       "HKEY_CLASSES_ROOT\\.qwtq",
                                       "HKEY_CLASSES_ROOT\\QwTestProg.Dokument"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(planned, expected);
  EXPECT_EQ(refused.size(), 2u);
  // A refused row stays undone even when ticked by hand.
  TempFolder scratch;
  plan.push_back({ActionKind::Folder, scratch.Path(), true, true, "geschützt, wird nicht gelöscht"});

  CarryOutDeletions(plan);
  for (const PlannedAction& a : plan)
    EXPECT_EQ(a.Status, a.Refused ? "geschützt, wird nicht gelöscht" : "Ok, fertig") << a.Path;
  for (const std::string& f : {programs_ + "\\QwTestProg", menu_ + "\\QwTestProg"}) EXPECT_FALSE(PathExists(f)) << f;
  EXPECT_TRUE(PathExists(programs_ + "\\QwTestAndere"));
  EXPECT_TRUE(PathExists(scratch.Path()));
  EXPECT_TRUE(PathExists(platform::WindowsFolder()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\QwTestVendor\\QwTestProg"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\QwTestVendor\\QwTestAndere"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\QwTestProg"));
  for (const char* k : {".qwtp", ".qwtq", "QwTestProg.Dokument"}) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, k)) << k;
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft"));
}

}  // namespace
