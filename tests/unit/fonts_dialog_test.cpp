// "Schriften löschen" in a real window: the fonts listed, a font's TrueType information
// previewed, a font installed by the test uninstalled after the question.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/fonts_dialog.h"
#include "core/identity.h"
#include "support/checks.h"
#include "support/settings_scope.h"
#include "support/window_driver.h"

namespace {

TEST(FontsDialog, PreviewAndUninstallOne) {
  SettingsScope settings("fonts-dialog");
  WriteSetting("UseRecycleBin", 0);
  PumpingInteraction ui;
  const std::string path = FontsFolder() + "qwtest-dialog.ttf", name = "QW Test Dialog (TrueType)";
  CopyFileW(platform::Utf8ToWide(FontsFolder() + "tahomabd.ttf").c_str(), platform::Utf8ToWide(path).c_str(), FALSE);
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, platform::Utf8ToWide(FontKey()).c_str(), platform::Utf8ToWide(name).c_str(),
                  REG_SZ, L"qwtest-dialog.ttf", 36);
  TDelFontsFRM dialog;
  dialog.CreateHandle(nullptr);
  ShowWindow(dialog.Handle(), SW_SHOW);
  ListViewControl& list = dialog.FontView();
  LVFINDINFOW find{LVFI_STRING, L"QW Test Dialog (TrueType)", 0, {}, 0};
  auto rowOf = [&] { return ListView_FindItem(list.View(), -1, &find); };
  const int row = rowOf(), count = list.Count();
  ASSERT_GE(row, 0);
  EXPECT_EQ(list.Text(row, 1), "qwtest-dialog.ttf");
  ListView_SetItemState(list.View(), -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list.View(), row, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(TextOf(dialog.FontNameLBL()), "Tahoma");
  EXPECT_NE(TextOf(dialog.FontInfoMEMO()).find("FullName:  Tahoma Bold\r\n"), std::string::npos);
  LOGFONTW sample{};  // the sample's font, as the system holds it
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog.Memo1(), WM_GETFONT, 0, 0)), sizeof sample, &sample);
  EXPECT_EQ(std::wstring(sample.lfFaceName) + (sample.lfWeight == FW_BOLD ? L" fett" : L""), L"Tahoma fett");
  ui.Answer(mrCancel);
  dialog.DelFontsBTNClick();
  EXPECT_TRUE(PathExists(path));
  ui.Answer(mrYes);
  dialog.DelFontsBTNClick();
  EXPECT_EQ(ui.Texts(), std::vector<std::string>(2, "Wollen Sie wirklich 1 Schrift(en) löschen ?"));
  EXPECT_FALSE(PathExists(path) || rowOf() >= 0);
  EXPECT_EQ(list.Count(), count - 1);
  EXPECT_EQ(ListFonts(FontKey()).size(), static_cast<size_t>(count - 1));
  dialog.DelFontsBTNClick();  // nothing marked now
  EXPECT_EQ(ui.Texts().back(), "Bitte wählen Sie zunächst Schriften aus !");
}

}  // namespace
