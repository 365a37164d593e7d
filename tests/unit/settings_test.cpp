// Settings: defaults, first-start write-back and the two accessors, on a settings
// key of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/exceptions.h"
#include "core/identity.h"
#include "core/registry.h"
#include "core/settings.h"
#include "platform/text.h"

namespace {

constexpr char kKey[] = "Software\\Velmoria\\QuitawayTests\\settings";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str());
    OpenSettingsRegistry(kKey);
  }
  void TearDown() override {
    CloseSettingsRegistry();
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str());
  }
};

}  // namespace

TEST_F(SettingsTest, FirstStartWritesEverySettingWithItsDefault) {
  TMyRegistry& reg = SettingsRegistry();
  std::vector<std::string> before;
  reg.GetValueNames(before);
  EXPECT_TRUE(before.empty());

  WriteBackAllSettings();

  const std::string folder = ProgramFolder();
  EXPECT_EQ(reg.ReadString("PathToSystemFiles"), "C:\\");
  EXPECT_EQ(reg.ReadString("DefaultText"), "(Standard)");
  EXPECT_EQ(reg.ReadString("EmptyText"), "(leer)");
  EXPECT_EQ(reg.ReadString("BackupDir"), folder);
  EXPECT_EQ(reg.ReadString("DLLBackupPath"), folder + "DLLBackup\\");
  EXPECT_EQ(reg.ReadString("VersionExtList"), "*.exe\r\n*.dll\r\n*.ocx\r\n*.vbx");
  EXPECT_EQ(static_cast<uint32_t>(reg.ReadInteger("HintColor")), 0x80000018u);
  EXPECT_EQ(reg.ReadInteger("CaptionColor"), 0);
  EXPECT_EQ(reg.ReadInteger("CaptionTextActive"), 0xFFFFFF);
  EXPECT_EQ(reg.ReadInteger("CaptionTextInActive"), 0xC0C0C0);
  const std::pair<const char*, int> numbers[] = {
      {"ShowRegistryErrors", 0}, {"ShowHints", 1},   {"UseRecycleBin", 1},       {"BackupFiles", 0},
      {"HandleSharedDLLs", 0},   {"MakeDLLBackup", 0}, {"UseDLLBackupRestore", 1}, {"StoreVersionInfo", 0}};
  for (const auto& [name, value] : numbers) {
    EXPECT_EQ(reg.GetDataType(name), rdInteger) << name;
    EXPECT_EQ(reg.ReadInteger(name), value) << name;
  }
  std::vector<std::string> after;
  reg.GetValueNames(after);
  EXPECT_EQ(after.size(), SettingsTable().size());
  EXPECT_EQ(after.size(), 18u);
}

TEST_F(SettingsTest, WriteBackKeepsWhatTheUserChose) {
  WriteSetting("BackupDir", std::string("D:\\Sicherung\\"));
  WriteSetting("HandleSharedDLLs", 2);
  WriteSetting("HintColor", static_cast<int32_t>(0x80000018u));
  WriteBackAllSettings();
  EXPECT_EQ(ReadSettingText("BackupDir"), "D:\\Sicherung\\");
  EXPECT_EQ(ReadSettingInt("HandleSharedDLLs"), 2);
  EXPECT_EQ(static_cast<uint32_t>(ReadSettingInt("HintColor")), 0x80000018u);
  EXPECT_TRUE(ReadSettingBool("UseRecycleBin"));
}

TEST_F(SettingsTest, AccessorsAndTheirMessages) {
  EXPECT_EQ(std::get<std::string>(ReadSettingDef("EmptyText", std::string("(leer)"))), "(leer)");
  EXPECT_EQ(std::get<int32_t>(ReadSettingDef("ShowHints", 1)), 1);
  try {
    ReadSetting("ShowHints");
    FAIL();
  } catch (const EMyRegistryException& e) {
    EXPECT_STREQ(e.what(), "Values have not been initialized - Value: ShowHints");
  }

  const uint8_t bytes[] = {1, 2};
  SettingsRegistry().WriteBinaryData("Kaputt", bytes, rdBinary, 2);
  for (auto read : {+[] { ReadSettingDef("Kaputt", 0); }, +[] { ReadSetting("Kaputt"); }}) {
    try {
      read();
      FAIL();
    } catch (const EMyRegistryException& e) {
      EXPECT_STREQ(e.what(), "Unbekannter VariablenTyp beim Lesen aus der Registry");
    }
  }

  WriteSetting("ShowHints", std::string("abc"));
  EXPECT_THROW(ReadSettingBool("ShowHints"), EConvertError);
  WriteSetting("ShowHints", std::string("0"));
  EXPECT_FALSE(ReadSettingBool("ShowHints"));
  WriteBackAllSettings();  // text in a number row that is a number stays that number
  EXPECT_EQ(SettingsRegistry().GetDataType("ShowHints"), rdInteger);
  EXPECT_FALSE(ReadSettingBool("ShowHints"));
}
