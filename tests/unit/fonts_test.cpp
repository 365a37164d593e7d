// The font remover's engine on the test prefix's real font key and fonts folder:
// fonts installed here and uninstalled again, the questions on the way, the locale's
// hexadecimal text and the fallback to a display font.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/identity.h"
#include "core/settings.h"
#include "platform/names.h"
#include "platform/text.h"
#include "support/bytes.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/settings_scope.h"
#include "support/temp_folder.h"
#include "tools/fonts.h"

namespace {

TEST(Fonts, LocaleHexText) {
  for (auto [text, value] : {std::pair{"00000407", 0x407u}, {" $1a2B\t", 0x1A2Bu}, {"FFFFFFFF", 0xFFFFFFFFu}})
    EXPECT_EQ(HexToInt(text), value) << text;
  for (const char* bad : {"", "  ", "$", "$$1", "0x407", "12 3", "100000000", "-1"})
    EXPECT_EQ(Caught<EConvertError>([&] { HexToInt(bad); }), "Error while converting String to Hex") << bad;
}

TEST(Fonts, PathsKeyAndDisplayFontFallback) {
  EXPECT_EQ(FontKey(), "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
  EXPECT_EQ(FontKeyFor(VER_PLATFORM_WIN32s), "");
  EXPECT_EQ(FontPath("a.ttf", "C:\\F\\"), "C:\\F\\a.ttf");
  EXPECT_EQ(FontPath("D:\\x\\a.ttf", "C:\\F\\"), "D:\\x\\a.ttf");
  EXPECT_EQ(LongestPrefixName({"Arial Black", "Courier", "Arial"}, "ARIAL BLACK (TRUETYPE)"), "Arial Black");
  EXPECT_EQ(LongestPrefixName({"Arial Black", "Arial"}, "ARIAL (TRUETYPE)"), "Arial");
  EXPECT_EQ(LongestPrefixName({"Arial"}, "MARLETT"), "");
  // A font whose file is missing, and one that is no TrueType font: the display font.
  const std::string folder = FontsFolder();
  for (const char* file : {"fehlt.ttf", "coure.fon"}) {
    const FontPreview p = PreviewFont({"Tahoma Fett (TrueType)", file}, folder, 0x407);
    EXPECT_EQ(p.FaceName + p.Summary, "Tahoma") << file;
  }
  const FontPreview bold = PreviewFont({"Tahoma Fett (TrueType)", "tahomabd.ttf"}, folder, 0x407);
  EXPECT_TRUE(bold.Style.Bold);
  EXPECT_NE(bold.Summary.find("FullName:  Tahoma Bold\r"), std::string::npos);
}

struct TestFont {
  std::string name, file, path;
  TestFont(const std::string& n, const std::string& f, bool load) : name(n), file(f), path(FontPath(f, FontsFolder())) {
    CopyFileW(platform::Utf8ToWide(FontsFolder() + "marlett.ttf").c_str(), platform::Utf8ToWide(path).c_str(), FALSE);
    if (load) AddFontResourceW(platform::Utf8ToWide(path).c_str());
    Register(name, file);
  }
  static void Register(const std::string& name, const std::string& file) {
    const std::wstring data = platform::Utf8ToWide(file);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, platform::Utf8ToWide(FontKey()).c_str(), platform::Utf8ToWide(name).c_str(),
                    REG_SZ, data.c_str(), static_cast<DWORD>((data.size() + 1) * 2));
  }
  ~TestFont() {
    RemoveFontResourceW(platform::Utf8ToWide(path).c_str());
    DeleteFileW(platform::Utf8ToWide(path).c_str());
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, platform::Utf8ToWide(FontKey()).c_str(), platform::Utf8ToWide(name).c_str());
  }
  FontEntry Entry() const { return {name, file}; }
};

std::vector<std::string> Names(const std::vector<FontEntry>& fonts) {
  std::vector<std::string> names;
  for (const FontEntry& f : fonts) names.push_back(f.Name);
  return names;
}

TEST(Fonts, UninstallFromLastToFirst) {
  SettingsScope settings("fonts");
  TempFolder backup, elsewhere;
  WriteSetting("BackupFiles", 1);
  WriteSetting("BackupDir", backup.Path());
  const std::string key = FontKey(), folder = FontsFolder();
  const std::vector<std::string> before = Names(ListFonts(key));
  TestFont loaded("QW Test Eins (TrueType)", "qwtest-eins.ttf", true);
  TestFont unloaded("QW Test Zwei (TrueType)", elsewhere.File("zwei.ttf"), false);
  TestFont missing("QW Test Fehlt (TrueType)", "qwtest-fehlt.ttf", false);
  DeleteFileW(platform::Utf8ToWide(missing.path).c_str());
  std::vector<std::string> all = Names(ListFonts(key));
  EXPECT_EQ(all.size(), before.size() + 3);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](auto& a, auto& b) { return platform::CompareNames(a, b) < 0; }));

  ScriptedInteraction ui;
  ui.Answer(mrOk);  // go on after the missing file
  FontUninstall run;
  UninstallFonts(key, folder, {loaded.Entry(), missing.Entry(), unloaded.Entry()}, run);
  EXPECT_EQ(run.Removed, (std::vector<std::string>{unloaded.name, loaded.name}));
  EXPECT_FALSE(run.Stopped);
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Die folgende Datei konnte nicht gefunden werden !\r" + missing.path});
  EXPECT_FALSE(PathExists(loaded.path) || PathExists(unloaded.path));
  std::string kept = loaded.path;
  EXPECT_TRUE(PathExists(backup.Path() + "FONTS\\" + kept.erase(1, 1)));
  all = Names(ListFonts(key));
  EXPECT_EQ(all.size(), before.size() + 1);  // only the missing one's value stays
  EXPECT_NE(std::find(all.begin(), all.end(), missing.name), all.end());

  // Abbrechen at a missing file stops before the fonts above it; a file the system
  // holds open is left with its value and said so.
  TestFont held("QW Test Drei (TrueType)", "qwtest-drei.ttf", false);
  ui.Answer(mrCancel);
  FontUninstall cancelled;
  UninstallFonts(key, folder, {held.Entry(), missing.Entry()}, cancelled);
  EXPECT_TRUE(cancelled.Stopped && cancelled.Removed.empty());
  HANDLE open = CreateFileW(platform::Utf8ToWide(held.path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  FontUninstall refused;
  UninstallFonts(key, folder, {held.Entry()}, refused);
  CloseHandle(open);
  EXPECT_TRUE(refused.Stopped && refused.Removed.empty());
  EXPECT_EQ(ui.Texts().back(), "Die Schrift wird vom System verwendet und kann nicht entfernt werden:\r" + held.path);
  EXPECT_TRUE(PathExists(held.path));
  EXPECT_EQ(Names(ListFonts(key)).size(), before.size() + 2);
}

}  // namespace
