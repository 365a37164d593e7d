// The font remover's engine on the test prefix's font key and fonts folder: fonts
// installed here and uninstalled again, the locale's text, the display-font fallback.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "core/identity.h"
#include "support/bytes.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/settings_scope.h"
#include "support/temp_folder.h"
#include "tools/fonts.h"

namespace {

TEST(Fonts, LocaleHexPathsAndDisplayFontFallback) {
  for (auto [text, value] : {std::pair{"00000407", 0x407u}, {" $1a2B\t", 0x1A2Bu}, {"FFFFFFFF", 0xFFFFFFFFu}})
    EXPECT_EQ(HexToInt(text), value) << text;
  for (const char* bad : {"", "  ", "$", "$$1", "0x407", "12 3", "100000000", "-1"})
    EXPECT_EQ(Caught<EConvertError>([&] { HexToInt(bad); }), "Error while converting String to Hex") << bad;
  EXPECT_EQ(FontPath("a.ttf", "C:\\F\\") + "|" + FontPath("D:\\x\\a.ttf", "C:\\F\\"), "C:\\F\\a.ttf|D:\\x\\a.ttf");
  EXPECT_EQ(LongestPrefixName({"Arial Black", "Courier", "Arial"}, "ARIAL BLACK (TRUETYPE)"), "Arial Black");
  for (const char* file : {"fehlt.ttf", "coure.fon"})  // no TrueType file: the display font of the name
    EXPECT_EQ(PreviewFont({"Tahoma Fett (TrueType)", file}, FontsFolder(), 0x407).FaceName, "Tahoma") << file;
}

std::wstring W(const std::string& s) { return platform::Utf8ToWide(s); }
bool Registered(const std::string& name) { return std::ranges::count(ListFonts(FontKey()), name, &FontEntry::Name); }

// A copy of Marlett registered under the font key; loaded into the system when asked.
struct TestFont {
  std::string name, file, path;
  TestFont(const std::string& n, const std::string& f, bool load) : name(n), file(f), path(FontPath(f, FontsFolder())) {
    CopyFileW(W(FontsFolder() + "marlett.ttf").c_str(), W(path).c_str(), FALSE);
    if (load) AddFontResourceW(W(path).c_str());
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, W(FontKey()).c_str(), W(name).c_str(), REG_SZ, W(file).c_str(),
                    static_cast<DWORD>(2 * file.size() + 2));
  }
  ~TestFont() {
    RemoveFontResourceW(W(path).c_str());
    DeleteFileW(W(path).c_str());
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, W(FontKey()).c_str(), W(name).c_str());
  }
  FontEntry Entry() const { return {name, file}; }
};

TEST(Fonts, UninstallFromLastToFirst) {
  SettingsScope settings("fonts");
  TempFolder backup, elsewhere;
  WriteSetting("BackupFiles", 1);
  WriteSetting("BackupDir", backup.Path());
  const std::string key = FontKey(), folder = FontsFolder();
  const size_t before = ListFonts(key).size();
  TestFont loaded("QW Test Eins (TrueType)", "qwtest-eins.ttf", true);
  TestFont unloaded("QW Test Zwei (TrueType)", elsewhere.File("zwei.ttf"), false);
  TestFont missing("QW Test Fehlt (TrueType)", "qwtest-fehlt.ttf", false);
  DeleteFileW(W(missing.path).c_str());
  ScriptedInteraction ui;
  ui.Answer(mrOk);  // go on after the missing file
  FontUninstall run;
  UninstallFonts(key, folder, {loaded.Entry(), missing.Entry(), unloaded.Entry()}, run);
  EXPECT_EQ(run.Removed, (std::vector<std::string>{unloaded.name, loaded.name}));
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Die folgende Datei konnte nicht gefunden werden !\r" + missing.path});
  EXPECT_FALSE(run.Stopped || PathExists(loaded.path) || PathExists(unloaded.path));
  EXPECT_TRUE(PathExists(backup.Path() + "FONTS\\" + std::string(loaded.path).erase(1, 1)));
  EXPECT_EQ(ListFonts(key).size(), before + 1);  // only the missing one's value stays
  EXPECT_TRUE(Registered(missing.name));

  // Abbrechen at a missing file stops before the fonts above it; a file the system
  // holds open is left with its value, and the user is told.
  TestFont held("QW Test Drei (TrueType)", "qwtest-drei.ttf", false);
  ui.Answer(mrCancel);
  FontUninstall cancelled, refused;
  UninstallFonts(key, folder, {held.Entry(), missing.Entry()}, cancelled);
  HANDLE open = CreateFileW(W(held.path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  UninstallFonts(key, folder, {held.Entry()}, refused);
  CloseHandle(open);
  EXPECT_TRUE(cancelled.Stopped && refused.Stopped && cancelled.Removed.empty() && refused.Removed.empty());
  EXPECT_EQ(ui.Texts().back(), "Die Schrift wird vom System verwendet und kann nicht entfernt werden:\r" + held.path);
  EXPECT_TRUE(PathExists(held.path) && Registered(held.name));
}

}  // namespace
