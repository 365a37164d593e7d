// The configuration and logfile commands on a workspace without a window: drive V:
// and HKEY_CURRENT_CONFIG watched, the program folder a temporary one.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/batch.h"
#include "app/commands.h"
#include "core/identity.h"
#include "core/settings.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "removal/file_store.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {
constexpr wchar_t kSettingsKey[] = L"Software\\Velmoria\\QuitawayTests\\commands";
using Names = std::vector<std::string>;

TreeNode* Mark(TreeNode* node, int32_t state) {
  node->SetStateIndex(state);
  return node;
}

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TearDown();
    OpenSettingsRegistry(platform::WideToUtf8(kSettingsKey));
    WriteBackAllSettings();
    ASSERT_TRUE(PathExists("V:\\")) << "test drive V: missing";
    ws_.ProgramFolder = folder_.Path();
    Mark(Mark(ws_.RegView.AddTop(kRegistryTop), stPartial)->AddChild("HKEY_CURRENT_CONFIG"), stChecked);
    Mark(Mark(ws_.DriveSel.AddTop(kDrivesTop), stPartial)->AddChild("V:"), stChecked);
    ws_.SystemSelect.AddTop(kSystemTop);
  }
  void TearDown() override {
    for (const wchar_t* f : {L"V:\\a.txt", L"V:\\b.txt"}) DeleteFileW(f);
    CloseSettingsRegistry();
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  }
  // The changed files of the current result: "name status".
  Names ChangedFiles() {
    Names names;
    if (TreeNode* drive = ws_.DriveResult.First() ? ws_.DriveResult.First()->FindChild("V:") : nullptr)
      for (const NodeRecord& r : ReadNodeRecords(ws_.Result, ResultSection::Drives, *drive))
        names.push_back(r.Name + " " + std::to_string(r.Status));
    return names;
  }

  TempFolder folder_;
  Workspace ws_;
  ScriptedInteraction ui_;
};

}  // namespace

TEST_F(CommandsTest, SanityChecksAskAndNeinEndsTheCommand) {
  TreeNode* reg = ws_.RegView.First();
  for (const char* root : {"HKEY_CLASSES_ROOT", "HKEY_USERS", "HKEY_DYN_DATA"}) Mark(reg->AddChild(root), stChecked);
  TreeNode* machine = Mark(Mark(reg->AddChild("HKEY_LOCAL_MACHINE"), stPartial)->AddChild("Software"), stPartial);
  Mark(machine->AddChild("Classes"), stChecked);
  Mark(reg->AddChild("HKEY_CURRENT_USER"), stPartial);
  ws_.DriveSel.First()->SetStateIndex(stUnchecked);
  for (int i = 0; i < 4; ++i) ui_.Answer(mrYes);
  RunSanityChecks(ws_);
  const Names starts = {
      "Sie haben keine Laufwerke zur Überwachung ausgewählt !\rWollen Sie trotzdem fortfahren ?",
      "Der Bereich HKEY_DYN_DATA sollte nicht überwacht werden !\r",
      "Die beiden Bereiche HKEY_CLASSES_ROOT und HKEY_LOCAL_MACHINE\\Software\\Classes\rsollten nicht",
      "Die beiden Bereiche HKEY_CURRENT_USER und HKEY_USERS\rsollten nicht gleichzeitig ausgewählt sein"};
  ASSERT_EQ(ui_.Messages().size(), starts.size());
  for (size_t i = 0; i < starts.size(); ++i)
    EXPECT_TRUE(ui_.Messages()[i].text.starts_with(starts[i])) << ui_.Messages()[i].text;
  ui_.Answer(mrNo);
  EXPECT_EQ(ErrorOf([&] { RunSanityChecks(ws_); }), "Vorgang abgebrochen !");
  reg->SetStateIndex(stUnchecked);
  ui_.Answer(mrYes);
  ui_.Answer(mrYes);
  RunSanityChecks(ws_, true);  // the first two only
  const Names texts = ui_.Texts();
  ASSERT_EQ(texts.size(), 7u);  // four, the one answered with "Nein", two
  EXPECT_EQ(texts[5],
            "Sie haben keine Schlüssel der Registry zur Überwachung gewählt!\rWollen Sie trotzdem fortfahren ?");
}

TEST_F(CommandsTest, StoringTwiceKeepsABackupThatCanBeRestored) {
  const std::string stored = ws_.DataFile(kOldConfigFile), backup = ws_.DataFile(kOldConfigBackup);
  RestoreSavedConfiguration(ws_);
  EXPECT_EQ(ui_.Texts(), Names{"Die benötigte Datei:OLDCFG.BAK existiert nicht !\rdas Wiederherstellen ist nicht "
                               "möglich."});
  StoreConfiguration(ws_);
  const std::string first = ReadFileBytes(stored);
  EXPECT_FALSE(PathExists(backup));
  WriteFileBytes("V:\\b.txt", "zwei");
  StoreConfiguration(ws_);
  EXPECT_EQ(ReadFileBytes(backup), first);
  EXPECT_NE(ReadFileBytes(stored), first);
  ui_.Answer(mrNo);  // keeps everything
  RestoreSavedConfiguration(ws_);
  EXPECT_TRUE(PathExists(backup));
  ui_.Answer(mrYes);
  RestoreSavedConfiguration(ws_);
  EXPECT_EQ(ReadFileBytes(stored), first);
  EXPECT_FALSE(PathExists(backup));
  EXPECT_EQ(ui_.Texts().back(), "Wollen Sie die aktuelle gespeicherte Konfiguration (OLDCFG.TSD)\rdurch die "
                                "erstellte Sicherheitskopie (OLDCFG.BAK) ersetzen ?");
}

TEST_F(CommandsTest, LogfilesNeedAStoredConfigurationAndANameAndIncrementalOnesMoveItOn) {
  EXPECT_EQ(ErrorOf([&] { CreateLogfile(ws_, folder_.File("log.TSL")); }),
            "Bitte speichern Sie zuerst die aktuelle Konfiguration\r(`aktuelle Konfiguration speichern` zuerst "
            "benutzen, siehe Hilfedatei !");
  StoreConfiguration(ws_);
  EXPECT_EQ(ErrorOf([&] { CreateLogfile(ws_, ""); }), "Bitte geben Sie einen Dateinamen an !");
  EXPECT_FALSE(PathExists(ws_.DataFile(kNewConfigFile)));  // refused before anything is written
  WriteFileBytes("V:\\a.txt", "A");
  CreateLogfile(ws_, folder_.File("log.TSL"));
  EXPECT_EQ(ws_.CurrentResultFile(), folder_.File("log.TSL"));
  EXPECT_EQ(ChangedFiles(), Names{"a.txt 9"});
  EXPECT_TRUE(ws_.DriveResult.First()->Expanded());
  IncrementalCompare(ws_, folder_.File("eins.TSL"));  // still from the stored state
  EXPECT_EQ(ChangedFiles(), Names{"a.txt 9"});
  EXPECT_FALSE(PathExists(ws_.DataFile(kNewConfigFile)));  // it became the stored configuration
  WriteFileBytes("V:\\b.txt", "B");
  IncrementalCompare(ws_, folder_.File("zwei.TSL"));
  EXPECT_EQ(ChangedFiles(), Names{"b.txt 9"});
  LoadResult(ws_, folder_.File("eins.TSL"));
  EXPECT_EQ(ChangedFiles(), Names{"a.txt 9"});
  EXPECT_TRUE(ws_.SelectionModified);
  SaveSelection(ws_, folder_.File("andere.TSS"));  // only the default selection leaves it unmodified
  SaveSelection(ws_, ws_.DataFile(kLastSelectionFile));
  LoadSelection(ws_, folder_.File("andere.TSS"));
  EXPECT_TRUE(ws_.SelectionModified);
  LoadSelection(ws_, ws_.DataFile(kLastSelectionFile));
  EXPECT_FALSE(ws_.SelectionModified);
}

TEST(Batch, CommandLinesAndResultNames) {
  for (const Names& args : {Names{"STORECONFIG"}, {"/storeconfig", "x.TSD"}, {"compare", "log", "a", "b"},
                            {"/EXPORTTEXT", "log"}})
    EXPECT_TRUE(IsBatchCommand(args)) << ::testing::PrintToString(args);
  for (const Names& args : {Names{"STORECONFIG", "a", "b"}, {"COMPARE"}, {"COMPARE", "log", "a", "b", "c"},
                            {"UNINSTALL", "a", "b"} /* starts the program normally */, {"Datei.TSL"}, {}})
    EXPECT_FALSE(IsBatchCommand(args)) << ::testing::PrintToString(args);
  EXPECT_EQ(BatchResultName("log"), (std::filesystem::current_path() / "log.TSL").string());
  EXPECT_EQ(BatchResultName("C:\\x\\Install.tsl"), "C:\\x\\Install.tsl");
  EXPECT_EQ(BatchResultName("C:\\x\\a.b"), "C:\\x\\a.b.TSL");
}

// A file held open by another program (no delete sharing) cannot be moved.
HANDLE HoldOpen(const std::string& path) {
  return CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

TEST_F(CommandsTest, AConfigurationThatCannotBeMovedCostsNoOtherFile) {
  const std::string stored = ws_.DataFile(kOldConfigFile), backup = ws_.DataFile(kOldConfigBackup);
  StoreConfiguration(ws_);
  WriteFileBytes("V:\\a.txt", "A");
  StoreConfiguration(ws_);
  const std::string storedBytes = ReadFileBytes(stored), backupBytes = ReadFileBytes(backup);
  HANDLE held = HoldOpen(stored);  // storing again cannot move it to the backup
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(StoreConfiguration(ws_), platform::EStreamError);
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(backup), backupBytes);
  held = HoldOpen(backup);  // restoring cannot move the backup: reported, nothing lost
  ui_.Answer(mrYes);
  EXPECT_THROW(RestoreSavedConfiguration(ws_), platform::EStreamError);
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(stored), storedBytes);
  EXPECT_EQ(ReadFileBytes(backup), backupBytes);
}

TEST_F(CommandsTest, BatchModeFailsWhenAWorkerStoppedWithAnError) {
  ws_.SystemSelect.First()->AddChild("ohne Art")->SetStateIndex(stChecked);
  const std::string target = folder_.File("x.TSD");
  EXPECT_EQ(RunBatchCommand(ws_, {"STORECONFIG", target}, nullptr), 1);
  EXPECT_TRUE(PathExists(target));  // written all the same, with what the workers produced
}

TEST_F(CommandsTest, BatchStoreConfigKeepsTheFileBackupStoreUpToDate) {
  WriteSetting("MakeDLLBackup", 1);
  WriteSetting("DLLBackupPath", folder_.File("Lager"));
  SaveBackupDefinitions({{"V:\\", false, "*.txt"}});
  WriteFileBytes("V:\\a.txt", "vorher");
  EXPECT_EQ(RunBatchCommand(ws_, {"STORECONFIG", folder_.File("x.TSD")}, nullptr), 0);
  WriteFileBytes("V:\\a.txt", "danach");  // stored again, nobody asked
  EXPECT_EQ(RunBatchCommand(ws_, {"STORECONFIG", folder_.File("x.TSD")}, nullptr), 0);
  EXPECT_EQ(ReadFileBytes(StoredCopyOf("V:\\a.txt")), "danach");
}

TEST_F(CommandsTest, BatchCreateInstallWritesEveryFileBesideTheLog) {
  ScriptedInteraction ui;
  StoreConfiguration(ws_);
  WriteFileBytes("V:\\a.txt", "neu");
  CreateLogfile(ws_, folder_.File("log.TSL"));
  EXPECT_EQ(RunBatchCommand(ws_, {"CREATEINSTALL", folder_.File("log")}, nullptr), 0);
  for (const char* file : {"log.REG", "log.VBS", "log_add.INF"}) EXPECT_TRUE(PathExists(folder_.File(file))) << file;
  EXPECT_EQ(ReadFileBytes(folder_.File("log\\V\\a.txt")), "neu");  // the new file at its place in the copy
}

namespace {

TEST_F(CommandsTest, FilesAreAddedToTheNoCheckListOnce) {
  ws_.NoCheck = {"C:\\pagefile.sys"};
  EXPECT_EQ(AddToNoCheck(ws_, {"c:\\PAGEFILE.SYS", "C:\\a.txt", "C:\\b.txt"}), 2);
  EXPECT_EQ(ws_.NoCheck, (Names{"C:\\pagefile.sys", "C:\\a.txt", "C:\\b.txt"}));
  EXPECT_TRUE(ws_.SelectionModified);
  ASSERT_EQ(ui_.Texts().size(), 1u);
  EXPECT_EQ(ui_.Texts()[0], "2 Dateien zur `nicht prüfen`-Liste hinzugefügt");
}

}  // namespace
