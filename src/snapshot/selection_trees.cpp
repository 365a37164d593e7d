#include "snapshot/selection_trees.h"

#include <windows.h>
#include <sddl.h>
#include <shellapi.h>

#include <cwctype>
#include <iterator>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/exceptions.h"
#include "core/registry.h"
#include "platform/files.h"
#include "platform/names.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "model/data_codes.h"
#include "model/system_file_kind.h"
#include "model/tree_images.h"
#include "model/treetool.h"

namespace {

using platform::Utf8ToWide;
using platform::WideToUtf8;

const char* const kDefaultSystemFiles[] = {"Win.ini", "System.ini", "Autoexec.bat", "Config.sys"};

// ---------------------------------------------------------------- small helpers

// No "drive not ready" boxes while drives and folders are looked at: a floppy or CD
// drive without a medium simply has nothing to show.
class QuietErrors {
 public:
  QuietErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {
    SetErrorMode(old_ | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  }
  ~QuietErrors() { SetErrorMode(old_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  UINT old_;
};

// A registry key opened read-only, closed when it goes; a root key is used as it is.
class ReadKey {
 public:
  ReadKey(HKEY root, const std::wstring& path) {
    if (path.empty()) {
      key_ = root;
      return;
    }
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key_) == ERROR_SUCCESS) own_ = true;
    else key_ = nullptr;
  }
  ~ReadKey() {
    if (own_) RegCloseKey(key_);
  }
  ReadKey(const ReadKey&) = delete;
  ReadKey& operator=(const ReadKey&) = delete;

  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
  bool own_ = false;
};

bool SubkeyCount(HKEY key, DWORD& count, DWORD* longest = nullptr) {
  DWORD subkeys = 0, maxLen = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxLen, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  count = subkeys;
  if (longest) *longest = maxLen;
  return true;
}

// Names of the subkeys, as the registry enumerates them; false when the key cannot
// be read at all.
bool SubkeyNames(HKEY key, std::vector<std::wstring>& names) {
  DWORD count = 0, longest = 0;
  if (!SubkeyCount(key, count, &longest)) return false;
  names = EnumerateSubkeyNames(key, count, longest);
  return true;
}

using platform::FileExists;
using platform::TrimBlanks;

std::string ExpandVariables(const std::string& text) {
  if (text.find('%') == std::string::npos) return text;
  const std::wstring wide = Utf8ToWide(text);
  DWORD n = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
  if (n == 0) return text;
  std::wstring expanded(n, L'\0');
  n = ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), n);
  if (n == 0 || n > expanded.size()) return text;
  expanded.resize(n - 1);
  return WideToUtf8(expanded);
}

// Children of a partly selected node that were not in the tree count as watched
// (the comparison treats a missing node so): they appear checked.
int32_t InheritedState(const TreeNode& parent) {
  return parent.StateIndex() == stPartial ? stChecked : parent.StateIndex();
}

void InitNode(TreeNode& node, int32_t state, int32_t image, int32_t selected, bool hasChildren) {
  node.SetStateIndex(state);
  node.SetImageIndex(image);
  node.SetSelectedIndex(selected);
  node.SetHasChildren(hasChildren);
}

// State 4 for the node and everything loaded below it, then the parents follow.
void SelectNode(TreeNode& node) {
  node.SetStateIndex(stChecked);
  SetSubtreeState(node, stChecked);
  UpdateParents(node);
}

// State 3 for the node and everything loaded below it, then the parents follow.
void UnselectNode(TreeNode& node) {
  node.SetStateIndex(stUnchecked);
  SetSubtreeState(node, stUnchecked);
  UpdateParents(node);
}

TreeNode* ChildNamed(TreeNode& node, std::string_view name) {
  for (size_t i = 0; i < node.Count(); ++i)
    if (platform::SameText(node.Child(i)->Text(), name)) return node.Child(i);
  return nullptr;
}

std::vector<std::string> SplitParts(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (i > start) parts.emplace_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

// Walks from start down the parts, expanding on the way, and unselects the node
// found. Below a node that is not selected everything is unselected already (its
// children would load unselected), so the walk stops there without loading more.
void UnselectBelow(TreeNode& start, const std::vector<std::string>& parts) {
  TreeNode* node = &start;
  for (const std::string& part : parts) {
    if (node->StateIndex() == stUnchecked) return;
    if (!node->Expanded()) node->Expand();
    node = ChildNamed(*node, part);
    if (node == nullptr) return;
  }
  UnselectNode(*node);
}

void AddNoCheck(std::vector<std::string>& noCheck, const std::string& path) {
  if (!FileExists(path)) return;
  for (const std::string& entry : noCheck)
    if (platform::SameText(entry, path)) return;
  noCheck.push_back(path);
}

// Collapses every node of the subtree, deepest first, under the collapse rule.
void CollapseCompletely(TreeNode& top) {
  std::vector<TreeNode*> order;  // parents before their children
  std::vector<TreeNode*> stack{&top};
  while (!stack.empty()) {
    TreeNode* n = stack.back();
    stack.pop_back();
    if (n->Count() == 0) continue;
    order.push_back(n);
    for (size_t i = 0; i < n->Count(); ++i) stack.push_back(n->Child(i));
  }
  for (auto it = order.rbegin(); it != order.rend(); ++it) CollapseSelectionNode(**it);
}

// ---------------------------------------------------------------- what lies below a node

// Where the children of one tree's nodes come from: registry keys, folders or the
// sections of INI files. Lazy loading and the refresh share these.
class ChildSource {
 public:
  virtual ~ChildSource() = default;
  // Whether the node can have children of this kind at all.
  virtual bool Applies(const TreeNode& node) const { return node.Level() >= RootKeyLevel; }
  // The names of the node's children in the order of the tree; false when the node
  // cannot be read.
  virtual bool List(const TreeNode& node, std::vector<std::string>& names) const = 0;
  // Whether the node has any child; ok is false when it cannot be read.
  virtual bool Any(const TreeNode& node, bool& ok) const = 0;
  // Whether a child about to be added will have children of its own.
  virtual bool ChildHasChildren(const TreeNode& parent, const std::string& name) const = 0;
  virtual int32_t ChildImage() const { return imgKeyClosed; }
  virtual int32_t ChildSelectedImage() const { return imgKeyOpen; }
};

TreeNode* AddLoadedChild(TreeNode& parent, size_t index, const std::string& name, int32_t state,
                         const ChildSource& source) {
  TreeNode* child = parent.InsertChild(index, name);
  InitNode(*child, state, source.ChildImage(), source.ChildSelectedImage(),
        source.ChildHasChildren(parent, name));
  return child;
}

void LoadChildren(TreeNode& node, const ChildSource& source) {
  if (!source.Applies(node)) return;
  std::vector<std::string> names;
  if (!source.List(node, names)) return;  // cannot be opened: no children, nothing reported
  const int32_t state = InheritedState(node);
  for (const std::string& name : names) AddLoadedChild(node, node.Count(), name, state, source);
}

// ---- registry keys

class KeySource : public ChildSource {
 public:
  bool List(const TreeNode& node, std::vector<std::string>& names) const override {
    HKEY root;
    std::wstring path;
    if (!KeyOf(node, root, path)) return false;
    ReadKey key(root, path);
    std::vector<std::wstring> wide;
    if (!key || !SubkeyNames(key.get(), wide)) return false;
    platform::SortByName(wide, [](const std::wstring& n) { return std::wstring_view(n); });
    names.reserve(wide.size());
    for (const auto& n : wide) names.push_back(WideToUtf8(n));
    return true;
  }

  bool Any(const TreeNode& node, bool& ok) const override {
    HKEY root;
    std::wstring path;
    ok = KeyOf(node, root, path);
    return ok && HasSubkeys(root, path, ok);
  }

  bool ChildHasChildren(const TreeNode& parent, const std::string& name) const override {
    HKEY root;
    std::wstring path;
    if (!KeyOf(parent, root, path)) return false;
    if (!path.empty()) path += L'\\';
    path += Utf8ToWide(name);
    bool ok;
    return HasSubkeys(root, path, ok);
  }

 private:
  // Root = the text at the root-key level, path = the texts below it.
  static bool KeyOf(const TreeNode& node, HKEY& root, std::wstring& path) {
    std::vector<const TreeNode*> chain;
    const TreeNode* n = &node;
    for (; n != nullptr && n->Level() > RootKeyLevel; n = n->Parent()) chain.push_back(n);
    if (n == nullptr || n->Level() != RootKeyLevel) return false;
    root = RootKeyByIndex(RootKeyIndex(n->Text()));
    if (root == nullptr) return false;
    path.clear();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      if (!path.empty()) path += L'\\';
      path += Utf8ToWide((*it)->Text());
    }
    return true;
  }

  static bool HasSubkeys(HKEY root, const std::wstring& path, bool& ok) {
    ReadKey key(root, path);
    DWORD count = 0;
    ok = key && SubkeyCount(key.get(), count);
    return ok && count > 0;
  }
};

// ---- folders

// Opens a listing of pattern, folders wanted; systems without the basic form or the
// large fetch get the classic call.
HANDLE FindFirstFolder(const std::wstring& plainPattern, WIN32_FIND_DATAW& found) {
  // The long form, as the snapshot walks: what it records can be browsed and unselected.
  const std::wstring pattern = platform::LongPath(plainPattern);
  HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchLimitToDirectories,
                              nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
    h = FindFirstFileW(pattern.c_str(), &found);
  return h;
}

bool IsSubfolder(const WIN32_FIND_DATAW& found) {
  if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  const wchar_t* n = found.cFileName;
  return !(n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0)));
}

bool IsLink(const std::wstring& folderWithBackslash) {
  std::wstring path = folderWithBackslash;
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  const DWORD attributes = GetFileAttributesW(platform::LongPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Whether the folder holds a subfolder; ok is false when it cannot be listed.
bool HasSubfolders(const std::wstring& folder, bool& ok) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFolder(folder + L"*", found);
  if (h == INVALID_HANDLE_VALUE) {
    ok = GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root lists nothing
    return false;
  }
  ok = true;
  bool any = false;
  do any = IsSubfolder(found);
  while (!any && FindNextFileW(h, &found));
  FindClose(h);
  return any;
}

class FolderSource : public ChildSource {
 public:
  bool List(const TreeNode& node, std::vector<std::string>& names) const override {
    std::wstring folder;
    if (!FolderOf(node, folder)) return false;
    QuietErrors quiet;
    // A link or junction may lead anywhere, back up the tree too: never entered.
    if (node.Level() > RootKeyLevel && IsLink(folder)) return true;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFolder(folder + L"*", found);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    std::vector<std::wstring> wide;
    do {
      if (IsSubfolder(found)) wide.emplace_back(found.cFileName);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    platform::SortByName(wide, [](const std::wstring& n) { return std::wstring_view(n); });
    names.reserve(wide.size());
    for (const auto& n : wide) names.push_back(WideToUtf8(n));
    return true;
  }

  bool Any(const TreeNode& node, bool& ok) const override {
    std::wstring folder;
    ok = FolderOf(node, folder);
    if (!ok) return false;
    QuietErrors quiet;
    if (node.Level() > RootKeyLevel && IsLink(folder)) return false;
    return HasSubfolders(folder, ok);
  }

  bool ChildHasChildren(const TreeNode& parent, const std::string& name) const override {
    std::wstring folder;
    if (!FolderOf(parent, folder)) return false;
    folder += Utf8ToWide(name) + L"\\";
    if (IsLink(folder)) return false;
    bool ok;
    return HasSubfolders(folder, ok);
  }

  // The folder of a drive-tree node, with a trailing backslash: the drive letter of
  // the node at the root-key level, then the texts below it.
  static bool FolderOf(const TreeNode& node, std::wstring& folder) {
    std::vector<const TreeNode*> chain;
    const TreeNode* n = &node;
    for (; n != nullptr && n->Level() > RootKeyLevel; n = n->Parent()) chain.push_back(n);
    if (n == nullptr || n->Level() != RootKeyLevel) return false;
    const std::string& drive = n->Text();
    if (drive.size() < 2 || drive[1] != ':') return false;
    folder = Utf8ToWide(drive.substr(0, 2)) + L"\\";
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) folder += Utf8ToWide((*it)->Text()) + L"\\";
    return true;
  }
};

// ---- INI sections

// Section nodes carry the header line as the system-file section stores it,
// brackets included ("[boot]"): the comparison looks their states up by that text.
class SectionSource : public ChildSource {
 public:
  explicit SectionSource(std::string pathToSystemFiles) : path_to_system_files_(std::move(pathToSystemFiles)) {}

  bool Applies(const TreeNode& node) const override {
    std::string path;
    return node.Level() == RootKeyLevel && IsIniKind(KindOf(node, path));
  }

  bool List(const TreeNode& node, std::vector<std::string>& names) const override {
    std::string path;
    if (!IsIniKind(KindOf(node, path))) return false;
    std::vector<std::string> lines;
    std::string error;
    if (!platform::ReadTextFileLines(path, lines, error)) return false;
    for (const std::string& line : lines) {
      const std::string_view t = TrimBlanks(line);
      if (t.size() >= 2 && t.front() == '[' && t.back() == ']') names.emplace_back(t);
    }
    return true;
  }

  bool Any(const TreeNode& node, bool& ok) const override {
    std::vector<std::string> names;
    ok = List(node, names);
    return ok && !names.empty();
  }

  bool ChildHasChildren(const TreeNode&, const std::string&) const override { return false; }
  int32_t ChildImage() const override { return imgIniFile; }
  int32_t ChildSelectedImage() const override { return imgIniFile; }

 private:
  // The file kind of a level-1 node, -1 for an entry of unknown kind.
  int KindOf(const TreeNode& node, std::string& path) const {
    try {
      return FileKindOf(node.Text(), path, path_to_system_files_);
    } catch (const EQuitawayError&) {
      return -1;
    }
  }

  std::string path_to_system_files_;
};

void InstallLoader(Tree& tree, std::shared_ptr<const ChildSource> source) {
  tree.SetLoader([source](TreeNode& node) { LoadChildren(node, *source); });
}

// ---------------------------------------------------------------- refresh

// Folds names for matching: names that differ only in letter case are the same key,
// folder or section.
std::string Fold(const std::string& name) { return platform::UpperCase(name); }

void DropChildren(TreeNode& node) {
  node.DeleteChildren();
  node.SetHasChildren(false);
  if (node.StateIndex() == stPartial) node.SetStateIndex(stChecked);
}

// Brings the loaded children of node in line with names (in the tree's order):
// children no longer there are deleted, new names are inserted at their place.
// Returns the children that were there before, to be refreshed in turn.
std::vector<TreeNode*> MergeChildren(TreeNode& node, const std::vector<std::string>& names,
                                     const ChildSource& source) {
  std::vector<std::string> folded;
  folded.reserve(names.size());
  std::unordered_map<std::string, int> wanted;  // an INI file may repeat a section
  for (const std::string& n : names) {
    folded.push_back(Fold(n));
    ++wanted[folded.back()];
  }
  std::unordered_map<std::string, int> present;
  for (size_t i = 0; i < node.Count();) {
    const std::string f = Fold(node.Child(i)->Text());
    auto it = wanted.find(f);
    if (it == wanted.end() || present[f] >= it->second) {
      node.Child(i)->Delete();
      continue;
    }
    ++present[f];
    ++i;
  }

  const int32_t state = InheritedState(node);
  std::unordered_set<TreeNode*> matched;
  std::vector<TreeNode*> kept;
  size_t j = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    while (j < node.Count() && matched.count(node.Child(j))) ++j;
    TreeNode* match = nullptr;
    if (present[folded[i]] > 0) {
      if (j < node.Count() && Fold(node.Child(j)->Text()) == folded[i]) {
        match = node.Child(j++);
      } else {  // the loaded children were in another order: keep the node where it is
        for (size_t k = j; k < node.Count() && match == nullptr; ++k)
          if (!matched.count(node.Child(k)) && Fold(node.Child(k)->Text()) == folded[i]) match = node.Child(k);
      }
    }
    if (match != nullptr) {
      --present[folded[i]];
      matched.insert(match);
      if (match->Text() != names[i]) match->SetText(names[i]);  // renamed in letter case only
      kept.push_back(match);
      continue;
    }
    matched.insert(AddLoadedChild(node, j++, names[i], state, source));
  }
  return kept;
}

void RefreshTree(Tree& tree, const ChildSource& source) {
  TreeUpdateScope suspended(tree);
  std::vector<TreeNode*> stack;
  for (size_t t = tree.Count(); t-- > 0;) {
    TreeNode* top = tree.TopNode(t);
    for (size_t i = top->Count(); i-- > 0;) stack.push_back(top->Child(i));
  }
  while (!stack.empty()) {
    TreeNode* node = stack.back();
    stack.pop_back();
    if (node->Level() < RootKeyLevel) {
      for (size_t i = node->Count(); i-- > 0;) stack.push_back(node->Child(i));
      continue;
    }
    if (!source.Applies(*node)) continue;
    // A node that cannot be read now stays as it is: that it could not be opened
    // does not mean its children are gone.
    if (node->Count() == 0) {
      bool ok = false;
      const bool any = source.Any(*node, ok);
      if (!ok) continue;
      if (any) node->SetHasChildren(true);
      else DropChildren(*node);
      continue;
    }
    std::vector<std::string> names;
    if (!source.List(*node, names)) continue;
    if (names.empty()) {
      DropChildren(*node);
      continue;
    }
    node->SetHasChildren(true);
    const std::vector<TreeNode*> kept = MergeChildren(*node, names, source);
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) stack.push_back(*it);
  }
}

// ---------------------------------------------------------------- drives

std::string DriveDisplayName(wchar_t letter) {
  const wchar_t root[] = {letter, L':', L'\\', 0};
  SHFILEINFOW info{};
  if (SHGetFileInfoW(root, 0, &info, sizeof info, SHGFI_DISPLAYNAME) == 0) return {};
  std::wstring name = info.szDisplayName;
  // "System (C:)": the drive letter in parentheses at the end goes, with the blank
  // before it.
  if (name.size() >= 4) {
    const wchar_t* tail = name.c_str() + name.size() - 4;
    if (tail[0] == L'(' && towupper(tail[1]) == letter && tail[2] == L':' && tail[3] == L')')
      name.resize(name.size() - 4);
  }
  while (!name.empty() && name.back() == L' ') name.pop_back();
  // A shell that knows no name answers with the drive itself.
  if (name.size() >= 2 && name.size() <= 3 && towupper(name[0]) == letter && name[1] == L':') name.clear();
  return WideToUtf8(name);
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The drive node whose text begins with the letter and a colon.
TreeNode* DriveNode(Tree& driveTree, char letter) {
  TreeNode* top = driveTree.First();
  if (top == nullptr) return nullptr;
  for (size_t i = 0; i < top->Count(); ++i) {
    const std::string& text = top->Child(i)->Text();
    if (text.size() >= 2 && text[1] == ':' && AsciiUpper(text[0]) == AsciiUpper(letter)) return top->Child(i);
  }
  return nullptr;
}

UINT DriveTypeOf(char letter) {
  const wchar_t root[] = {static_cast<wchar_t>(static_cast<unsigned char>(letter)), L':', L'\\', 0};
  return GetDriveTypeW(root);
}

// Recycle bin folders: "RECYCLED" (FAT), "RECYCLER" (NTFS up to XP) and
// "$RECYCLE.BIN" (NTFS from Vista on, where this program runs as well).
bool IsRecycleFolder(const std::string& name) {
  const std::string upper = Fold(name);
  return upper == "RECYCLED" || upper == "RECYCLER" || upper == "$RECYCLE.BIN";
}

std::string WithBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

// The user-added files of the system-file tree (entries of the user's own kinds).
std::vector<std::string> UserFilesOf(const Tree& systemTree, const std::string& pathToSystemFiles) {
  std::vector<std::string> files;
  const TreeNode* top = systemTree.First();
  if (top == nullptr) return files;
  for (size_t i = 0; i < top->Count(); ++i) {
    std::string path;
    try {
      const int kind = FileKindOf(top->Child(i)->Text(), path, pathToSystemFiles);
      if (kind == sfUserIni || kind == sfUserText) files.push_back(top->Child(i)->Text());
    } catch (const EQuitawayError&) {
    }
  }
  return files;
}

}  // namespace

// ---------------------------------------------------------------- building

void BuildRegistryTree(Tree& tree) {
  TreeUpdateScope suspended(tree);
  tree.Clear();
  InstallLoader(tree, std::make_shared<KeySource>());
  TreeNode* top = tree.AddTop(kRegistryTop);
  InitNode(*top, stUnchecked, imgComputer, imgComputer, true);
  for (int i = 0; i < kRootKeyCount; ++i) {
    HKEY root = RootKeyByIndex(i);
    // The performance data has no subkeys on any system; asking would only load the
    // system's performance libraries.
    if (root == HKEY_PERFORMANCE_DATA) continue;
    DWORD count = 0;
    if (!SubkeyCount(root, count) || count == 0) continue;
    TreeNode* node = top->AddChild(RootKeyName(root));
    InitNode(*node, stUnchecked, imgKeyClosed, imgKeyOpen, true);
  }
}

void BuildDriveTree(Tree& tree) {
  TreeUpdateScope suspended(tree);
  tree.Clear();
  InstallLoader(tree, std::make_shared<FolderSource>());
  TreeNode* top = tree.AddTop(kDrivesTop);
  InitNode(*top, stUnchecked, imgComputer, imgComputer, true);
  QuietErrors quiet;
  const DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((drives & (1u << i)) == 0) continue;
    const char letter = static_cast<char>('A' + i);
    // Wine's drive for the host's root folder has no label, and asking the shell for
    // one only makes Wine complain on the console that it cannot read the device.
    std::string name = IsHostRootDrive(letter) ? std::string() : DriveDisplayName(static_cast<wchar_t>(letter));
    if (name.empty()) name = "unbekannt";
    TreeNode* node = top->AddChild(std::string(1, letter) + ": " + name);
    const int32_t image = imgDriveBase + static_cast<int32_t>(DriveTypeOf(letter));
    InitNode(*node, stUnchecked, image, image, true);
  }
}

void BuildSystemFileTree(Tree& tree, const std::vector<std::string>& userFiles, const SelectionContext& ctx) {
  TreeUpdateScope suspended(tree);
  tree.Clear();
  InstallLoader(tree, std::make_shared<SectionSource>(ctx.PathToSystemFiles));
  TreeNode* top = tree.AddTop(kSystemTop);
  InitNode(*top, stUnchecked, imgComputer, imgComputer, true);
  std::vector<std::string> entries(std::begin(kDefaultSystemFiles), std::end(kDefaultSystemFiles));
  entries.insert(entries.end(), userFiles.begin(), userFiles.end());
  for (const std::string& entry : entries) {
    std::string path;
    int kind;
    try {
      kind = FileKindOf(entry, path, ctx.PathToSystemFiles);
    } catch (const EQuitawayError&) {
      continue;  // not a file the snapshot could store: it would only stop the snapshot
    }
    TreeNode* node = top->AddChild(entry);
    const int32_t image = IsIniKind(kind) ? imgIniFile : imgTextFile;
    InitNode(*node, stUnchecked, image, image, IsIniKind(kind));
  }
}

std::string IniSectionName(const std::string& sectionText) {
  if (sectionText.size() >= 2 && sectionText.front() == '[' && sectionText.back() == ']')
    return sectionText.substr(1, sectionText.size() - 2);
  return sectionText;
}

// ---------------------------------------------------------------- user operations

void CollapseSelectionNode(TreeNode& node) {
  node.Collapse();
  // A partly selected node keeps its children: they are the only record of which
  // descendants are selected.
  if (node.Level() >= RootKeyLevel && node.StateIndex() != stPartial) node.DeleteChildren();
}

void ToggleCheck(TreeNode& node) {
  const int32_t state = node.StateIndex();
  if (state != stChecked && state != stUnchecked && state != stPartial)
    throw EQuitawayError("unknown Stateindex");
  Tree& tree = node.Owner();
  {
    TreeUpdateScope suspended(tree);
    // Checking a collapsed node drops its loaded children, so that they load again
    // with the new state; an expanded one (or the top node) takes its whole subtree.
    SetNodeChecked(node, state != stChecked);
  }
  tree.SetModified(true);
}

// ---------------------------------------------------------------- default selection

namespace {

// 1. The machine, the users and the current configuration; the numbered control sets
//    are copies the system keeps for itself.
void SelectRegistryRoots(TreeNode& registryTop) {
  for (const char* name : {"HKEY_LOCAL_MACHINE", "HKEY_USERS", "HKEY_CURRENT_CONFIG"})
    if (TreeNode* root = ChildNamed(registryTop, name)) SelectNode(*root);
  TreeNode* machine = ChildNamed(registryTop, "HKEY_LOCAL_MACHINE");
  if (machine == nullptr) return;
  machine->Expand();
  if (TreeNode* system = ChildNamed(*machine, "SYSTEM")) {
    system->Expand();
    for (size_t i = 0; i < system->Count(); ++i)
      if (Fold(system->Child(i)->Text()).rfind("CONTROLSET", 0) == 0) UnselectNode(*system->Child(i));
  }
  CollapseSelectionNode(*machine);
}

// 2. Fixed drives (and those without a root folder), without their page file and
//    recycle bin. Under Wine the drive that shows the host's root folder (normally Z:)
//    holds the whole host system, not the Windows installation: left out.
void SelectFixedDrives(TreeNode& drivesTop, std::vector<std::string>& noCheck) {
  for (size_t i = 0; i < drivesTop.Count(); ++i) {
    TreeNode* drive = drivesTop.Child(i);
    const char letter = drive->Text()[0];
    const UINT type = DriveTypeOf(letter);
    if (type != DRIVE_FIXED && type != DRIVE_NO_ROOT_DIR) continue;
    if (IsHostRootDrive(letter)) continue;
    AddNoCheck(noCheck, std::string(1, letter) + ":\\pagefile.sys");
    SelectNode(*drive);
    drive->Expand();
    for (size_t k = 0; k < drive->Count(); ++k)
      if (IsRecycleFolder(drive->Child(k)->Text())) UnselectNode(*drive->Child(k));
    CollapseSelectionNode(*drive);
  }
}

// 4. Swap file and the registry files of the old systems.
void AddOldSystemFiles(std::vector<std::string>& noCheck, const std::string& windows) {
  for (const char* name : {"Win386.swp", "system.dat", "user.dat", "hwinfo.dat"})
    AddNoCheck(noCheck, windows + name);
}

// 5. Folders that change by themselves, and the program's own folder.
void UnselectChangingFolders(Tree& driveTree, const SelectionContext& ctx, const std::string& windows) {
  UnselectFolder(driveTree, WithBackslash(ctx.SystemFolder) + "Config");
  UnselectFolder(driveTree, windows + "Temporary Internet Files");
  UnselectFolder(driveTree, ctx.ProgramFolder);
}

// 6. Keys that change by themselves, and the program's own settings. The folder
//    history of the WinZip archiver is left out: the vendor key it lives under is not
//    known here. The display adapter's keys are rewritten whenever a desktop starts
//    (under Wine with a new key name each time): no installation is undone there, and
//    they would fill every log.
void UnselectChangingKeys(TreeNode& registryTop, const std::string& sid, const std::string& settingsKey) {
  const std::string user = "HKEY_USERS\\" + sid + "\\";
  const std::string explorer = user + "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
  for (const std::string& key : {std::string("HKEY_LOCAL_MACHINE\\Software\\McAfee\\VirusScan\\McShield"),
                                 explorer + "RecentDocs", explorer + "StreamMRU", explorer + "Streams",
                                 explorer + "ComDlg32", user + settingsKey,
                                 std::string("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Video"),
                                 std::string("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
                                             "{4D36E968-E325-11CE-BFC1-08002BE10318}")}) {
    const std::vector<std::string> parts = SplitParts(key);
    if (parts.size() < 3) continue;  // no settings key given: never the whole user
    if (TreeNode* root = ChildNamed(registryTop, parts.front()))
      UnselectBelow(*root, std::vector<std::string>(parts.begin() + 1, parts.end()));
  }
}

// 7. The user's browser cache, cookies and recent documents.
void UnselectShellFolders(Tree& driveTree) {
  TMyRegistry reg(raRead);
  reg.SetRootKey(HKEY_CURRENT_USER);
  if (!reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false)) return;
  for (const char* value : {"Cache", "Cookies", "Recent"}) {
    if (!reg.ValueExists(value)) continue;
    try {
      const std::string folder = ExpandVariables(reg.ReadString(value, true));
      if (!folder.empty()) UnselectFolder(driveTree, folder);
    } catch (const EMyRegistryException&) {
      // not a text: no folder to leave out
    }
  }
}

// 8. The user's registry hive and its log.
void AddProfileHive(std::vector<std::string>& noCheck, const std::string& sid) {
  TMyRegistry reg(raRead);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKey("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid, false) ||
      !reg.ValueExists("ProfileImagePath"))
    return;
  try {
    const std::string profile = WithBackslash(ExpandVariables(reg.ReadString("ProfileImagePath", true)));
    if (profile.size() > 1) {
      AddNoCheck(noCheck, profile + "NTUSER.DAT");
      AddNoCheck(noCheck, profile + "ntuser.dat.LOG");
    }
  } catch (const EMyRegistryException&) {
    // not a text: no hive to leave out
  }
}

// 10. Line files that do not exist are not watched.
void UncheckMissingLineFiles(Tree& systemTree, const SelectionContext& ctx) {
  TreeNode* systemTop = systemTree.First();
  TreeUpdateScope suspended(systemTree);
  for (size_t i = 0; i < systemTop->Count(); ++i) {
    TreeNode* file = systemTop->Child(i);
    std::string path;
    int kind;
    try {
      kind = FileKindOf(file->Text(), path, ctx.PathToSystemFiles);
    } catch (const EQuitawayError&) {
      continue;
    }
    if ((kind == sfSystemText || kind == sfUserText) && !FileExists(path)) {
      file->SetStateIndex(stUnchecked);
      UpdateParents(*file);
    }
  }
}

}  // namespace

void DefaultSelection(Tree& registryTree, Tree& driveTree, Tree& systemTree,
                      std::vector<std::string>& noCheck, const SelectionContext& ctx) {
  // The user's own system files stay in the list; only their selection is reset.
  const std::vector<std::string> userFiles = UserFilesOf(systemTree, ctx.PathToSystemFiles);
  BuildRegistryTree(registryTree);
  BuildDriveTree(driveTree);
  BuildSystemFileTree(systemTree, userFiles, ctx);
  noCheck.clear();
  {
    TreeUpdateScope suspendRegistry(registryTree);
    TreeUpdateScope suspendDrives(driveTree);
    TreeUpdateScope suspendSystem(systemTree);
    QuietErrors quiet;
    TreeNode* registryTop = registryTree.First();
    TreeNode* drivesTop = driveTree.First();
    TreeNode* systemTop = systemTree.First();
    const std::string windows = WithBackslash(ctx.WindowsFolder);
    const std::string sid = CurrentUserSidString();

    SelectRegistryRoots(*registryTop);
    SelectFixedDrives(*drivesTop, noCheck);
    SelectNode(*systemTop);  // 3. all system files
    AddOldSystemFiles(noCheck, windows);
    UnselectChangingFolders(driveTree, ctx, windows);
    UnselectChangingKeys(*registryTop, sid, ctx.SettingsKey);
    UnselectShellFolders(driveTree);
    AddProfileHive(noCheck, sid);
    // 9. Everything collapsed, the top nodes open one level.
    for (TreeNode* top : {registryTop, drivesTop, systemTop}) {
      CollapseCompletely(*top);
      top->Expand();
    }
  }
  UncheckMissingLineFiles(systemTree, ctx);
}

// ---------------------------------------------------------------- refresh

void RefreshSelectionTrees(Tree& registryTree, Tree& driveTree, Tree& systemTree, const SelectionContext& ctx) {
  RefreshTree(registryTree, KeySource());
  {
    QuietErrors quiet;
    RefreshTree(driveTree, FolderSource());
  }
  RefreshTree(systemTree, SectionSource(ctx.PathToSystemFiles));
}

// ---------------------------------------------------------------- system questions

std::string CurrentUserSidString() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return ".default";
  std::string result = ".default";
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size > 0) {
    std::vector<BYTE> buffer(size);
    if (GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
      const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
      LPWSTR text = nullptr;
      if (ConvertSidToStringSidW(user->User.Sid, &text)) {
        result = WideToUtf8(text);
        LocalFree(text);
      }
    }
  }
  CloseHandle(token);
  return result;
}

bool IsHostRootDrive(char letter) {
  // Wine's own exports; on Windows they do not exist and no drive is the host's root.
  using UnixNameFn = char*(CDECL*)(LPCWSTR);
  using DosNameFn = WCHAR*(CDECL*)(LPCSTR);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return false;
  const auto unixName =
      reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
  if (unixName == nullptr) return false;
  const wchar_t upper = towupper(static_cast<wchar_t>(static_cast<unsigned char>(letter)));
  if (upper < L'A' || upper > L'Z') return false;
  const wchar_t root[] = {upper, L':', L'\\', 0};
  if (char* name = unixName(root)) {
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    while (!path.empty() && path.back() == '/') path.pop_back();
    if (path.empty()) return true;  // "/"
  }
  // Wine may answer through its drive folder (".../dosdevices/z:/"); the other way
  // round names the drive that shows the root folder.
  const auto dosName =
      reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name")));
  if (dosName == nullptr) return false;
  bool rootDrive = false;
  if (WCHAR* dos = dosName("/")) {
    rootDrive = dos[0] != 0 && towupper(dos[0]) == upper && dos[1] == L':' &&
                 (dos[2] == 0 || (dos[2] == L'\\' && dos[3] == 0));
    HeapFree(GetProcessHeap(), 0, dos);
  }
  return rootDrive;
}

void UnselectFolder(Tree& driveTree, const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return;  // not on a drive (a share, a relative path)
  TreeNode* drive = DriveNode(driveTree, path[0]);
  if (drive == nullptr) return;
  QuietErrors quiet;
  UnselectBelow(*drive, SplitParts(std::string_view(path).substr(2)));
}
