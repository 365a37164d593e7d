#include "tools/temp_files.h"

#include <windows.h>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/files.h"
#include "platform/text.h"
#include "removal/recyc.h"

namespace {

constexpr char kSection[] = "fTempfiles";

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH, buffer);
  return n > 0 && n <= 200 ? platform::WideToUtf8(std::wstring_view(buffer, n)) : std::string();
}

uint64_t FileTimeOf(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

class TempSearch {
 public:
  explicit TempSearch(const std::function<void(const TempSearchProgress&)>& progress) : progress_(progress) {}

  void Row(TempDefinition& row, size_t index) {
    row_ = index;
    UI().ResetCancel();
    row.Files.clear();
    // A stack rather than recursion: folders as deep as they come.
    std::vector<std::string> pending{WithBackslash(row.Folder)};
    while (!pending.empty()) {
      const std::string folder = pending.back();
      pending.pop_back();
      Folder(folder, row, pending);
    }
    row.Found = static_cast<int32_t>(row.Files.size());
  }

  int32_t files = 0, folders = 0;

 private:
  void Folder(const std::string& folder, TempDefinition& row, std::vector<std::string>& pending) {
    ++folders;
    UI().SetStatusText(StatusControl::Statuspanel, tr("Dateien suchen in ") + folder);
    Report(folder);
    UI().ProcessMessages();
    if (UI().CancelRequested()) throw EMyAbort();
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(platform::LongPath(platform::Utf8ToWide(folder + row.Mask)).c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {  // a folder that cannot be read holds nothing
      do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        row.Files.push_back({folder + platform::WideToUtf8(found.cFileName),
                             platform::PackedLocalTime(FileTimeOf(found.ftLastWriteTime)),
                             (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                             static_cast<int32_t>(found.dwFileAttributes)});
        if (++files % 10 == 0) {
          Report(folder);
          UI().ProcessMessages();
        }
      } while (FindNextFileW(h, &found));
      FindClose(h);
    }
    if (!row.Recursive) return;
    std::vector<std::string> subfolders;
    h = FindFirstFileW(platform::LongPath(platform::Utf8ToWide(folder + "*.*")).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
      const std::wstring name = found.cFileName;
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;  // a link leads anywhere, even back
      subfolders.push_back(folder + platform::WideToUtf8(name) + "\\");
    } while (FindNextFileW(h, &found));
    FindClose(h);
    // In their order: the first one is walked first.
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) pending.push_back(*it);
  }

  void Report(const std::string& folder) {
    if (progress_) progress_({row_, folder, files, folders});
  }

  const std::function<void(const TempSearchProgress&)>& progress_;
  size_t row_ = 0;
};

}  // namespace

std::vector<TempDefinition> LoadTempDefinitions() {
  std::vector<TempDefinition> rows;
  if (SettingsRegistryOpen()) {
    TMyRegIniFile ini(SettingsRegistry().CurrentPath());
    const int32_t count = ini.ReadInteger(kSection, "CountSI", 0);
    for (int32_t i = 0; i < count; ++i) {
      const std::string n = "SI" + std::to_string(i);
      TempDefinition d;
      d.Description = ini.ReadString(kSection, n + "Desc", "");
      d.Folder = ini.ReadString(kSection, n + "Path", "");
      d.Mask = ini.ReadString(kSection, n + "Mask", "");
      d.Recursive = ini.ReadInteger(kSection, n + "Recurse", 0) == 1;
      if (!d.Folder.empty() && !d.Mask.empty()) rows.push_back(std::move(d));
    }
  }
  if (rows.empty()) {
    const std::string temp = TempFolder();
    rows.push_back({tr("Ordner für temporäre Dateien"), temp, "*.*", false, -1, {}});
    rows.push_back({tr("Temporäre Dateien"), temp.substr(0, 2), "*.tmp", true, -1, {}});
  }
  return rows;
}

void SaveTempDefinitions(const std::vector<TempDefinition>& rows) {
  TMyRegIniFile ini(SettingsRegistry().CurrentPath());
  ini.WriteInteger(kSection, "CountSI", static_cast<int32_t>(rows.size()));
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string n = "SI" + std::to_string(i);
    ini.WriteString(kSection, n + "Desc", rows[i].Description);
    ini.WriteString(kSection, n + "Path", rows[i].Folder);
    ini.WriteInteger(kSection, n + "Recurse", rows[i].Recursive ? 1 : 0);
    ini.WriteString(kSection, n + "Mask", rows[i].Mask);
  }
}

void SearchTempFiles(std::vector<TempDefinition>& rows,
                     const std::function<void(const TempSearchProgress&)>& progress) {
  UI().ResetCancel();
  // What this tool deletes goes below the backup folder's "TEMPFILES\".
  CurrentBackupFolder = WithBackslash(ReadSettingText("BackupDir")) + "TEMPFILES\\";
  if (rows.empty()) {
    MessageDlg(tr("Bitte geben Sie zunächst an, welche Ordner Sie durchsuchen möchten !"), mtError, mbOK);
    return;
  }
  BusyScope busy;
  for (TempDefinition& row : rows) row.Files.clear();
  TempSearch search(progress);
  for (size_t i = 0; i < rows.size(); ++i) {
    try {
      search.Row(rows[i], i);
    } catch (const std::exception& e) {
      // A cancel or an error ends this definition; what it found stays listed.
      MessageDlg(e.what(), mtError, mbOK);
    }
  }
  UI().SetStatusText(StatusControl::Statuspanel, tr("Suche beendet."));
}
