// Identity values, the settings object's lifetime and the language decision.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/exceptions.h"
#include "core/identity.h"
#include "core/registry.h"
#include "platform/text.h"

TEST(Identity, ProductKeyAndProgramFolder) {
  EXPECT_STREQ(ProductName, "Velmoria Quitaway 2000");
  EXPECT_STREQ(ProductVersion, "2.0");
  EXPECT_EQ(SettingsKey(), "Software\\Velmoria\\Velmoria Quitaway 2000\\2.0");
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_EQ(ProgramFile().rfind(folder, 0), 0u);
  EXPECT_EQ(ProgramFile().substr(ProgramFile().size() - 4), ".exe");
}

TEST(Identity, SettingsObjectOpensCreatingItsKeyAndCloses) {
  const std::string key = "Software\\Velmoria\\QuitawayTests\\identity";
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(key).c_str());
  CloseSettingsRegistry();
  EXPECT_FALSE(SettingsRegistryOpen());
  EXPECT_THROW(SettingsRegistry(), EMyRegistryException);

  OpenSettingsRegistry(key);
  ASSERT_TRUE(SettingsRegistryOpen());
  SettingsRegistry().WriteInteger("x", 1);  // full access
  EXPECT_EQ(SettingsRegistry().CurrentPath(), key);
  CloseSettingsRegistry();
  EXPECT_FALSE(SettingsRegistryOpen());

  TMyRegistry check;
  ASSERT_TRUE(check.OpenKey("\\" + key, false));
  EXPECT_EQ(check.ReadInteger("x"), 1);
  check.CloseKey();
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(key).c_str());
}

TEST(Identity, LanguageChoiceFollowsOverrideThenLocale) {
  LanguageChoice c = ChooseLanguage("ES", "DEU", true);
  EXPECT_EQ(c.code, "ES");
  EXPECT_FALSE(c.writeOverride);
  EXPECT_FALSE(c.restart);
  EXPECT_EQ(ChooseLanguage("ENGLISH", "DEU", false).code, "EN");

  EXPECT_EQ(ChooseLanguage("", "DEU", true).code, "DE");
  EXPECT_EQ(ChooseLanguage("", "DES", true).code, "DE");
  EXPECT_EQ(ChooseLanguage("", "ESN", true).code, "ES");

  c = ChooseLanguage("", "ENU", true);  // English system: no restart needed
  EXPECT_EQ(c.code, "EN");
  EXPECT_FALSE(c.restart);
  EXPECT_FALSE(c.writeOverride);

  c = ChooseLanguage("", "FRA", false);  // no English module: nothing written
  EXPECT_EQ(c.code, "EN");
  EXPECT_FALSE(c.writeOverride);
  EXPECT_FALSE(c.restart);

  c = ChooseLanguage("", "FRA", true);  // the module exists: override and restart
  EXPECT_EQ(c.code, "EN");
  EXPECT_TRUE(c.writeOverride);
  EXPECT_TRUE(c.restart);
}

TEST(Identity, HelpFileNameReplacesTheExtension) {
  EXPECT_EQ(HelpFileName("C:\\Programme\\Quitaway\\Quitaway.exe", "ES"),
            "C:\\Programme\\Quitaway\\Quitaway_ES.HLP");
  EXPECT_EQ(HelpFileName("C:\\Q.EXE", "DE"), "C:\\Q_DE.HLP");
}

TEST(Identity, LanguageOverrideRoundTripOnTheRealRegistry) {
  const std::string before = ReadLanguageOverride();
  WriteLanguageOverride("ES");
  EXPECT_EQ(ReadLanguageOverride(), "ES");
  // The language choice of start-up then needs neither locale nor module.
  EXPECT_FALSE(SelectLanguageAtStartup());
  EXPECT_EQ(LanguageCode(), "ES");

  TMyRegistry reg(raFull);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Velmoria\\Locales", false));
  EXPECT_TRUE(reg.ValueExists(ProgramFile()));  // named by the program's full path
  if (before.empty()) reg.DeleteValue(ProgramFile());
  else reg.WriteString(ProgramFile(), before);
  SetLanguageCode("DE");
}
