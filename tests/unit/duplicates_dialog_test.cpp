// "Suche nach doppelten Dateien" in a real window: a scratch folder ticked in the
// dialog's drive tree, the search by content, the groups, one copy deleted after the
// question and one that changed since the search kept; a cancel of the next search.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/duplicates_dialog.h"
#include "core/identity.h"
#include "core/settings.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/temp_folder.h"
#include "support/settings_scope.h"
#include "support/ticked_tree.h"
#include "support/window_driver.h"

namespace {

TEST(DuplicatesDialog, SearchByContentDeleteACopyAndCancel) {
  SettingsScope settings("duplicates-dialog");
  WriteSetting("UseRecycleBin", 0);
  PumpingInteraction ui;
  TempFolder data;
  for (const char* f : {"a", "b", "c"}) {
    CreateDirectoryW(platform::Utf8ToWide(data.File(f)).c_str(), nullptr);
    WriteFileBytes(data.File(std::string(f) + "\\kopie.dll"), "gleicher Inhalt");
  }
  {
    TfDouble dialog;
    dialog.CreateHandle(nullptr);
    ShowWindow(dialog.Handle(), SW_SHOW);
    std::string folder = data.Path();
    folder.pop_back();
    TreeNode* node = FolderNode(dialog.Drives(), folder);
    ASSERT_NE(node, nullptr);
    dialog.DriveView().OnCheckClick(*node);
    SendMessageW(dialog.ContentRadio(), BM_CLICK, 0, 0);
    dialog.Search();
    ASSERT_EQ(dialog.Groups().Count(), 1);
    EXPECT_EQ(dialog.Groups().Text(0, 0), "kopie.dll");
    EXPECT_EQ(dialog.Groups().Text(0, 2), "3");
    ListView_SetItemState(dialog.Groups().View(), 0, LVIS_SELECTED, LVIS_SELECTED);
    ListViewControl& files = dialog.Files();
    ASSERT_EQ(files.Count(), 3);
    ListView_SetItemState(files.View(), 1, LVIS_SELECTED, LVIS_SELECTED);  // b: deleted
    ListView_SetItemState(files.View(), 2, LVIS_SELECTED, LVIS_SELECTED);  // c: changed meanwhile
    WriteFileBytes(data.File("c\\kopie.dll"), "anderer Inhalt");
    ui.Answer(mrOk);
    dialog.DeleteMarked();
    EXPECT_EQ(ui.Texts().front(), "Wollen Sie wirklich diese 2 Dateien löschen ?");
    EXPECT_FALSE(PathExists(data.File("b\\kopie.dll")));
    EXPECT_TRUE(PathExists(data.File("c\\kopie.dll")));
    EXPECT_EQ(ui.Texts().back().substr(ui.Texts().back().rfind('\r') + 1), data.File("c\\kopie.dll"));
    EXPECT_EQ(files.Count(), 2);
    // "Abbre&chen" in the middle of a second search: nothing listed, the button off again.
    HWND cancel = ButtonOf(dialog.Handle(), "Abbre&chen");
    PressWhenEnabled(cancel);
    EXPECT_THROW(dialog.Search(), EMyAbort);
    EXPECT_EQ(dialog.Groups().Count(), 0);
    EXPECT_FALSE(IsWindowEnabled(cancel));
  }
}

}  // namespace
