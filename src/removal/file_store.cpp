#include "removal/file_store.h"

#include <windows.h>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/text.h"
#include "removal/recyc.h"
#include "result/result_file.h"
#include "snapshot/drive_snapshot.h"

namespace {

constexpr char kSection[] = "DLLBackUpFRM";

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

struct FileFacts {
  bool exists = false;
  uint32_t size = 0;
  FILETIME written{};
};

FileFacts FactsOf(const std::string& path) {
  FileFacts f;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(platform::Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data) &&
      !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    f.exists = true;
    f.size = data.nFileSizeLow;
    f.written = data.ftLastWriteTime;
  }
  return f;
}

// Size, date and time and version of a file as the overwrite question shows them.
void Describe(const std::string& path, std::string& size, std::string& time, std::string& version) {
  const FileFacts f = FactsOf(path);
  size = std::to_string(f.size);
  time = FormatFileTime(PackedLocalTime(f.written.dwLowDateTime, f.written.dwHighDateTime));
  const std::string v = FileVersionString(path);
  version = v.empty() ? std::string() : ", Ver: " + v;
}

TMyRegIniFile FormSettings() { return TMyRegIniFile(SettingsRegistry().CurrentPath()); }

std::string SystemFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
  return n > 0 && n <= 200 ? platform::WideToUtf8(std::wstring_view(buffer, n)) : std::string();
}

class BackupRun {
 public:
  BackupRun(int overwrite, const std::function<void(const BackupProgress&)>& progress)
      : store_(BackupStoreFolder()), answer_(overwrite), progress_(progress) {}

  void Row(BackupDefinition& row, size_t index) {
    row_ = index;
    UI().ResetCancel();
    row.Found = 0;
    // Folders still to visit; a stack rather than recursion, as deep as the folders are.
    std::vector<std::string> pending{WithBackslash(row.Folder)};
    while (!pending.empty()) {
      const std::string folder = pending.back();
      pending.pop_back();
      Folder(folder, row, pending);
    }
  }

  BackupCounters counters;

 private:
  void Folder(const std::string& folder, BackupDefinition& row, std::vector<std::string>& pending) {
    ++counters.Folders;
    UI().SetStatusText(StatusControl::Statuspanel, FormatMsg(tr("Dateien suchen in %s"), {folder}));
    Report(folder);
    UI().ProcessMessages();
    if (UI().CancelRequested()) throw EMyAbort();
    for (const std::string& name : List(folder + row.Mask, false)) {
      File(folder + name);
      ++counters.Files;
      ++row.Found;
      if (counters.Files % 10 == 0) Report(folder);
    }
    if (!row.Recursive) return;
    const std::vector<std::string> subfolders = List(folder + "*", true);
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) pending.push_back(folder + *it + "\\");
  }

  static std::vector<std::string> List(const std::string& pattern, bool folders) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(platform::Utf8ToWide(pattern).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;  // an unreadable folder holds nothing
    do {
      const std::wstring n = found.cFileName;
      const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (folder != folders || n == L"." || n == L"..") continue;
      if (folder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;  // links lead anywhere
      names.push_back(platform::WideToUtf8(n));
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
  }

  void File(const std::string& source) {
    try {
      const std::string target = StoredCopyOf(source);
      const FileFacts s = FactsOf(source), t = FactsOf(target);
      if (t.exists && s.size == t.size && CompareFileTime(&s.written, &t.written) == 0) return;  // kept already
      if (t.exists && !AskOverwrite(source, source, target, answer_)) return;
      if (!ShellCopy(source, target, false, true, false)) throw EQuitawayError(tr("Datei konnte nicht kopiert werden"));
    } catch (const EMyAbort&) {
      throw;
    } catch (const std::exception& e) {
      if (MessageDlg(FormatMsg(tr("Beim kopieren der Dateien trat folgender Fehler auf\rDatei: %s\rFehler:%s"),
                               {source, e.what()}),
                     mtError, mbOK | mbCancel) == mrCancel)
        throw EMyAbort();
    }
  }

  void Report(const std::string& folder) {
    if (progress_) progress_({row_, folder, counters});
  }

  std::string store_;
  int answer_;
  const std::function<void(const BackupProgress&)>& progress_;
  size_t row_ = 0;
};

}  // namespace

std::string BackupStoreFolder() { return WithBackslash(ReadSettingText("DLLBackupPath")); }

std::string StoredCopyOf(const std::string& fullPath) {
  const size_t colon = fullPath.find(':');
  return BackupStoreFolder() +
         (colon == std::string::npos ? fullPath : fullPath.substr(0, colon) + fullPath.substr(colon + 1));
}

bool AskOverwrite(const std::string& shown, const std::string& source, const std::string& target, int& answer) {
  if (answer == 0) {
    std::string sSize, sTime, sVersion, tSize, tTime, tVersion;
    Describe(source, sSize, sTime, sVersion);
    Describe(target, tSize, tTime, tVersion);
    const int given = MessageDlg(
        FormatMsg(tr("Die Datei existiert bereits im Zielordner.\r%s\r\rQuelle: %d Bytes, vom %s%s\rZiel: %d Bytes, "
                     "vom %s%s\r\rSoll die Datei überschrieben werden ?"),
                  {shown, sSize, sTime, sVersion, tSize, tTime, tVersion}),
        mtConfirmation, mbYes | mbNo | mbCancel | mbNoToAll | mbYesToAll);
    if (given == mrCancel) throw EMyAbort();
    if (given == mrNoToAll || given == mrYesToAll) answer = given;
    return given == mrYes || given == mrYesToAll;
  }
  return answer == mrYesToAll;
}

std::vector<BackupDefinition> LoadBackupDefinitions() {
  std::vector<BackupDefinition> rows;
  TMyRegIniFile ini = FormSettings();
  const int32_t count = ini.ReadInteger(kSection, "CountSI", 0);
  for (int32_t i = 0; i < count; ++i) {
    const std::string n = "SI" + std::to_string(i);
    BackupDefinition row;
    row.Folder = ini.ReadString(kSection, n + "Path", "");
    row.Recursive = ini.ReadInteger(kSection, n + "Recurse", 0) == 1;
    row.Mask = ini.ReadString(kSection, n + "Mask", "");
    if (!row.Folder.empty() && !row.Mask.empty()) rows.push_back(row);
  }
  if (rows.empty()) rows.push_back({SystemFolder(), false, "*.*", -1});
  return rows;
}

void SaveBackupDefinitions(const std::vector<BackupDefinition>& rows) {
  TMyRegIniFile ini = FormSettings();
  ini.WriteInteger(kSection, "CountSI", static_cast<int32_t>(rows.size()));
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::string n = "SI" + std::to_string(i);
    ini.WriteString(kSection, n + "Path", rows[i].Folder);
    ini.WriteInteger(kSection, n + "Recurse", rows[i].Recursive ? 1 : 0);
    ini.WriteString(kSection, n + "Mask", rows[i].Mask);
  }
}

BackupCounters RunFileBackup(std::vector<BackupDefinition>& rows, int overwrite,
                             const std::function<void(const BackupProgress&)>& progress) {
  if (rows.empty()) {
    MessageDlg(tr("Bitte geben Sie zunächst an, welche Ordner Sie durchsuchen möchten !"), mtInformation, mbOK);
    return {};
  }
  BusyScope busy;
  BackupRun run(overwrite, progress);
  for (size_t i = 0; i < rows.size(); ++i) {
    BackupDefinition& row = rows[i];
    try {
      run.Row(row, i);
    } catch (const EMyAbort&) {
      // a cancel ends this row only
    } catch (const std::exception& e) {
      MessageDlg(e.what(), mtError, mbOK);
    }
  }
  UI().SetStatusText(StatusControl::Statuspanel, tr("Backup beendet."));
  return run.counters;
}
