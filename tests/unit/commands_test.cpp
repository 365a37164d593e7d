// The configuration and logfile commands on a workspace without a window: drive V:
// and HKEY_CURRENT_CONFIG watched, the program folder a temporary one.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/batch.h"
#include "app/commands.h"
#include "app/workspace.h"
#include "core/exceptions.h"
#include "core/identity.h"
#include "core/settings.h"
#include "platform/files.h"
#include "platform/text.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

constexpr char kSettingsKey[] = "Software\\Velmoria\\QuitawayTests\\commands";

TreeNode* Child(TreeNode* parent, const std::string& text, int32_t state) {
  TreeNode* n = parent->AddChild(text);
  n->SetStateIndex(state);
  return n;
}

void ClearDriveV() {
  for (const wchar_t* f : {L"V:\\a.txt", L"V:\\b.txt"}) DeleteFileW(f);
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(platform::Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kSettingsKey).c_str());
    OpenSettingsRegistry(kSettingsKey);
    WriteBackAllSettings();
    ASSERT_NE(GetFileAttributesW(L"V:\\"), INVALID_FILE_ATTRIBUTES) << "test drive V: missing";
    ClearDriveV();
    ws_.ProgramFolder = folder_.Path();
    TreeNode* reg = ws_.RegView.AddTop(kRegistryTop);
    reg->SetStateIndex(stPartial);
    Child(reg, "HKEY_CURRENT_CONFIG", stChecked);
    TreeNode* drives = ws_.DriveSel.AddTop(kDrivesTop);
    drives->SetStateIndex(stPartial);
    Child(drives, "V:", stChecked);
    ws_.SystemSelect.AddTop(kSystemTop);
  }
  void TearDown() override {
    ClearDriveV();
    CloseSettingsRegistry();
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kSettingsKey).c_str());
  }

  std::vector<std::string> ChangedFiles() {
    std::vector<std::string> names;
    TreeNode* drive = ws_.DriveResult.First() ? ws_.DriveResult.First()->FindChild("V:") : nullptr;
    if (drive == nullptr) return names;
    for (const NodeRecord& r : ReadNodeRecords(ws_.Result, ResultSection::Drives, *drive))
      names.push_back(r.Name + " " + std::to_string(r.Status));
    return names;
  }

  TempFolder folder_;
  Workspace ws_;
};

}  // namespace

TEST_F(CommandsTest, SanityChecksAskAndNeinEndsTheCommand) {
  Workspace ws;
  TreeNode* reg = ws.RegView.AddTop(kRegistryTop);
  reg->SetStateIndex(stPartial);
  Child(reg, "HKEY_CLASSES_ROOT", stChecked);
  Child(Child(Child(reg, "HKEY_LOCAL_MACHINE", stPartial), "Software", stPartial), "Classes", stChecked);
  Child(reg, "HKEY_CURRENT_USER", stPartial);
  Child(reg, "HKEY_USERS", stChecked);
  Child(reg, "HKEY_DYN_DATA", stChecked);
  ws.DriveSel.AddTop(kDrivesTop)->SetStateIndex(stUnchecked);
  {
    ScriptedInteraction ui;
    for (int i = 0; i < 4; ++i) ui.Answer(mrYes);
    RunSanityChecks(ws);
    const auto texts = ui.Texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "Sie haben keine Laufwerke zur Überwachung ausgewählt !\rWollen Sie trotzdem fortfahren ?");
    EXPECT_EQ(texts[1].rfind("Der Bereich HKEY_DYN_DATA sollte nicht überwacht werden !\r", 0), 0u);
    EXPECT_EQ(texts[2].rfind("Die beiden Bereiche HKEY_CLASSES_ROOT und HKEY_LOCAL_MACHINE\\Software\\Classes\r"
                             "sollten nicht gleichzeitig ausgewählt sein",
                             0),
              0u);
    EXPECT_EQ(texts[3].rfind("Die beiden Bereiche HKEY_CURRENT_USER und HKEY_USERS\rsollten nicht gleichzeitig "
                             "ausgewählt sein",
                             0),
              0u);
    for (const auto& m : ui.Messages()) EXPECT_EQ(m.type, mtConfirmation);
  }
  {
    ScriptedInteraction ui;
    ui.Answer(mrNo);
    try {
      RunSanityChecks(ws);
      FAIL() << "no abort";
    } catch (const EMyAbort& e) {
      EXPECT_STREQ(e.what(), "Vorgang abgebrochen !");
    }
    EXPECT_EQ(ui.Messages().size(), 1u);
  }
  {
    ScriptedInteraction ui;  // the first two only
    ws.RegView.First()->SetStateIndex(stUnchecked);
    ui.Answer(mrYes);
    ui.Answer(mrYes);
    RunSanityChecks(ws, true);
    ASSERT_EQ(ui.Texts().size(), 2u);
    EXPECT_EQ(ui.Texts()[0],
              "Sie haben keine Schlüssel der Registry zur Überwachung gewählt!\rWollen Sie trotzdem fortfahren ?");
  }
}

TEST_F(CommandsTest, StoringTwiceKeepsABackupThatCanBeRestored) {
  ScriptedInteraction ui;
  const std::string stored = ws_.DataFile(kOldConfigFile), backup = ws_.DataFile(kOldConfigBackup);
  RestoreSavedConfiguration(ws_);
  ASSERT_EQ(ui.Texts().size(), 1u);
  EXPECT_EQ(ui.Texts()[0], "Die benötigte Datei:OLDCFG.BAK existiert nicht !\rdas Wiederherstellen ist nicht möglich.");

  WriteFileBytes("V:\\a.txt", "eins");
  StoreConfiguration(ws_);
  const std::string first = ReadFileBytes(stored);
  ASSERT_FALSE(first.empty());
  EXPECT_FALSE(Exists(backup));
  WriteFileBytes("V:\\b.txt", "zwei");
  StoreConfiguration(ws_);
  EXPECT_EQ(ReadFileBytes(backup), first);
  EXPECT_NE(ReadFileBytes(stored), first);

  ui.Answer(mrNo);  // keeps everything
  RestoreSavedConfiguration(ws_);
  EXPECT_TRUE(Exists(backup));
  ui.Answer(mrYes);
  RestoreSavedConfiguration(ws_);
  EXPECT_EQ(ReadFileBytes(stored), first);
  EXPECT_FALSE(Exists(backup));
  EXPECT_EQ(ui.Texts().back(),
            "Wollen Sie die aktuelle gespeicherte Konfiguration (OLDCFG.TSD)\rdurch die erstellte Sicherheitskopie "
            "(OLDCFG.BAK) ersetzen ?");
}

TEST_F(CommandsTest, LogfilesNeedAStoredConfigurationAndAName) {
  ScriptedInteraction ui;
  try {
    CreateLogfile(ws_, folder_.File("log.TSL"));
    FAIL() << "no error";
  } catch (const EQuitawayError& e) {
    EXPECT_STREQ(e.what(), "Bitte speichern Sie zuerst die aktuelle Konfiguration\r(`aktuelle Konfiguration "
                           "speichern` zuerst benutzen, siehe Hilfedatei !");
  }
  EXPECT_FALSE(Exists(ws_.DataFile(kNewConfigFile)));
  StoreConfiguration(ws_);
  try {
    CreateLogfile(ws_, "");
    FAIL() << "no error";
  } catch (const EQuitawayError& e) {
    EXPECT_STREQ(e.what(), "Bitte geben Sie einen Dateinamen an !");
  }
  EXPECT_FALSE(Exists(ws_.DataFile(kNewConfigFile)));

  WriteFileBytes("V:\\a.txt", "neu");
  CreateLogfile(ws_, folder_.File("log.TSL"));
  EXPECT_EQ(ws_.CurrentResultFile(), folder_.File("log.TSL"));
  EXPECT_EQ(ChangedFiles(), (std::vector<std::string>{"a.txt 9"}));
  EXPECT_TRUE(ws_.DriveResult.First()->Expanded());
}

TEST_F(CommandsTest, IncrementalComparesStartFromTheStateRecordedBefore) {
  ScriptedInteraction ui;
  StoreConfiguration(ws_);
  WriteFileBytes("V:\\a.txt", "A");
  IncrementalCompare(ws_, folder_.File("eins.TSL"));
  EXPECT_EQ(ChangedFiles(), (std::vector<std::string>{"a.txt 9"}));
  EXPECT_FALSE(Exists(ws_.DataFile(kNewConfigFile)));  // it became the stored configuration
  WriteFileBytes("V:\\b.txt", "B");
  IncrementalCompare(ws_, folder_.File("zwei.TSL"));
  EXPECT_EQ(ChangedFiles(), (std::vector<std::string>{"b.txt 9"}));

  // The first log loads back as the current result.
  LoadResult(ws_, folder_.File("eins.TSL"));
  EXPECT_EQ(ws_.CurrentResultFile(), folder_.File("eins.TSL"));
  EXPECT_EQ(ChangedFiles(), (std::vector<std::string>{"a.txt 9"}));
  EXPECT_TRUE(ws_.SelectionModified);
}

TEST_F(CommandsTest, SelectionFilesAndTheModifiedFlag) {
  ScriptedInteraction ui;
  const std::string last = ws_.DataFile(kLastSelectionFile);
  SaveSelection(ws_, last);
  SaveSelection(ws_, folder_.File("andere.TSS"));
  ws_.SelectionModified = true;
  LoadSelection(ws_, last);
  EXPECT_FALSE(ws_.SelectionModified);
  LoadSelection(ws_, folder_.File("andere.TSS"));
  EXPECT_TRUE(ws_.SelectionModified);
  EXPECT_EQ(ws_.RegView.First()->Child(0)->Text(), "HKEY_CURRENT_CONFIG");
}

TEST(Batch, CommandLinesAndResultNames) {
  EXPECT_TRUE(IsBatchCommand({"STORECONFIG"}));
  EXPECT_TRUE(IsBatchCommand({"/storeconfig", "x.TSD"}));
  EXPECT_FALSE(IsBatchCommand({"STORECONFIG", "a", "b"}));
  EXPECT_FALSE(IsBatchCommand({"COMPARE"}));
  EXPECT_TRUE(IsBatchCommand({"compare", "log", "a", "b"}));
  EXPECT_FALSE(IsBatchCommand({"COMPARE", "log", "a", "b", "c"}));
  EXPECT_FALSE(IsBatchCommand({"UNINSTALL", "a", "b"}));  // starts the program normally
  EXPECT_TRUE(IsBatchCommand({"/EXPORTTEXT", "log"}));
  EXPECT_FALSE(IsBatchCommand({"Datei.TSL"}));
  EXPECT_FALSE(IsBatchCommand({}));

  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  std::string folder = platform::WideToUtf8(current);
  if (folder.back() != '\\') folder += '\\';
  EXPECT_EQ(BatchResultName("log"), folder + "log.TSL");
  EXPECT_EQ(BatchResultName("C:\\x\\Install.tsl"), "C:\\x\\Install.tsl");
  EXPECT_EQ(BatchResultName("C:\\x\\a.b"), "C:\\x\\a.b.TSL");
  EXPECT_NE(CommandLineHelpText().find("STORECONFIG [filename]\r"), std::string::npos);
}

// A file held open by another program (no delete sharing) cannot be moved.
HANDLE HoldOpen(const std::string& path) {
  return CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

TEST_F(CommandsTest, AConfigurationThatCannotBeMovedCostsNoOtherFile) {
  ScriptedInteraction ui;
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
  ui.Answer(mrYes);
  EXPECT_THROW(RestoreSavedConfiguration(ws_), platform::EStreamError);
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(stored), storedBytes);
  EXPECT_EQ(ReadFileBytes(backup), backupBytes);
}

TEST_F(CommandsTest, BatchModeFailsWhenAWorkerStoppedWithAnError) {
  ws_.SystemSelect.First()->AddChild("ohne Art")->SetStateIndex(stChecked);
  const std::string target = folder_.File("x.TSD");
  EXPECT_EQ(RunBatchCommand(ws_, {"STORECONFIG", target}, nullptr), 1);
  EXPECT_TRUE(Exists(target));  // written all the same, with what the workers produced
}
