// "Temporäre Dateien suchen und löschen" in a real window: a definition on a folder of
// the test prefix, the search, the rows with their sizes, sorting by size both ways,
// one marked file deleted after its question, a cancel.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/temp_files_dialog.h"
#include "core/identity.h"
#include "core/settings.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/settings_scope.h"
#include "support/temp_folder.h"
#include "support/window_driver.h"

namespace {

// Then "Abbre&chen" pressed while the first of two definitions is searched: that one
// ends (its count stays empty), the second runs.
TEST(TempFilesDialog, SearchSortDeleteOneAndCancel) {
  SettingsScope settings("tempfiles-dialog");
  WriteSetting("UseRecycleBin", 0);
  PumpingInteraction ui;
  TempFolder data;
  WriteFileBytes(data.File("neun.tmp"), std::string(9, 'x'));
  WriteFileBytes(data.File("gross.tmp"), std::string(1024, 'x'));
  WriteFileBytes(data.File("mittel.tmp"), std::string(100, 'x'));
  TfTempfiles dialog;
  dialog.Rows() = {{"Test", data.Path(), "*.tmp", false, -1, {}}};
  dialog.CreateHandle(nullptr);
  ShowWindow(dialog.Handle(), SW_SHOW);
  dialog.Search();
  EXPECT_EQ(dialog.Definitions().Text(0, 4), "3");
  ListViewControl& found = dialog.Found();
  ASSERT_EQ(found.Count(), 3);
  auto order = [&] {
    std::vector<std::string> names;
    for (int i = 0; i < found.Count(); ++i) names.push_back(found.Text(i, 0).substr(data.Path().size()));
    return names;
  };
  dialog.SortBy(1);  // "Größe": 9 before 1024, whatever the texts say
  EXPECT_EQ(order(), (std::vector<std::string>{"neun.tmp", "mittel.tmp", "gross.tmp"}));
  dialog.SortBy(1);
  EXPECT_EQ(order(), (std::vector<std::string>{"gross.tmp", "mittel.tmp", "neun.tmp"}));
  ListView_SetItemState(found.View(), 0, LVIS_SELECTED, LVIS_SELECTED);  // "gross.tmp"
  ui.Answer(mrOk);
  dialog.DeleteMarked();
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Wollen Sie folgende Datei löschen ?\r" + data.File("gross.tmp")});
  EXPECT_FALSE(PathExists(data.File("gross.tmp")));
  EXPECT_EQ(found.Count(), 2);
  EXPECT_EQ(dialog.Rows()[0].Files.size(), 2u);

  for (int i = 0; i < 40; ++i) WriteFileBytes(data.File("f").append(std::to_string(i)).append(".tmp"), "x");
  dialog.Rows() = {{"eins", data.Path(), "*.tmp", false, -1, {}}, {"zwei", data.Path(), "*.tmp", false, -1, {}}};
  HWND cancel = ButtonOf(dialog.Handle(), "Abbre&chen");
  EXPECT_FALSE(IsWindowEnabled(cancel));
  PressWhenEnabled(cancel);
  dialog.Search();
  EXPECT_EQ(dialog.Definitions().Text(0, 4), "");
  EXPECT_EQ(dialog.Definitions().Text(1, 4), "42");
  EXPECT_EQ(ui.Texts().back(), "Vorgang abgebrochen !");
  EXPECT_FALSE(IsWindowEnabled(cancel));
}

}  // namespace
