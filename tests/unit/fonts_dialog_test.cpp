// "Schriften löschen" in a real window: the registered fonts listed, a font's
// TrueType information previewed, a font installed by the test uninstalled after the
// question.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/fonts_dialog.h"
#include "core/identity.h"
#include "core/settings.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/settings_scope.h"
#include "support/window_driver.h"

namespace {

int RowOf(ListViewControl& list, const std::string& name) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.Text(i, 0) == name) return i;
  return -1;
}

TEST(FontsDialog, PreviewAndUninstallOne) {
  SettingsScope settings("fonts-dialog");
  WriteSetting("UseRecycleBin", 0);
  PumpingInteraction ui;
  const std::string folder = FontsFolder(), path = folder + "qwtest-dialog.ttf", name = "QW Test Dialog (TrueType)";
  CopyFileW(platform::Utf8ToWide(folder + "tahomabd.ttf").c_str(), platform::Utf8ToWide(path).c_str(), FALSE);
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, platform::Utf8ToWide(FontKey()).c_str(), platform::Utf8ToWide(name).c_str(),
                  REG_SZ, L"qwtest-dialog.ttf", 36);
  TDelFontsFRM dialog;
  dialog.CreateHandle(nullptr);
  ShowWindow(dialog.Handle(), SW_SHOW);
  ListViewControl& list = dialog.FontView();
  const int row = RowOf(list, name), count = list.Count();
  ASSERT_GE(row, 0);
  EXPECT_EQ(list.Text(row, 1), "qwtest-dialog.ttf");
  ListView_SetItemState(list.View(), -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list.View(), row, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(TextOf(dialog.FontNameLBL()), "Tahoma");
  EXPECT_NE(TextOf(dialog.FontInfoMEMO()).find("FullName:  Tahoma Bold\r\n"), std::string::npos);
  // The spin's size, and what the sample's font then really is.
  dialog.FontSizeSPINChange(30);
  LOGFONTW sample{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog.Memo1(), WM_GETFONT, 0, 0)), sizeof sample, &sample);
  EXPECT_EQ(std::wstring(sample.lfFaceName) + (sample.lfWeight == FW_BOLD ? L" fett" : L""), L"Tahoma fett");
  EXPECT_EQ(sample.lfHeight, -MulDiv(30, DpiOf(dialog.Handle()), 72));

  ui.Answer(mrCancel);
  dialog.DelFontsBTNClick();
  EXPECT_TRUE(PathExists(path));
  ui.Answer(mrYes);
  dialog.DelFontsBTNClick();
  EXPECT_EQ(ui.Texts(), std::vector<std::string>(2, "Wollen Sie wirklich 1 Schrift(en) löschen ?"));
  EXPECT_FALSE(PathExists(path));
  EXPECT_EQ(list.Count(), count - 1);
  EXPECT_EQ(RowOf(list, name), -1);
  EXPECT_TRUE(std::ranges::none_of(ListFonts(FontKey()), [&](const FontEntry& f) { return f.Name == name; }));
  dialog.DelFontsBTNClick();  // nothing marked now
  EXPECT_EQ(ui.Texts().back(), "Bitte wählen Sie zunächst Schriften aus !");
}

}  // namespace
