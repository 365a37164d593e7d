// "Leere Ordner suchen" in a real window: a scratch folder ticked in the dialog's
// drive tree, the search, the rows, two of them deleted after the question, one of
// which got a file in the meantime and stays; a cancel of the next search.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/empty_folders_dialog.h"
#include "core/identity.h"
#include "core/settings.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/temp_folder.h"
#include "support/settings_scope.h"
#include "support/ticked_tree.h"
#include "support/window_driver.h"

namespace {

TEST(EmptyFoldersDialog, SearchListDeleteAndCancel) {
  SettingsScope settings("emptyfolders-dialog");
  WriteSetting("UseRecycleBin", 0);
  PumpingInteraction ui;
  TempFolder data;
  // The folders below "x"; the file beside it keeps everything above from counting as
  // empty (a folder that holds only empty folders is empty itself).
  for (const char* f : {"x", "x\\a", "x\\b", "x\\c"})
    CreateDirectoryW(platform::Utf8ToWide(data.File(f)).c_str(), nullptr);
  WriteFileBytes(data.File("bleibt.txt"), "x");
  {
    TEmptyFoldersFRM dialog;
    dialog.CreateHandle(nullptr);
    ShowWindow(dialog.Handle(), SW_SHOW);
    const std::string folder = data.File("x");
    // The drive node's text carries the drive's name: found by its letter.
    TreeNode* node = FolderNode(dialog.Drives(), folder);
    ASSERT_NE(node, nullptr);
    dialog.DriveView().OnCheckClick(*node);
    dialog.Search();
    ListViewControl& found = dialog.Found();
    std::string rows;
    for (int i = 0; i < found.Count(); ++i) rows += found.Text(i, 0) + "\n";
    ASSERT_EQ(found.Count(), 4) << rows;  // the three, then the folder that holds only them
    EXPECT_EQ(found.Text(0, 0), data.File("x\\a\\"));
    EXPECT_EQ(found.Text(3, 0), data.File("x\\"));
    ListView_SetItemState(found.View(), 0, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(found.View(), 1, LVIS_SELECTED, LVIS_SELECTED);
    WriteFileBytes(data.File("x\\b\\neu.txt"), "inzwischen");
    ui.Answer(mrOk);
    dialog.DeleteMarked();
    EXPECT_EQ(ui.Texts().front(), "Wollen Sie wirklich 2 leere Ordner löschen ?");
    EXPECT_EQ(ui.Texts().back().substr(ui.Texts().back().rfind('\r') + 1), data.File("x\\b\\"));
    EXPECT_FALSE(PathExists(data.File("x\\a")));
    EXPECT_TRUE(PathExists(data.File("x\\b\\neu.txt")));
    ASSERT_EQ(found.Count(), 3);  // "b" stays listed; "c" and the folder were not marked
    // "Abbre&chen" in the middle of a second search (enough entries for it to look):
    // nothing listed, the button off again.
    for (int i = 0; i < 30; ++i) WriteFileBytes(data.File("x\\b\\f").append(std::to_string(i)), "");
    HWND cancel = ButtonOf(dialog.Handle(), "Abbre&chen");
    PressWhenEnabled(cancel);
    EXPECT_THROW(dialog.Search(), EMyAbort);
    EXPECT_EQ(found.Count(), 0);
    EXPECT_FALSE(IsWindowEnabled(cancel));
  }
}

}  // namespace
