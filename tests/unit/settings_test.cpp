// Settings: defaults, first-start write-back and the accessors, on a key of the test's own.
#include <gtest/gtest.h>

#include "core/identity.h"
#include "core/registry.h"
#include "core/settings.h"
#include "support/checks.h"

namespace {
constexpr wchar_t kKey[] = L"Software\\Velmoria\\QuitawayTests\\settings";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { TearDown(); OpenSettingsRegistry(platform::WideToUtf8(kKey)); }
  void TearDown() override { CloseSettingsRegistry(); RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
};

}  // namespace

TEST_F(SettingsTest, FirstStartWritesEverySettingWithItsDefaultAndKeepsChoices) {
  EXPECT_EQ(std::get<std::string>(ReadSettingDef("EmptyText", std::string("(leer)"))), "(leer)");
  EXPECT_EQ(ErrorOf([] { ReadSetting("ShowHints"); }), "Values have not been initialized - Value: ShowHints");
  WriteSetting("EmptyText", 7);                           // a number in a text row becomes text
  WriteSetting("HandleSharedDLLs", 2);
  WriteSetting("ShowHints", std::string("0"));            // text that is a number becomes that number
  WriteSetting("UseDLLBackupRestore", std::string("x"));  // text that is none gets the default
  WriteBackAllSettings();
  std::vector<std::string> names;
  SettingsRegistry().GetValueNames(names);
  EXPECT_EQ(names.size(), 18u);
  for (const SettingDef& row : SettingsTable())
    EXPECT_EQ(SettingsRegistry().GetDataType(row.name), row.kind == SettingKind::Text ? rdString : rdInteger);
  const std::pair<const char*, std::string> texts[] = {{"EmptyText", "7"}, {"DefaultText", "(Standard)"},
                                                       {"BackupDir", ProgramFolder()},
                                                       {"DLLBackupPath", ProgramFolder() + "DLLBackup\\"}};
  for (const auto& [name, value] : texts) EXPECT_EQ(ReadSettingText(name), value);
  const std::pair<const char*, uint32_t> numbers[] = {{"HintColor", 0x80000018u}, {"UseRecycleBin", 1},
                                                      {"BackupFiles", 0},         {"HandleSharedDLLs", 2},
                                                      {"ShowHints", 0},           {"UseDLLBackupRestore", 1}};
  for (const auto& [name, value] : numbers) EXPECT_EQ(static_cast<uint32_t>(ReadSettingInt(name)), value) << name;
}

TEST_F(SettingsTest, AccessorsConvertTextAndReportWhatTheyCannotRead) {
  const uint8_t bytes[] = {1, 2};
  SettingsRegistry().WriteBinaryData("Kaputt", bytes, rdBinary, 2);
  for (auto read : {+[] { ReadSettingDef("Kaputt", 0); }, +[] { ReadSetting("Kaputt"); }})
    EXPECT_EQ(ErrorOf(read), "Unbekannter VariablenTyp beim Lesen aus der Registry");
  WriteSetting("ShowHints", std::string("abc"));
  EXPECT_THROW(ReadSettingBool("ShowHints"), EConvertError);
  WriteSetting("ShowHints", std::string("7"));
  EXPECT_EQ(ReadSettingInt("ShowHints"), 7);
  CloseSettingsRegistry();
  EXPECT_EQ(ErrorOf([] { SettingsRegistry(); }), "Values have not been initialized - settings key not open");
}
