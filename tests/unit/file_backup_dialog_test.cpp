// "Dateien Backup" with its search definitions: the default row, a row added through
// "Suche definieren" (which refuses an empty mask), a run that copies into the store
// and counts, a second run that copies nothing, and the rows kept for next time.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/file_backup_dialog.h"
#include "app/search_definition_dialog.h"
#include "core/identity.h"
#include "core/settings.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/settings_scope.h"
#include "support/temp_folder.h"
#include "support/window_driver.h"

namespace {

class FileBackupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteSetting("DLLBackupPath", store_.Path()); }
  SettingsScope settings_{"filebackup-settings"};
  ScriptedInteraction ui_;
  TempFolder store_, data_;
};

TEST_F(FileBackupDialogTest, SearchDefinitionNeedsAFolderAndAMask) {
  const struct {
    std::string folder, mask;
    bool accepted;
  } cases[] = {{"  C:\\daten  ", " *.dll ", true}, {"C:\\daten", "  ", false}, {"", "*.*", false}};
  for (const auto& c : cases) {
    SearchDefinition d{"", c.folder, c.mask, false};
    const size_t shown = ui_.Texts().size();
    WhenShown([&](HWND dialog) {
      Click(dialog, "&Ok");                        // refused without a folder and a mask:
      if (!c.accepted) Click(dialog, "&Abbrechen");  // the box, and the dialog is still there
    });
    EXPECT_EQ(EditSearchDefinition(nullptr, d), c.accepted) << c.folder << "|" << c.mask;
    if (c.accepted) EXPECT_TRUE(d.Folder == "C:\\daten" && d.Mask == "*.dll") << d.Folder << "|" << d.Mask;
    else EXPECT_EQ(ui_.Texts().size(), shown + 1);
  }
}

TEST_F(FileBackupDialogTest, RunCopiesCountsAndKeepsTheRows) {
  WriteFileBytes(data_.File("a.dll"), "eins");
  WriteFileBytes(data_.File("b.dll"), "zwei");
  WriteFileBytes(data_.File("c.txt"), "drei");
  {
    TDLLBackUpFRM dialog;
    dialog.CreateHandle(nullptr);
    ASSERT_EQ(dialog.Rows().size(), 1u);  // the default: the system folder
    EXPECT_EQ(dialog.List().Text(0, 1), "Nein");
    EXPECT_EQ(dialog.List().Text(0, 2), "*.*");
    ListView_SetItemState(dialog.List().View(), 0, LVIS_SELECTED, LVIS_SELECTED);
    dialog.DeleteEntry();
    WhenShown([&](HWND d) {  // the fields in their order: description, folder, mask
      std::vector<HWND> fields;
      for (HWND c : Children(d))
        if (ClassOf(c) == "Edit") fields.push_back(c);
      ASSERT_EQ(fields.size(), 3u);
      EXPECT_EQ(TextOf(fields[2]), "*.*");
      SetWindowTextW(fields[1], platform::Utf8ToWide(data_.Path()).c_str());
      SetWindowTextW(fields[2], L"*.dll");
      Click(d, "&Ok");
    });
    dialog.NewEntry();
    ASSERT_EQ(dialog.Rows().size(), 1u);
    for (int run = 0; run < 2; ++run) {
      dialog.Run();
      EXPECT_EQ(dialog.List().Text(0, 3), "2") << "every matching file counts as found, run " << run;
    }
  }
  EXPECT_TRUE(PathExists(store_.File(data_.Path().substr(0, 1) + data_.Path().substr(2) + "a.dll")));
  EXPECT_FALSE(PathExists(store_.File(data_.Path().substr(0, 1) + data_.Path().substr(2) + "c.txt")));
  TDLLBackUpFRM again;
  ASSERT_EQ(again.Rows().size(), 1u);
  EXPECT_EQ(again.Rows()[0].Folder, data_.Path());
  EXPECT_EQ(again.Rows()[0].Mask, "*.dll");
}

}  // namespace
