#include "tools/fonts.h"

#include <algorithm>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/files.h"
#include "platform/names.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "removal/recyc.h"

namespace {

constexpr char kFonts95[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
constexpr char kFontsNT[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string ReadValue(HKEY root, const std::string& key, const std::string& name, bool* exists = nullptr) {
  TMyRegistry reg;
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) return {};
  if (exists != nullptr) *exists = reg.ValueExists(name);
  return reg.ReadString(name);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool HasDrive(const std::string& file) { return file.size() >= 2 && file[1] == ':'; }

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM names) {
  reinterpret_cast<std::vector<std::string>*>(names)->push_back(platform::WideToUtf8(font->lfFaceName));
  return 1;
}

// Whether the system keeps the file open (a loaded font): then nobody may open it alone.
bool HeldBySystem(const std::string& path) {
  HANDLE h = CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

// Takes the font from the running system. A registered font that the system never
// loaded (added to the key by hand, or under Wine, which loads fonts its own way)
// has no resource to remove, and refusing it would make it impossible to uninstall.
// The system refuses for real only while it holds the file; then nothing is deleted.
bool ReleaseFont(const std::string& path) {
  if (RemoveFontResourceW(platform::Utf8ToWide(path).c_str())) return true;
  return !HeldBySystem(path);
}

// Tells every window once the fonts changed, however the run ends.
struct FontChangeNotice {
  const std::vector<std::string>& removed;
  ~FontChangeNotice() {
    if (!removed.empty()) PostMessageW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
  }
};

// One font with its file there. False when the system holds the font.
bool UninstallOne(TMyRegistry& reg, const FontEntry& font, const std::string& path) {
  if (!ReleaseFont(path)) {
    MessageDlg(FormatMsg(tr("Die Schrift wird vom System verwendet und kann nicht entfernt werden:\r%s"), {path}),
               mtError, mbOK);
    return false;
  }
  try {
    DeleteFileWithBackup(path);
  } catch (...) {
    // The file stays installed: the running system gets its font back.
    AddFontResourceW(platform::Utf8ToWide(path).c_str());
    throw;
  }
  reg.DeleteValue(font.Name);
  return true;
}

}  // namespace

std::string FontKeyFor(DWORD platformId) {
  if (platformId == VER_PLATFORM_WIN32_WINDOWS) return kFonts95;
  if (platformId == VER_PLATFORM_WIN32_NT) return kFontsNT;
  return {};
}

std::string FontKey() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExW(&version) ? FontKeyFor(version.dwPlatformId) : std::string();
}

std::string FontsFolder() {
  std::string folder =
      ReadValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Fonts");
  if (folder.empty()) {
    const std::string fonts = WithBackslash(platform::WindowsFolder()) + "fonts";
    if (FolderExists(fonts)) folder = fonts;
  }
  return WithBackslash(folder);
}

uint32_t HexToInt(const std::string& text) {
  std::string_view digits = platform::TrimBlanks(text);
  if (!digits.empty() && digits.front() == '$') digits.remove_prefix(1);
  uint32_t value = 0;
  bool ok = !digits.empty();
  for (char c : digits) {
    const int d = HexDigit(c);
    ok = d >= 0 && value <= 0x0FFFFFFFu;  // a digit, and the number stays within 32 bits
    if (!ok) break;
    value = value << 4 | static_cast<uint32_t>(d);
  }
  if (!ok) throw EConvertError("Error while converting String to Hex");
  return value;
}

uint32_t UserLanguage() {
  bool exists = false;
  const std::string locale = ReadValue(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", &exists);
  return exists ? HexToInt(locale) : static_cast<uint32_t>(GetUserDefaultLCID());
}

std::vector<FontEntry> ListFonts(const std::string& key) {
  TMyRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  std::vector<FontEntry> fonts;
  if (!reg.OpenKey(key, false)) return fonts;
  std::vector<std::string> names;
  reg.GetValueNames(names);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return platform::CompareNames(a, b) < 0; });
  for (const std::string& name : names) {
    // A value of another type names no file.
    if (reg.GetDataType(name) != rdString && reg.GetDataType(name) != rdExpandString) continue;
    std::string file = reg.ReadString(name);
    if (!file.empty()) fonts.push_back({name, std::move(file)});
  }
  return fonts;
}

std::string FontPath(const std::string& file, const std::string& folder) {
  return HasDrive(file) ? file : folder + file;
}

std::string LongestPrefixName(std::vector<std::string> names, const std::string& caption) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return platform::CompareNames(a, b) < 0; });
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    const std::string upper = platform::UpperCase(platform::TrimBlanks(*it));
    if (!upper.empty() && caption.starts_with(upper)) return *it;
  }
  return {};
}

std::vector<std::string> DisplayFontNames() {
  std::vector<std::string> names;
  LOGFONTW all{};
  all.lfCharSet = DEFAULT_CHARSET;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &all, CollectFamily, reinterpret_cast<LPARAM>(&names), 0);
  ReleaseDC(nullptr, screen);
  return names;
}

FontPreview PreviewFont(const FontEntry& font, const std::string& folder, uint32_t language) {
  const std::string path = FontPath(font.File, folder);
  const std::string caption = platform::UpperCase(platform::TrimBlanks(font.Name));
  FontPreview preview;
  FontInfoRecord info;
  const bool trueType = path.size() >= 4 && platform::SameText(path.substr(path.size() - 4), ".TTF");
  if (trueType && platform::FileExists(path) && FontInfo(path, language, info)) {
    preview.FaceName = info.FontName;
    preview.Style = info.Style;
    preview.Summary = info.Summary;
    return preview;
  }
  preview.FaceName = LongestPrefixName(DisplayFontNames(), caption);
  return preview;
}

void UninstallFonts(const std::string& key, const std::string& folder, const std::vector<FontEntry>& fonts,
                    FontUninstall& run) {
  AskReadOnly = true;
  CurrentBackupFolder = std::string(WithBackslash(ReadSettingText("BackupDir"))).append("FONTS\\");
  TMyRegistry reg(raWrite);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  // Before anything goes: a key that cannot be written would leave fonts registered
  // whose files are gone.
  if (!reg.OpenKey(key, false))
    throw EMyRegistryException(FormatMsg(tr("Der Schlüssel %s konnte nicht zum Schreiben geöffnet werden."),
                                         {std::string("HKEY_LOCAL_MACHINE\\").append(key)}));
  FontChangeNotice notice{run.Removed};
  for (auto it = fonts.rbegin(); it != fonts.rend() && !run.Stopped; ++it) {
    const std::string path = FontPath(it->File, folder);
    if (!platform::FileExists(path)) {
      run.Stopped = MessageDlg(FormatMsg(tr("Die folgende Datei konnte nicht gefunden werden !\r%s"), {path}), mtError,
                               mbOK | mbCancel) != mrOk;
    } else if (UninstallOne(reg, *it, path)) {
      run.Removed.push_back(it->Name);
    } else {
      run.Stopped = true;
    }
  }
}
