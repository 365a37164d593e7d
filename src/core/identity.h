// The program's identity: product name, version, settings key, program folder,
// language and help file, and the settings registry object that lives as long as
// the process.
#pragma once

#include <string>

class TMyRegistry;

inline constexpr char ProductName[] = "Velmoria Quitaway 2000";
inline constexpr char ProductVersion[] = "2.0";
inline constexpr char CompanyKeyName[] = "Velmoria";

// "Software\Velmoria\Velmoria Quitaway 2000\2.0" (below HKEY_CURRENT_USER).
std::string SettingsKey();

// Folder of the program file, with a trailing backslash.
std::string ProgramFolder();
// Full path of the program file.
std::string ProgramFile();

// Opens the settings registry object with full access on keyPath below
// HKEY_CURRENT_USER, creating the key. Tests pass a key of their own.
void OpenSettingsRegistry(const std::string& keyPath = SettingsKey());
// Closes and frees it (closing flushes the key).
void CloseSettingsRegistry();
// The open settings object; raises EMyRegistryException when none is open.
TMyRegistry& SettingsRegistry();
bool SettingsRegistryOpen();

// Language: "DE" (default), "EN" or "ES".
const std::string& LanguageCode();
void SetLanguageCode(const std::string& code);

// What start-up does about the language.
struct LanguageChoice {
  std::string code;            // "DE", "EN" or "ES"
  bool writeOverride = false;  // write "EN" as the override ...
  bool restart = false;        // ... and start the program again through the shell
};
// The rule: a non-empty override gives its first two characters; otherwise the
// locale's three-letter abbreviation: "DE..." stays German, "ES..." Spanish, anything
// else English, and when it does not begin with "EN" either and an English module
// (".EN" beside the program) exists, the override "EN" is written and the program
// restarts so that the module is used.
LanguageChoice ChooseLanguage(const std::string& override, const std::string& localeAbbreviation,
                              bool englishModuleExists);

// The per-user language override: a value named by the program's full path.
std::string ReadLanguageOverride();
void WriteLanguageOverride(const std::string& code);

// Runs the language choice of start-up against the real registry, locale and files.
// Returns true when the program was restarted and this process must end.
bool SelectLanguageAtStartup();

// The program path without its last four characters + "_" + code + ".HLP".
std::string HelpFileName(const std::string& programFile, const std::string& languageCode);
