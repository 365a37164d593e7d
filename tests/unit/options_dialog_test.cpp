// The dialog "Einstellungen" in a real window on a test settings key: "&Abbrechen"
// after editing every field writes nothing, "&Übernehmen" writes every field and a
// new dialog shows it again, the two delete options exclude each other, and the
// extension list ignores masks it has in another letter case.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>

#include "app/options_dialog.h"
#include "core/identity.h"
#include "core/settings.h"
#include "platform/text.h"
#include "support/window_driver.h"
#include "ui/caption_bar.h"

namespace {

const std::string kKey = "Software\\Velmoria\\QuitawayTests\\options";

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND button, bool on) { SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
void SetText(HWND control, const std::string& text) {
  SetWindowTextW(control, platform::Utf8ToWide(text).c_str());
}

std::vector<std::string> ListLines(HWND list) {
  std::vector<std::string> lines;
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t line[64] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
    lines.push_back(platform::WideToUtf8(line));
  }
  return lines;
}

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenSettingsRegistry(kKey);
    WriteBackAllSettings();
    language_ = ReadLanguageOverride();
  }
  void TearDown() override {
    WriteLanguageOverride(language_);
    CloseSettingsRegistry();
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str());
  }
  static std::map<std::string, SettingValue> Stored() {
    std::map<std::string, SettingValue> values;
    for (const SettingDef& def : SettingsTable()) values[def.name] = ReadSetting(def.name);
    return values;
  }
  // A dialog shown on the virtual display with every field changed.
  void EditEverything(TfOptions& dialog) {
    dialog.CreateHandle(nullptr);
    ShowWindow(dialog.Handle(), SW_SHOW);
    SetText(dialog.ControlOf("PathToSystemFiles"), "D:\\Start\\");
    SetText(dialog.ControlOf("DefaultText"), "<Vorgabe>");
    SetText(dialog.ControlOf("EmptyText"), "");
    SetText(dialog.ControlOf("BackupDir"), "D:\\Gelöscht\\");
    for (const char* box : {"ShowRegistryErrors", "ShowHints", "MakeDLLBackup", "UseDLLBackupRestore",
                            "StoreVersionInfo"})
      SetChecked(dialog.ControlOf(box), !Checked(dialog.ControlOf(box)));
    SetChecked(dialog.ControlOf("UseRecycleBin"), false);
    SetChecked(dialog.ControlOf("BackupFiles"), true);
    dialog.ShowPage(2);  // radio buttons are clicked where they are seen
    Click(dialog.Handle(), "alle Dateien beibehalten (nie löschen)");
    dialog.SetSwatchColour("CaptionColor", 0x123456);
    dialog.SetSwatchColour("CaptionTextInActive", 0x000080);
    SetText(dialog.ControlOf("ExtensionField"), "*.sys");
    Click(dialog.Handle(), "hinzufügen");
    SendMessageW(dialog.ControlOf("VersionExtList"), LB_SETCURSEL, 1, 0);  // "*.dll"
    Click(dialog.Handle(), "entfernen");
    dialog.ShowPage(5);
    Click(dialog.Handle(), "Deutsch (DE)");
  }
  std::string language_;
};

TEST_F(OptionsDialogTest, CancelWritesNothing) {
  WriteLanguageOverride("EN");
  const auto before = Stored();
  TfOptions dialog;
  EditEverything(dialog);
  Click(dialog.Handle(), "&Abbrechen");
  EXPECT_EQ(dialog.ModalResult(), 2);
  EXPECT_EQ(Stored(), before);
  EXPECT_EQ(ReadLanguageOverride(), "EN");
}

TEST_F(OptionsDialogTest, ApplyWritesEveryFieldAndTheDialogShowsItAgain) {
  SetCaptionColors({});
  {
    TfOptions dialog;
    EditEverything(dialog);
    Click(dialog.Handle(), "&Übernehmen");
    EXPECT_EQ(dialog.ModalResult(), 0) << "the dialog stays open";
  }
  const auto stored = Stored();
  const std::map<std::string, SettingValue> expected = {
      {"PathToSystemFiles", std::string("D:\\Start\\")}, {"DefaultText", std::string("<Vorgabe>")},
      {"EmptyText", std::string()}, {"ShowRegistryErrors", 1}, {"ShowHints", 0},
      {"HintColor", static_cast<int32_t>(0x80000018u)},  // the system colour stays one
      {"CaptionColor", 0x123456}, {"CaptionTextActive", 0xFFFFFF}, {"CaptionTextInActive", 0x000080},
      {"UseRecycleBin", 0}, {"BackupFiles", 1}, {"BackupDir", std::string("D:\\Gelöscht\\")},
      {"HandleSharedDLLs", 2}, {"MakeDLLBackup", 1}, {"UseDLLBackupRestore", 0}, {"StoreVersionInfo", 1},
      {"VersionExtList", std::string("*.exe\r\n*.ocx\r\n*.vbx\r\n*.sys")}};
  for (const auto& [name, value] : expected) {
    ASSERT_EQ(stored.count(name), 1u) << name;
    EXPECT_EQ(stored.at(name), value) << name;
  }
  EXPECT_EQ(GetCaptionColors().background, 0x123456);
  EXPECT_EQ(GetCaptionColors().textInactive, 0x000080);
  EXPECT_EQ(ReadLanguageOverride(), "DE");

  TfOptions again;
  again.CreateHandle(nullptr);
  EXPECT_EQ(TextOf(again.ControlOf("DefaultText")), "<Vorgabe>");
  EXPECT_TRUE(Checked(ButtonOf(again.Handle(), "alle Dateien beibehalten (nie löschen)")));
  EXPECT_FALSE(Checked(again.ControlOf("HandleSharedDLLs")));
  EXPECT_TRUE(Checked(ButtonOf(again.Handle(), "Deutsch (DE)")));
  EXPECT_EQ(again.SwatchColour("CaptionColor"), 0x123456);
  EXPECT_EQ(ListLines(again.ControlOf("VersionExtList")),
            (std::vector<std::string>{"*.exe", "*.ocx", "*.vbx", "*.sys"}));
}

// Into the recycle bin or into the backup folder, never both; the backup page's boxes
// count for the backup folder.
TEST_F(OptionsDialogTest, DeleteOptionsExcludeEachOther) {
  const struct {
    bool recycle, backup;
    const char* click;
    bool recycleAfter, backupAfter;
  } cases[] = {
      {false, true, "verschieben der Dateien in Papierkorb beim Löschen", true, false},
      {true, false, "Dateien sichern im nachfolgenden Verzeichnis", false, true},
      {true, true, "Verzeichnisse autom. sichern im nachfolgenden Verzeichnis", false, true},
      {true, true, "gesicherte Dateien beim Wiederherstellen verwenden", false, true},
      {true, false, "gesicherte Dateien beim Wiederherstellen verwenden", true, false},
  };
  TfOptions dialog;
  dialog.CreateHandle(nullptr);
  ShowWindow(dialog.Handle(), SW_SHOW);
  HWND recycle = dialog.ControlOf("UseRecycleBin"), backup = dialog.ControlOf("BackupFiles");
  for (const auto& c : cases) {
    SetChecked(recycle, c.recycle);
    SetChecked(backup, c.backup);
    Click(dialog.Handle(), c.click);
    EXPECT_EQ(Checked(recycle), c.recycleAfter) << c.click;
    EXPECT_EQ(Checked(backup), c.backupAfter) << c.click;
  }
}

TEST_F(OptionsDialogTest, ExtensionListTakesEachMaskOnceInAnyCase) {
  TfOptions dialog;
  dialog.CreateHandle(nullptr);
  ShowWindow(dialog.Handle(), SW_SHOW);
  HWND field = dialog.ControlOf("ExtensionField"), list = dialog.ControlOf("VersionExtList");
  for (const char* mask : {"*.EXE", "", "*.Dll", "*.cpl", "*.CPL"}) {
    SetText(field, mask);
    Click(dialog.Handle(), "hinzufügen");
  }
  EXPECT_EQ(ListLines(list), (std::vector<std::string>{"*.exe", "*.dll", "*.ocx", "*.vbx", "*.cpl"}));
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  Click(dialog.Handle(), "entfernen");  // nothing selected: nothing goes
  EXPECT_EQ(ListLines(list).size(), 5u);
}

}  // namespace
