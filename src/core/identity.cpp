#include "core/identity.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/registry.h"
#include "core/translate.h"
#include "platform/names.h"
#include "platform/text.h"

namespace {

std::unique_ptr<TMyRegistry> g_settings;
std::string g_language = "DE";

// Per-user language overrides, one value per program file.
constexpr char kLocalesKey[] = "\\Software\\Velmoria\\Locales";

bool StartsWith(const std::string& text, const char* prefix) {
  return platform::UpperCase(text).rfind(prefix, 0) == 0;
}

}  // namespace

std::string SettingsKey() {
  return FormatMsg("Software\\%s\\%s\\%s", {CompanyKeyName, ProductName, ProductVersion});
}

std::string ProgramFile() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return platform::WideToUtf8(std::wstring_view(buffer.data(), n));
    buffer.resize(buffer.size() * 2);
  }
}

std::string ProgramFolder() {
  const std::string file = ProgramFile();
  return file.substr(0, file.find_last_of('\\') + 1);
}

void OpenSettingsRegistry(const std::string& keyPath) {
  auto registry = std::make_unique<TMyRegistry>(raFull);
  registry->SetRootKey(HKEY_CURRENT_USER);
  registry->LazyWrite = false;  // closing at the end flushes the key
  if (!registry->OpenKey("\\" + keyPath, true))
    throw EMyRegistryException(FormatMsg(tr("Erzeugung von Schlüssel %s misslungen"), {keyPath}));
  g_settings = std::move(registry);
}

void CloseSettingsRegistry() { g_settings.reset(); }

TMyRegistry& SettingsRegistry() {
  if (!g_settings) throw EMyRegistryException("Values have not been initialized - settings key not open");
  return *g_settings;
}

bool SettingsRegistryOpen() { return g_settings != nullptr; }

const std::string& LanguageCode() { return g_language; }
void SetLanguageCode(const std::string& code) { g_language = code; }

LanguageChoice ChooseLanguage(const std::string& override, const std::string& localeAbbreviation,
                              bool englishModuleExists) {
  LanguageChoice choice;
  if (!override.empty()) {
    choice.code = override.substr(0, 2);
    return choice;
  }
  if (StartsWith(localeAbbreviation, "DE")) {
    choice.code = "DE";
  } else if (StartsWith(localeAbbreviation, "ES")) {
    choice.code = "ES";
  } else {
    choice.code = "EN";
    if (!StartsWith(localeAbbreviation, "EN") && englishModuleExists) {
      choice.writeOverride = true;
      choice.restart = true;
    }
  }
  return choice;
}

std::string ReadLanguageOverride() {
  TMyRegistry reg(raRead);
  reg.SetRootKey(HKEY_CURRENT_USER);
  if (!reg.OpenKey(kLocalesKey, false)) return {};
  const std::string name = ProgramFile();
  if (reg.GetDataType(name) != rdString) return {};
  return reg.ReadString(name);
}

void WriteLanguageOverride(const std::string& code) {
  TMyRegistry reg(raFull);
  reg.SetRootKey(HKEY_CURRENT_USER);
  if (!reg.OpenKey(kLocalesKey, true))
    throw EMyRegistryException(FormatMsg(tr("Erzeugung von Schlüssel %s misslungen"), {kLocalesKey}));
  reg.WriteString(ProgramFile(), code);
}

bool SelectLanguageAtStartup() {
  wchar_t abbreviation[6] = {};
  GetLocaleInfoW(GetThreadLocale(), LOCALE_SABBREVLANGNAME, abbreviation, 5);
  const std::string program = ProgramFile();
  const std::string module = program.substr(0, program.find_last_of('.')) + ".EN";
  const DWORD attributes = GetFileAttributesW(platform::Utf8ToWide(module).c_str());
  const bool moduleExists =
      attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);

  const LanguageChoice choice =
      ChooseLanguage(ReadLanguageOverride(), platform::WideToUtf8(abbreviation), moduleExists);
  SetLanguageCode(choice.code);
  if (choice.writeOverride) WriteLanguageOverride("EN");
  if (!choice.restart) return false;

  // Start again with the same arguments, so that the English module is used.
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring arguments;
  for (int i = 1; argv != nullptr && i < argc; ++i) {
    if (!arguments.empty()) arguments += L' ';
    arguments += L'"' + std::wstring(argv[i]) + L'"';
  }
  LocalFree(argv);
  ShellExecuteW(nullptr, L"open", platform::Utf8ToWide(program).c_str(),
                arguments.empty() ? nullptr : arguments.c_str(), nullptr, SW_SHOWNORMAL);
  return true;
}

std::string HelpFileName(const std::string& programFile, const std::string& languageCode) {
  const std::string stem = programFile.size() >= 4 ? programFile.substr(0, programFile.size() - 4) : "";
  return stem + "_" + languageCode + ".HLP";
}
