// Identity values, the help file and the language decision.
#include <gtest/gtest.h>

#include "core/identity.h"
#include "core/registry.h"

TEST(Identity, SettingsKeyProgramAndHelpFile) {
  EXPECT_EQ(SettingsKey(), "Software\\Velmoria\\Velmoria Quitaway 2000\\2.0");
  const std::string folder = ProgramFolder();
  EXPECT_TRUE(folder.ends_with('\\') && ProgramFile().starts_with(folder) && ProgramFile().ends_with(".exe"))
      << ProgramFile();
  EXPECT_EQ(HelpFileName("C:\\Programme\\Quitaway\\Quitaway.exe", "ES"), "C:\\Programme\\Quitaway\\Quitaway_ES.HLP");
}

TEST(Identity, LanguageChoiceFollowsOverrideThenLocale) {
  struct Case { const char *override, *locale; bool module; const char* code; bool writeAndRestart; };
  const Case cases[] = {{"ES", "DEU", true, "ES", false}, {"ENGLISH", "DEU", false, "EN", false},
                        {"", "DEU", true, "DE", false},   {"", "DES", true, "DE", false},
                        {"", "ESN", true, "ES", false},   {"", "ENU", true, "EN", false},  // English system
                        {"", "FRA", false, "EN", false},  {"", "FRA", true, "EN", true}};  // restart with the module
  for (const auto& c : cases) {
    const LanguageChoice choice = ChooseLanguage(c.override, c.locale, c.module);
    EXPECT_EQ(choice.code, c.code) << c.override << c.locale;
    EXPECT_EQ(choice.writeOverride, c.writeAndRestart) << c.override << c.locale;
    EXPECT_EQ(choice.restart, c.writeAndRestart) << c.override << c.locale;
  }
}

TEST(Identity, LanguageOverrideRoundTripOnTheRealRegistry) {
  const std::string before = ReadLanguageOverride();
  WriteLanguageOverride("ES");
  EXPECT_FALSE(SelectLanguageAtStartup());  // the override needs neither locale nor module
  EXPECT_EQ(LanguageCode(), "ES");
  TMyRegistry reg(raFull);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Velmoria\\Locales", false));
  EXPECT_EQ(reg.ReadString(ProgramFile()), "ES");  // named by the program's full path
  if (before.empty()) reg.DeleteValue(ProgramFile());
  else reg.WriteString(ProgramFile(), before);
  SetLanguageCode("DE");
}
