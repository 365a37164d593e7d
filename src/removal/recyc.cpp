#include "removal/recyc.h"

#include <shellapi.h>
#include <shlobj.h>

#include <string_view>
#include <vector>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/text.h"

std::string CurrentBackupFolder;
bool AskReadOnly = false;

namespace {

HWND g_shellOwner = nullptr;

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The path without a "\\?\" or "\\.\" prefix ("\\?\UNC\server" becomes "\\server").
std::wstring WithoutNamespacePrefix(std::wstring_view path) {
  if (!StartsWith(path, kLongPrefix) && !StartsWith(path, kDevicePrefix)) return std::wstring(path);
  path.remove_prefix(kLongPrefix.size());
  if (StartsWith(path, L"UNC\\")) return L"\\" + std::wstring(path.substr(3));
  return std::wstring(path);
}

// The shell expands wildcards into every matching file, so a path with them names
// no single item for us.
bool HasWildcards(std::wstring_view path) {
  return WithoutNamespacePrefix(path).find_first_of(L"*?") != std::wstring::npos;
}

// A drive letter with a backslash, or a share: a path that does not depend on the
// current folder. "C:" alone names the current folder of drive C, not its root.
bool IsAbsolute(std::wstring_view path) {
  auto slash = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  return (path.size() >= 3 && path[1] == L':' && slash(path[2])) ||
         (path.size() >= 2 && slash(path[0]) && slash(path[1]));
}

// The full path; empty when there is no path, it holds wildcards, depends on the
// current folder or cannot be expanded.
std::wstring FullPath(const std::string& path) {
  const std::wstring wide = platform::Utf8ToWide(path);
  if (!IsAbsolute(wide) || HasWildcards(wide)) return {};
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD len = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (len == 0) return {};
    if (len < full.size()) {
      full.resize(len);
      return full;
    }
    full.resize(len);  // too small: len is the size needed, terminator included
  }
}

DWORD Attributes(const std::wstring& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
}

bool Exists(const std::wstring& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

std::wstring WithoutTrailingBackslashes(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

bool IsRoot(const std::wstring& path) {
  const std::wstring trimmed = WithoutTrailingBackslashes(WithoutNamespacePrefix(path));
  if (trimmed.empty()) return true;  // "\": the root of the current drive
  if (trimmed.size() == 2 && trimmed[1] == L':') return true;
  if (StartsWith(trimmed, L"\\\\")) {
    // "\\server" or "\\server\share": at most one separator after the server name.
    const size_t share = trimmed.find(L'\\', 2);
    return share == std::wstring::npos || trimmed.find(L'\\', share + 1) == std::wstring::npos;
  }
  return false;
}

// True when target is the source itself or lies inside it; such operations never
// reach the shell. Wine reports a folder moved into itself as done although nothing
// moved, and copies one into itself until the path no longer fits, then carries on
// in the current folder.
bool IsSameOrInside(const std::wstring& target, const std::wstring& source) {
  const std::wstring t = WithoutTrailingBackslashes(target);
  const std::wstring s = WithoutTrailingBackslashes(source);
  if (t.size() < s.size()) return false;
  if (t.size() > s.size() && t[s.size()] != L'\\') return false;
  return CompareStringOrdinal(t.data(), static_cast<int>(s.size()), s.data(), static_cast<int>(s.size()),
                              TRUE) == CSTR_EQUAL;
}

FILEOP_FLAGS OperationFlags(bool toRecycleBin, bool silent, bool confirm) {
  // Missing target folders are always made without a question: the callers ask for
  // the shell's confirmation only about overwriting.
  FILEOP_FLAGS flags = FOF_NOCONFIRMMKDIR;
  if (toRecycleBin) flags |= FOF_ALLOWUNDO;
  if (silent) flags |= FOF_SILENT;
  // Unconfirmed operations run in batch mode and tests too, where nobody could
  // close a window: no questions and no error boxes either.
  if (!confirm) flags |= FOF_NOCONFIRMATION | FOF_NOERRORUI;
  return flags;
}

bool RunOperation(UINT function, const std::wstring& from, const std::wstring* to, FILEOP_FLAGS flags) {
  // The shell takes lists of names: each name ends with a zero, the list with a
  // second one, which c_str() adds.
  const std::wstring fromList = from + L'\0';
  const std::wstring toList = to ? *to + L'\0' : std::wstring();
  SHFILEOPSTRUCTW op{};
  op.hwnd = g_shellOwner;
  op.wFunc = function;
  op.pFrom = fromList.c_str();
  op.pTo = to ? toList.c_str() : nullptr;
  op.fFlags = flags;
  const int rc = SHFileOperationW(&op);
  // A question answered with cancel can leave rc 0, with the abort flag set.
  return rc == 0 && !op.fAnyOperationsAborted;
}

// Makes the folders a move or copy target needs: the target itself when it ends with
// a backslash (a folder meant to receive the source), else its parent. The shell on
// Windows makes them under FOF_NOCONFIRMMKDIR; Wine's move does not.
bool CreateTargetFolders(const std::wstring& target) {
  std::wstring folder = target;
  if (folder.empty()) return false;
  if (folder.back() == L'\\') {
    folder.pop_back();
  } else {
    const size_t slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos) return true;
    folder.resize(slash);
  }
  if (folder.empty() || IsRoot(folder) || Exists(folder)) return true;
  const int rc = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return rc == ERROR_SUCCESS || rc == ERROR_ALREADY_EXISTS;
}

bool Transfer(UINT function, const std::string& source, const std::string& target, bool toRecycleBin,
              bool silent, bool confirm) {
  const std::wstring from = FullPath(source);
  if (!Exists(from)) return false;
  if (function == FO_MOVE && IsRoot(from)) return false;
  const std::wstring to = FullPath(target);
  if (to.empty() || IsSameOrInside(to, from)) return false;
  if (!CreateTargetFolders(to)) return false;
  return RunOperation(function, from, &to, OperationFlags(toRecycleBin, silent, confirm));
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Where the backup of fullPath goes: the backup folder followed by the path without
// its drive colon ("C:\X\a.dll" -> folder + "C\X\a.dll"). Empty when there is no
// backup folder to go to.
std::string BackupTarget(const std::wstring& fullPath) {
  std::string folder = CurrentBackupFolder;
  // No command has set a folder (the result file deleted on its own): the user's
  // backup folder rather than a path relative to wherever the process happens to be.
  if (folder.empty()) folder = ReadSettingText("BackupDir");
  if (folder.empty()) return {};
  if (folder.back() != '\\') folder += '\\';

  std::string relative = platform::WideToUtf8(WithoutNamespacePrefix(fullPath));
  const size_t colon = relative.find(':');
  if (colon != std::string::npos) relative.erase(colon, 1);
  // "\\server\share\x" continues the folder as "server\share\x".
  const size_t start = relative.find_first_not_of('\\');
  return start == std::string::npos ? std::string() : folder + relative.substr(start);
}

bool IsRealFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Moves an item to its place in the backup folder. A folder whose place holds a
// folder already (its files went there one by one before) is merged into it, as the
// shell would move it inside ("daten\daten"); a link is moved as it is, never entered.
void MoveToBackup(const std::wstring& from, const std::string& target, bool toRecycleBin) {
  if (!IsRealFolder(Attributes(from)) || !IsRealFolder(Attributes(FullPath(target)))) {
    ShellMove(platform::WideToUtf8(from), target, toRecycleBin, true, false);
    return;
  }
  std::vector<std::wstring> children;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") children.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  for (const std::wstring& name : children)
    MoveToBackup(from + L"\\" + name, target + "\\" + platform::WideToUtf8(name), toRecycleBin);
  RemoveDirectoryW(from.c_str());
}

[[noreturn]] void FailNotDeleted(const std::string& path) {
  throw EQuitawayError(FormatMsg(tr("Datei %s konnte nicht gelöscht werden"), {path}));
}

}  // namespace

void SetShellOwnerWindow(HWND owner) { g_shellOwner = owner; }
HWND ShellOwnerWindow() { return g_shellOwner; }

bool DeleteFileWithBackup(const std::string& path) {
  const std::wstring full = FullPath(path);
  const DWORD attributes = Attributes(full);
  if (attributes == INVALID_FILE_ATTRIBUTES) throw EQuitawayError(tr("Datei existiert nicht"));

  // Settings first: nothing is asked or changed when they cannot be read.
  const bool useRecycleBin = ReadSettingBool("UseRecycleBin");
  const bool backup = ReadSettingBool("BackupFiles");
  const std::string backupTarget = backup ? BackupTarget(full) : std::string();
  if (backup && backupTarget.empty()) FailNotDeleted(path);

  bool attributesCleared = false;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    if (AskReadOnly) {
      const std::string question =
          FormatMsg(tr("Datei: %s\rist schreibgeschützt, trotzdem löschen ?"), {path});
      const int answer = MessageDlg(question, mtConfirmation, mbYes | mbNo | mbAll);
      // Only a yes is a yes: a box closed without a choice keeps the file.
      if (answer != mrYes && answer != mrAll) throw EQuitawayError(tr("Löschen vom Benutzer abgebrochen"));
      if (answer == mrAll) AskReadOnly = false;
    }
    attributesCleared = SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_ARCHIVE) != 0;
  }

  if (backup)
    MoveToBackup(full, backupTarget, useRecycleBin);
  else
    ShellDelete(platform::WideToUtf8(full), useRecycleBin, true, false);

  // What the shell reported does not matter, only whether the item is gone. A folder
  // that stayed is a failure as much as a file.
  if (Exists(full)) {
    if (attributesCleared) SetFileAttributesW(full.c_str(), attributes);
    FailNotDeleted(path);
  }
  return true;
}

bool ShellDelete(const std::string& path, bool toRecycleBin, bool silent, bool confirm) {
  const std::wstring full = FullPath(path);
  if (!Exists(full) || IsRoot(full)) return false;
  return RunOperation(FO_DELETE, full, nullptr, OperationFlags(toRecycleBin, silent, confirm));
}

bool ShellDeleteFolder(const std::string& path, bool toRecycleBin, bool silent, bool confirm) {
  size_t first = 0;
  size_t last = path.size();
  while (first < last && IsBlank(path[first])) ++first;
  while (last > first && IsBlank(path[last - 1])) --last;
  std::string folder = path.substr(first, last - first);
  // "C:\" must not become "C:", which names the current folder of drive C.
  const bool driveRoot = folder.size() == 3 && folder[1] == ':';
  if (!folder.empty() && folder.back() == '\\' && !driveRoot) folder.pop_back();
  return ShellDelete(folder, toRecycleBin, silent, confirm);
}

bool ShellMove(const std::string& source, const std::string& target, bool toRecycleBin, bool silent,
               bool confirm) {
  return Transfer(FO_MOVE, source, target, toRecycleBin, silent, confirm);
}

bool ShellCopy(const std::string& source, const std::string& target, bool toRecycleBin, bool silent,
               bool confirm) {
  return Transfer(FO_COPY, source, target, toRecycleBin, silent, confirm);
}

bool FolderExists(const std::string& path) {
  std::wstring wide = platform::Utf8ToWide(path);
  if (wide.empty() || HasWildcards(wide)) return false;
  if (IsRoot(wide)) {
    // A find yields nothing for a root; the root itself is asked instead.
    const DWORD attributes = GetFileAttributesW((WithoutTrailingBackslashes(wide) + L'\\').c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  if (wide.back() == L'\\') wide.pop_back();
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW(wide.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsRootPath(const std::string& path) { return IsRoot(platform::Utf8ToWide(path)); }
