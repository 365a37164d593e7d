#include "tools/existing_programs.h"

#include <windows.h>

#include "core/exceptions.h"
#include "core/registry.h"
#include "core/settings.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/names.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "removal/recyc.h"

namespace {

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string Normal(std::string path) {
  path = platform::UpperCase(path);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool In(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (name == n) return true;
  return false;
}

void AddFolder(std::vector<std::string>& folders, const std::string& folder) {
  if (folder.size() >= 2 && folder[1] == ':') folders.push_back(Normal(folder));
}

// Every value of a key that holds folders (the shell's special folders).
void AddFolderValues(std::vector<std::string>& folders, HKEY root, const std::string& key) {
  TMyRegistry reg;
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) return;
  std::vector<std::string> names;
  reg.GetValueNames(names);
  for (const std::string& n : names) {
    const int type = reg.GetDataType(n);
    if (type == rdString || type == rdExpandString) AddFolder(folders, reg.ReadString(n, true));
  }
}

std::string SystemFolder(UINT (*get)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = get(buffer, MAX_PATH);
  return n > 0 && n <= MAX_PATH ? platform::WideToUtf8(buffer) : "";
}

UINT Wow64Folder(LPWSTR buffer, UINT size) { return GetSystemWow64DirectoryW(buffer, size); }
UINT SystemDir(LPWSTR buffer, UINT size) { return GetSystemDirectoryW(buffer, size); }

}  // namespace

std::vector<std::string> ProtectedFolders() {
  std::vector<std::string> folders;
  AddFolder(folders, platform::WindowsFolder());
  AddFolder(folders, SystemFolder(SystemDir));
  AddFolder(folders, SystemFolder(Wow64Folder));
  AddFolderValues(folders, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");  // program folders
  AddFolderValues(folders, HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  AddFolderValues(folders, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  const std::string profiles = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
  AddFolderValues(folders, HKEY_LOCAL_MACHINE, profiles);
  TMyRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  std::vector<std::string> users;
  if (reg.OpenKey(profiles, false)) reg.GetKeyNames(users);
  reg.CloseKey();
  for (const std::string& user : users) AddFolderValues(folders, HKEY_LOCAL_MACHINE, profiles + "\\" + user);
  return folders;
}

bool FolderIsProtected(const std::string& folder, const std::vector<std::string>& protectedFolders) {
  const std::string f = Normal(folder);
  if (f.size() <= 2) return true;  // a drive ("C:") or nothing
  for (const std::string& p : protectedFolders)
    if (p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '\\')) return true;
  return false;
}

// The top keys, their first level (but for the extensions and types of the classes
// root, whose shared keys are named), the level below that outside SOFTWARE, and the
// keys below SOFTWARE that many programs share. A user's hive below HKEY_USERS counts like HKEY_CURRENT_USER.
bool KeyIsProtected(const std::string& key) {
  std::vector<std::string> parts = Split(platform::UpperCase(key));
  if (parts.size() <= 1) return true;
  std::string root = parts.front();
  parts.erase(parts.begin());
  if (root == "HKEY_USERS") {
    parts.erase(parts.begin());  // the user's hive
    if (parts.empty()) return true;
  }
  if (root == "HKEY_CLASSES_ROOT")
    return parts.size() == 1 && In(parts[0], {"CLSID", "INTERFACE", "TYPELIB", "APPID", "*", "DIRECTORY", "FOLDER",
                                              "DRIVE", "ALLFILESYSTEMOBJECTS", "MIME", "UNKNOWN"});
  if (parts.size() == 1) return true;
  if (parts[0] != "SOFTWARE") return parts.size() == 2;  // SYSTEM\CurrentControlSet, Control Panel\Desktop
  size_t below = 1;
  if (parts[1] == "WOW6432NODE") {
    if (parts.size() == 2) return true;
    below = 2;
  }
  return parts.size() == below + 1 && In(parts[below], {"MICROSOFT", "CLASSES", "POLICIES", "WOW6432NODE", "WINE",
                                                        "CLIENTS", "REGISTEREDAPPLICATIONS", "ODBC"});
}

void PlanDeletions(const Tree& tree, ActionKind kind, const std::vector<std::string>& protectedFolders,
                   std::vector<PlannedAction>& plan) {
  std::vector<const TreeNode*> stack;
  for (size_t i = tree.Count(); i-- > 0;) stack.push_back(tree.TopNode(i));
  while (!stack.empty()) {
    const TreeNode* node = stack.back();
    stack.pop_back();
    if (node->Level() >= 2 && node->StateIndex() == stChecked) {
      const std::string path = NodePath(*node, true, kind == ActionKind::Folder);
      const bool refused =
          kind == ActionKind::Folder ? FolderIsProtected(path, protectedFolders) : KeyIsProtected(path);
      plan.push_back({kind, path, !refused, refused, tr(refused ? "geschützt, wird nicht gelöscht" : "unerledigt")});
      continue;
    }
    for (size_t i = node->Count(); i-- > 0;) stack.push_back(node->Child(i));
  }
}

namespace {

void DeleteKey(const std::string& path) {
  const size_t slash = path.find('\\');
  const int root = RootKeyIndex(path.substr(0, slash));
  if (root < 0 || slash == std::string::npos) return;  // no root key of the registry
  TMyRegistry reg(raFull);
  reg.SetRootKey(RootKeyByIndex(root));
  const std::string rest = path.substr(slash + 1);
  if (!reg.DeleteKey(rest) && reg.KeyExists(rest))
    throw EQuitawayError(tr("Nicht getan, Fehler: ") + tr("Der Schlüssel konnte nicht gelöscht werden"));
}

}  // namespace

void CarryOutDeletions(std::vector<PlannedAction>& plan) {
  AskReadOnly = true;
  std::string backup = ReadSettingText("BackupDir");
  if (!backup.empty() && backup.back() != '\\') backup += '\\';
  CurrentBackupFolder = backup;
  for (PlannedAction& a : plan) {
    if (!a.Ticked || a.Refused) continue;
    try {
      if (a.Kind == ActionKind::Folder) {
        if (!DeleteFileWithBackup(a.Path)) throw EQuitawayError(tr("Nicht getan, Fehler: "));
      } else {
        DeleteKey(a.Path);
      }
      a.Status = tr("Ok, fertig");
    } catch (const EAbort&) {
      throw;
    } catch (const std::exception& e) {
      a.Status = e.what();
    }
  }
}

std::string FileTypeOf(const std::string& extension) { return ReadRegistryString(HKEY_CLASSES_ROOT, extension, ""); }

std::vector<TreeNode*> ExtensionsOfType(const TreeNode& classesRoot, const std::string& type) {
  std::vector<TreeNode*> found;
  const std::string wanted = platform::UpperCase(type);
  for (size_t i = 0; i < classesRoot.Count(); ++i) {
    TreeNode* child = classesRoot.Child(i);
    if (child->Text().empty() || (child->Text()[0] != '.' && child->Text()[0] != '*')) break;
    if (child->StateIndex() != stChecked && platform::UpperCase(FileTypeOf(child->Text())) == wanted)
      found.push_back(child);
  }
  return found;
}
