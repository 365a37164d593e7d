// The selection trees on the real registry and real folders of the test prefix:
// lazy loading, the check click and the collapse rule, the refresh merge and the
// default selection.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/registry.h"
#include "platform/text.h"
#include "model/data_codes.h"
#include "snapshot/selection_trees.h"
#include "model/tree_images.h"
#include "model/treetool.h"
#include "support/temp_folder.h"

namespace {

using platform::Utf8ToWide;

constexpr char kKey[] = "Software\\Velmoria\\QuitawayTests\\selection";
constexpr char kControlSet[] = "ControlSet00QuitawaySelectionTest";
const std::string kTreeKey = std::string("HKEY_CURRENT_USER\\") + kKey;

void CreateKey(const std::string& sub) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(std::string(kKey) + "\\" + sub).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << sub;
  RegCloseKey(key);
}

void DeleteKey(const std::string& sub) {
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(std::string(kKey) + "\\" + sub).c_str()), ERROR_SUCCESS)
      << sub;
}

void MakeFolder(const std::string& path) {
  ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr)) << path;
}

void RemoveFolder(const std::string& path) {
  ASSERT_TRUE(RemoveDirectoryW(Utf8ToWide(path).c_str())) << path;
}

bool IsFile(const std::string& path) {
  const DWORD a = GetFileAttributesW(Utf8ToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::vector<std::string> Texts(const TreeNode& node) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < node.Count(); ++i) texts.push_back(node.Child(i)->Text());
  return texts;
}

std::vector<int32_t> States(const TreeNode& node) {
  std::vector<int32_t> states;
  for (size_t i = 0; i < node.Count(); ++i) states.push_back(node.Child(i)->StateIndex());
  return states;
}

TreeNode* DriveOf(Tree& tree, char letter) {
  TreeNode* top = tree.First();
  for (size_t i = 0; top && i < top->Count(); ++i)
    if (top->Child(i)->Text()[0] == letter) return top->Child(i);
  return nullptr;
}

// The node of a folder ("C:\a\b\") in the drive tree.
TreeNode* FolderNode(Tree& tree, const std::string& path, bool expand) {
  TreeNode* drive = DriveOf(tree, static_cast<char>(toupper(static_cast<unsigned char>(path[0]))));
  if (drive == nullptr) return nullptr;
  std::vector<std::string> list = {tree.First()->Text(), drive->Text()};
  size_t start = 3;
  for (size_t i = 3; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '\\') {
      if (i > start) list.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  return FindNodeByPathList(list, tree, expand);
}

class SelectionTrees : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kKey).c_str());
    CreateKey("base");
    BuildRegistryTree(registry_);
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kKey).c_str()); }

  // The test's key node, not yet expanded.
  TreeNode* Base() {
    TreeNode* node = FindNodeByPath(kTreeKey + "\\base", registry_, false, true);
    EXPECT_NE(node, nullptr);
    return node;
  }

  Tree registry_;
};

}  // namespace

// ---------------------------------------------------------------- filling

TEST_F(SelectionTrees, RegistryTopAndRootKeysInTableOrder) {
  ASSERT_EQ(registry_.Count(), 1u);
  const TreeNode* top = registry_.First();
  EXPECT_EQ(top->Text(), "Arbeitsplatz");
  EXPECT_EQ(top->ImageIndex(), imgComputer);
  EXPECT_EQ(top->StateIndex(), stUnchecked);
  std::vector<std::string> roots = Texts(*top);
  for (const char* expected : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"})
    EXPECT_NE(std::find(roots.begin(), roots.end(), expected), roots.end()) << expected;
  EXPECT_EQ(std::find(roots.begin(), roots.end(), "HKEY_PERFORMANCE_DATA"), roots.end());
  for (size_t i = 0; i < top->Count(); ++i) {
    EXPECT_TRUE(top->Child(i)->HasChildren()) << roots[i];
    EXPECT_EQ(top->Child(i)->Count(), 0u) << roots[i];  // loaded on expansion only
    if (i > 0) {
      EXPECT_LT(RootKeyIndex(roots[i - 1]), RootKeyIndex(roots[i]));
    }
  }
}

TEST_F(SelectionTrees, SubkeysLoadSortedWithTheParentsState) {
  CreateKey("base\\beta");
  CreateKey("base\\_under");
  CreateKey("base\\Alpha\\deep");
  TreeNode* base = Base();
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(base->StateIndex(), stUnchecked);  // inherited all the way from the new tree
  EXPECT_EQ(base->Count(), 0u);

  ToggleCheck(*base);  // collapsed: checked, its children load checked
  base->Expand();
  EXPECT_EQ(Texts(*base), (std::vector<std::string>{"_under", "Alpha", "beta"}));
  EXPECT_EQ(States(*base), (std::vector<int32_t>{stChecked, stChecked, stChecked}));
  for (size_t i = 0; i < base->Count(); ++i) {
    EXPECT_EQ(base->Child(i)->ImageIndex(), imgKeyClosed);
    EXPECT_EQ(base->Child(i)->SelectedIndex(), imgKeyOpen);
  }
  EXPECT_FALSE(base->Child(0)->HasChildren());
  EXPECT_TRUE(base->Child(1)->HasChildren());
  EXPECT_FALSE(base->Child(2)->HasChildren());

  // Below a partly selected node, children that were not recorded count as watched.
  TreeNode* alpha = base->Child(1);
  alpha->SetStateIndex(stPartial);
  alpha->Expand();
  EXPECT_EQ(States(*alpha), (std::vector<int32_t>{stChecked}));

  // A key that cannot be opened has no children, and no error is raised.
  TreeNode* gone = base->AddChild("no such key");
  gone->SetHasChildren(true);
  gone->Expand();
  EXPECT_EQ(gone->Count(), 0u);
  EXPECT_FALSE(gone->HasChildren());
}

TEST(SelectionFolders, FoldersOnlySortedLinksNotEntered) {
  TempFolder temp;
  MakeFolder(temp.File("b"));
  MakeFolder(temp.File("_x"));
  MakeFolder(temp.File("A"));
  MakeFolder(temp.File("A\\sub"));
  WriteFileBytes(temp.File("file.txt"), "x");
  WriteFileBytes(temp.File("b\\inner.txt"), "x");

  Tree drives;
  BuildDriveTree(drives);
  TreeNode* folder = FolderNode(drives, temp.Path(), true);
  ASSERT_NE(folder, nullptr) << temp.Path();
  folder->Expand();
  EXPECT_EQ(Texts(*folder), (std::vector<std::string>{"_x", "A", "b"}));
  EXPECT_FALSE(folder->Child(0)->HasChildren());
  EXPECT_TRUE(folder->Child(1)->HasChildren());
  EXPECT_FALSE(folder->Child(2)->HasChildren());  // files do not count

  const char* links = getenv("QW_LINK_FIXTURE");
  if (links == nullptr) GTEST_SKIP() << "no link fixture";
  TreeNode* inner = FolderNode(drives, std::string(links) + "inner\\", true);
  ASSERT_NE(inner, nullptr) << links;
  inner->Expand();
  ASSERT_EQ(Texts(*inner), (std::vector<std::string>{"up"}));
  TreeNode* up = inner->Child(0);
  EXPECT_FALSE(up->HasChildren());
  up->SetHasChildren(true);  // as a selection file from elsewhere may say
  up->Expand();
  EXPECT_EQ(up->Count(), 0u);
}

TEST(SelectionFolders, DriveTreeHasEveryDriveWithItsTypeImage) {
  Tree drives;
  BuildDriveTree(drives);
  ASSERT_EQ(drives.Count(), 1u);
  const TreeNode* top = drives.First();
  EXPECT_EQ(top->Text(), "Laufwerke");
  const DWORD mask = GetLogicalDrives();
  size_t expected = 0;
  for (int i = 0; i < 26; ++i) expected += (mask >> i) & 1;
  ASSERT_EQ(top->Count(), expected);
  bool sawC = false;
  for (size_t i = 0; i < top->Count(); ++i) {
    const TreeNode* d = top->Child(i);
    const std::string& t = d->Text();
    ASSERT_GE(t.size(), 4u) << t;
    EXPECT_TRUE(t[0] >= 'A' && t[0] <= 'Z') << t;
    EXPECT_EQ(t.substr(1, 2), ": ") << t;
    EXPECT_NE(t.back(), ' ') << t;
    EXPECT_EQ(t.find(std::string("(") + t[0] + ":)"), std::string::npos) << t;  // the letter part went
    const wchar_t root[] = {static_cast<wchar_t>(t[0]), L':', L'\\', 0};
    EXPECT_EQ(d->ImageIndex(), imgDriveBase + static_cast<int32_t>(GetDriveTypeW(root))) << t;
    EXPECT_TRUE(d->HasChildren());
    if (i > 0) {
      EXPECT_LT(top->Child(i - 1)->Text()[0], t[0]);
    }
    sawC |= t[0] == 'C';
  }
  EXPECT_TRUE(sawC);
}

TEST(SelectionSystemFiles, FilesAndSectionsInFileOrderWithBrackets) {
  TempFolder temp;
  const std::string ini = temp.File("my.ini");
  WriteFileBytes(ini, "[First]\r\na=1\r\n  [ Second ]  \r\nb=2\r\nnot]\r\n[First]\r\n[]\r\n");
  WriteFileBytes(temp.File("t.txt"), "line\r\n");
  SelectionContext ctx;
  ctx.PathToSystemFiles = temp.Path();

  Tree tree;
  BuildSystemFileTree(tree, {ini + "(INI)", temp.File("t.txt") + "(TXT)", "not a file kind"}, ctx);
  const TreeNode* top = tree.First();
  EXPECT_EQ(top->Text(), "Systemdateien");
  EXPECT_EQ(Texts(*top), (std::vector<std::string>{"Win.ini", "System.ini", "Autoexec.bat", "Config.sys",
                                                   ini + "(INI)", temp.File("t.txt") + "(TXT)"}));
  const std::vector<int32_t> images = {imgIniFile, imgIniFile, imgTextFile, imgTextFile, imgIniFile, imgTextFile};
  for (size_t i = 0; i < top->Count(); ++i) {
    EXPECT_EQ(top->Child(i)->ImageIndex(), images[i]) << i;
    EXPECT_EQ(top->Child(i)->HasChildren(), images[i] == imgIniFile) << i;
  }

  TreeNode* user = top->Child(4);
  user->SetStateIndex(stChecked);
  user->Expand();
  EXPECT_EQ(Texts(*user), (std::vector<std::string>{"[First]", "[ Second ]", "[First]", "[]"}));
  for (size_t i = 0; i < user->Count(); ++i) {
    EXPECT_EQ(user->Child(i)->StateIndex(), stChecked);
    EXPECT_EQ(user->Child(i)->ImageIndex(), imgIniFile);
    EXPECT_FALSE(user->Child(i)->HasChildren());
  }
  EXPECT_EQ(IniSectionName("[ Second ]"), " Second ");
  EXPECT_EQ(IniSectionName("[]"), "");

  TreeNode* text = top->Child(5);
  text->SetHasChildren(true);
  text->Expand();  // a text file has lines, not sections
  EXPECT_EQ(text->Count(), 0u);
}

// ---------------------------------------------------------------- check click and collapse

TEST_F(SelectionTrees, CheckingACollapsedNodeDropsItsChildrenExpandingShowsThemChecked) {
  CreateKey("base\\a");
  CreateKey("base\\b\\deep");
  CreateKey("base\\c");
  TreeNode* base = Base();
  ToggleCheck(*base);
  base->Expand();
  TreeNode* b = base->Child(1);
  ToggleCheck(*b);  // unchecking one child of a checked node
  EXPECT_EQ(base->StateIndex(), stPartial);
  EXPECT_EQ(States(*base), (std::vector<int32_t>{stChecked, stUnchecked, stChecked}));

  // Partly selected: collapsing keeps the children, they record what is selected.
  CollapseSelectionNode(*base);
  EXPECT_FALSE(base->Expanded());
  EXPECT_EQ(base->Count(), 3u);

  registry_.SetModified(false);
  ToggleCheck(*base);  // collapsed: 5 becomes 4, the loaded children go
  EXPECT_TRUE(registry_.Modified());
  EXPECT_EQ(base->StateIndex(), stChecked);
  EXPECT_EQ(base->Count(), 0u);
  EXPECT_TRUE(base->HasChildren());
  base->Expand();
  EXPECT_EQ(Texts(*base), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(States(*base), (std::vector<int32_t>{stChecked, stChecked, stChecked}));

  // Fully selected or not at all: collapsing drops the children.
  CollapseSelectionNode(*base);
  EXPECT_EQ(base->Count(), 0u);
  EXPECT_TRUE(base->HasChildren());
  ToggleCheck(*base);
  base->Expand();
  EXPECT_EQ(States(*base), (std::vector<int32_t>{stUnchecked, stUnchecked, stUnchecked}));
  CollapseSelectionNode(*base);
  EXPECT_EQ(base->Count(), 0u);

  // The top node keeps its children.
  TreeNode* top = registry_.First();
  top->Expand();
  CollapseSelectionNode(*top);
  EXPECT_GT(top->Count(), 0u);
}

TEST_F(SelectionTrees, CheckingAnExpandedNodeOrTheTopTakesTheLoadedSubtree) {
  CreateKey("base\\a\\inner");
  TreeNode* base = Base();
  base->Expand();
  TreeNode* a = base->Child(0);
  a->Expand();
  ASSERT_EQ(a->Count(), 1u);
  ToggleCheck(*base);  // expanded: children and grandchildren follow
  EXPECT_EQ(a->StateIndex(), stChecked);
  EXPECT_EQ(a->Child(0)->StateIndex(), stChecked);
  // The parents show partial up to the top.
  for (TreeNode* p = base->Parent(); p != nullptr; p = p->Parent()) EXPECT_EQ(p->StateIndex(), stPartial) << p->Text();

  TreeNode* top = registry_.First();
  top->Collapse();
  ToggleCheck(*top);  // 5 -> 4: the top node takes everything loaded below it
  EXPECT_EQ(top->StateIndex(), stChecked);
  EXPECT_EQ(a->Child(0)->StateIndex(), stChecked);
  ToggleCheck(*top);
  EXPECT_EQ(a->Child(0)->StateIndex(), stUnchecked);
  EXPECT_EQ(top->Child(0)->StateIndex(), stUnchecked);
}

TEST_F(SelectionTrees, UnknownStatesAreRefused) {
  TreeNode* base = Base();
  for (int32_t state : {int32_t{stNeutral}, int32_t{stAdded}, int32_t{stChecked | flDone}}) {
    base->SetStateIndex(state);
    registry_.SetModified(false);
    try {
      ToggleCheck(*base);
      ADD_FAILURE() << "state " << state << " accepted";
    } catch (const EQuitawayError& e) {
      EXPECT_STREQ(e.what(), "unknown Stateindex");
    }
    EXPECT_EQ(base->StateIndex(), state);
    EXPECT_FALSE(registry_.Modified());
  }
}

// ---------------------------------------------------------------- refresh

TEST_F(SelectionTrees, RefreshMergesKeysCreatedAndDeletedMeanwhile) {
  CreateKey("base\\b");
  CreateKey("base\\d\\x");
  CreateKey("base\\f");
  CreateKey("base\\h");
  TreeNode* base = Base();
  ToggleCheck(*base);
  base->Expand();
  ToggleCheck(*base->Child(0));  // b unchecked: base partly selected
  ASSERT_EQ(base->StateIndex(), stPartial);
  TreeNode* d = base->Child(1);
  d->Expand();  // loaded, fully selected
  TreeNode* h = base->Child(3);

  CreateKey("base\\a");
  CreateKey("base\\e");
  CreateKey("base\\h\\new");
  DeleteKey("base\\f");
  DeleteKey("base\\d\\x");
  CreateKey("base\\d\\y");
  Tree drives, system;
  RefreshSelectionTrees(registry_, drives, system, SelectionContext{});

  EXPECT_EQ(Texts(*base), (std::vector<std::string>{"a", "b", "d", "e", "h"}));
  // New keys below a partly selected key are watched; the others keep their state.
  EXPECT_EQ(States(*base), (std::vector<int32_t>{stChecked, stUnchecked, stChecked, stChecked, stChecked}));
  EXPECT_EQ(base->Child(0)->SelectedIndex(), imgKeyOpen);
  EXPECT_EQ(base->Child(2), d);  // kept nodes are the same nodes
  EXPECT_EQ(Texts(*d), (std::vector<std::string>{"y"}));
  EXPECT_EQ(States(*d), (std::vector<int32_t>{stChecked}));
  EXPECT_TRUE(h->HasChildren());  // not loaded, but now it has a subkey
  EXPECT_EQ(h->Count(), 0u);

  // All subkeys gone: the children go and partial becomes checked.
  for (const char* k : {"a", "b", "d", "e", "h"}) DeleteKey(std::string("base\\") + k);
  RefreshSelectionTrees(registry_, drives, system, SelectionContext{});
  EXPECT_EQ(base->Count(), 0u);
  EXPECT_FALSE(base->HasChildren());
  EXPECT_EQ(base->StateIndex(), stChecked);
}

TEST(SelectionRefresh, FoldersSectionsAndUnreadableNodes) {
  TempFolder temp;
  MakeFolder(temp.File("keep"));
  MakeFolder(temp.File("old"));
  const std::string ini = temp.File("r.ini");
  WriteFileBytes(ini, "[one]\r\n[two]\r\n");
  SelectionContext ctx;
  ctx.PathToSystemFiles = temp.Path();

  Tree registry, drives, system;
  BuildDriveTree(drives);
  TreeNode* folder = FolderNode(drives, temp.Path(), true);
  ASSERT_NE(folder, nullptr);
  ToggleCheck(*folder);
  folder->Expand();
  ToggleCheck(*folder->Child(0));  // keep: unchecked
  BuildSystemFileTree(system, {ini + "(INI)"}, ctx);
  TreeNode* file = system.First()->Child(4);
  file->SetStateIndex(stChecked);
  file->Expand();
  ToggleCheck(*file->Child(1));  // [two] unchecked

  // A drive that is not there any more: its node cannot be read and stays.
  char missing = 0;
  for (char c = 'Q'; c >= 'H' && missing == 0; --c)
    if ((GetLogicalDrives() & (1u << (c - 'A'))) == 0) missing = c;
  ASSERT_NE(missing, 0);
  TreeNode* gone = drives.First()->AddChild(std::string(1, missing) + ": weg");
  gone->SetStateIndex(stPartial);
  gone->AddChild("Ordner")->SetStateIndex(stUnchecked);

  MakeFolder(temp.File("new"));
  RemoveFolder(temp.File("old"));
  WriteFileBytes(ini, "[zero]\r\n[one]\r\n[TWO]\r\n[three]\r\n");
  RefreshSelectionTrees(registry, drives, system, ctx);

  EXPECT_EQ(Texts(*folder), (std::vector<std::string>{"keep", "new"}));
  EXPECT_EQ(States(*folder), (std::vector<int32_t>{stUnchecked, stChecked}));
  EXPECT_EQ(Texts(*file), (std::vector<std::string>{"[zero]", "[one]", "[TWO]", "[three]"}));
  EXPECT_EQ(States(*file), (std::vector<int32_t>{stChecked, stChecked, stUnchecked, stChecked}));
  EXPECT_EQ(file->Child(0)->ImageIndex(), imgIniFile);
  EXPECT_EQ(gone->StateIndex(), stPartial);
  EXPECT_EQ(Texts(*gone), (std::vector<std::string>{"Ordner"}));
}

// ---------------------------------------------------------------- default selection and helpers

TEST(SelectionSystem, CurrentUserSidNamesTheUsersHive) {
  const std::string sid = CurrentUserSidString();
  ASSERT_EQ(sid.rfind("S-1-", 0), 0u) << sid;
  EXPECT_EQ(sid.find_first_not_of("S0123456789-"), std::string::npos) << sid;
  EXPECT_EQ(sid.find("--"), std::string::npos) << sid;
  EXPECT_NE(sid.back(), '-');
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, Utf8ToWide(sid).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS) << sid;
  RegCloseKey(key);
}

TEST(SelectionSystem, HostRootDriveOnlyUnderWine) {
  EXPECT_FALSE(IsHostRootDrive('C'));
  EXPECT_FALSE(IsHostRootDrive('?'));
  if (!UnderWine()) {
    for (char c = 'A'; c <= 'Z'; ++c) EXPECT_FALSE(IsHostRootDrive(c)) << c;
    return;
  }
  ASSERT_NE(GetLogicalDrives() & (1u << ('Z' - 'A')), 0u) << "the prefix has no Z: drive";
  EXPECT_TRUE(IsHostRootDrive('Z'));
  EXPECT_TRUE(IsHostRootDrive('z'));
  EXPECT_FALSE(IsHostRootDrive('T'));  // a scratch folder of the build, not the root
}

TEST(SelectionSystem, UnselectFolderMapsThePathOntoTheDriveNode) {
  TempFolder temp;
  MakeFolder(temp.File("x"));
  MakeFolder(temp.File("x\\y"));
  MakeFolder(temp.File("z"));
  Tree drives;
  BuildDriveTree(drives);
  TreeNode* c = DriveOf(drives, 'C');
  ASSERT_NE(c, nullptr);
  ToggleCheck(*c);

  std::string lower = temp.File("x");
  lower[0] = static_cast<char>(tolower(static_cast<unsigned char>(lower[0])));
  UnselectFolder(drives, lower);
  TreeNode* x = FolderNode(drives, temp.File("x"), false);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->StateIndex(), stUnchecked);
  TreeNode* folder = x->Parent();
  EXPECT_EQ(States(*folder), (std::vector<int32_t>{stUnchecked, stChecked}));
  for (TreeNode* p = folder; p != nullptr; p = p->Parent()) EXPECT_EQ(p->StateIndex(), stPartial) << p->Text();

  // Paths that are not in the tree change nothing.
  UnselectFolder(drives, temp.File("z\\missing\\deeper"));
  UnselectFolder(drives, "\\\\server\\share\\folder");
  UnselectFolder(drives, "");
  EXPECT_EQ(States(*folder), (std::vector<int32_t>{stUnchecked, stChecked}));
  EXPECT_EQ(folder->Child(1)->StateIndex(), stChecked);

  // Below an unselected drive nothing needs loading.
  TreeNode* z = DriveOf(drives, 'Z');
  if (z != nullptr) {
    UnselectFolder(drives, "Z:\\tmp");
    EXPECT_EQ(z->Count(), 0u);
    EXPECT_FALSE(z->Expanded());
  }
}

TEST(SelectionDefault, OnTheTestPrefix) {
  // The program, Windows and system folders of the context are folders of the test's
  // own on C:, which also holds the DOS files.
  TempFolder temp;
  WriteFileBytes(temp.File("Config.sys"), "FILES=40\r\n");
  for (const char* folder : {"prog", "win", "win\\Temporary Internet Files", "win\\Keep", "win\\system",
                             "win\\system\\Config", "win\\system\\drivers"})
    MakeFolder(temp.File(folder));
  WriteFileBytes(temp.File("win\\user.dat"), "x");
  const std::string settings = std::string(kKey) + "\\settings";
  RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kKey).c_str());
  CreateKey("settings\\inner");
  CreateKey("sibling");  // so that the key above the settings stays partly selected
  // A numbered control set of the test's own (Wine keeps only the current one); the
  // snapshot never stores keys of this name.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Utf8ToWide(std::string("SYSTEM\\") + kControlSet).c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  struct RemoveControlSet {
    ~RemoveControlSet() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, Utf8ToWide(std::string("SYSTEM\\") + kControlSet).c_str()); }
  } removeControlSet;

  SelectionContext ctx;
  ctx.ProgramFolder = temp.File("prog\\");
  ctx.WindowsFolder = temp.File("win\\");
  ctx.SystemFolder = temp.File("win\\system\\");
  ctx.PathToSystemFiles = temp.Path();
  ctx.SettingsKey = settings;

  Tree registry, drives, systemFiles;
  BuildSystemFileTree(systemFiles, {temp.File("mine.ini") + "(INI)"}, ctx);
  std::vector<std::string> noCheck = {"X:\\stale.txt"};
  DefaultSelection(registry, drives, systemFiles, noCheck, ctx);

  // Registry: machine, users and configuration watched, the rest not.
  TreeNode* regTop = registry.First();
  EXPECT_TRUE(regTop->Expanded());
  for (size_t i = 0; i < regTop->Count(); ++i) {
    const TreeNode* root = regTop->Child(i);
    const bool watched = root->Text() == "HKEY_LOCAL_MACHINE" || root->Text() == "HKEY_USERS" ||
                         root->Text() == "HKEY_CURRENT_CONFIG";
    EXPECT_EQ(root->StateIndex() != stUnchecked, watched) << root->Text();
    EXPECT_FALSE(root->Expanded()) << root->Text();
    if (root->StateIndex() == stChecked) {
      EXPECT_EQ(root->Count(), 0u) << root->Text();
    }
  }
  TreeNode* set = FindNodeByPath("HKEY_LOCAL_MACHINE\\SYSTEM\\" + std::string(kControlSet), registry, false, false);
  ASSERT_NE(set, nullptr);  // kept: its parents are partly selected
  EXPECT_EQ(set->StateIndex(), stUnchecked);
  TreeNode* current = FindNodeByPath("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet", registry, false, false);
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(current->StateIndex(), stPartial);  // the display adapter's keys are not watched
  // The display adapter's keys (where the prefix has them) are not watched.
  int displayKeys = 0;
  for (const char* key : {"Control\\Video", "Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}"}) {
    const TreeNode* node =
        FindNodeByPath(std::string("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\") + key, registry, false, false);
    if (node == nullptr) continue;
    ++displayKeys;
    EXPECT_EQ(node->StateIndex(), stUnchecked) << key;
  }
  EXPECT_GE(displayKeys, 1);
  EXPECT_EQ(FindNodeByPath("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services", registry, false, false)
                ->StateIndex(),
            stChecked);
  const std::string user = "HKEY_USERS\\" + CurrentUserSidString() + "\\";
  TreeNode* own = FindNodeByPath(user + settings, registry, false, false);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->StateIndex(), stUnchecked);
  EXPECT_EQ(own->Count(), 0u);
  EXPECT_EQ(States(*own->Parent()), (std::vector<int32_t>{stUnchecked, stChecked}));  // settings, sibling
  EXPECT_EQ(FindNodeByPath(user + "Software", registry, false, false)->StateIndex(), stPartial);

  // Drives: the fixed ones watched, never the host's root; the program folder and the
  // folders that change by themselves not.
  TreeNode* driveTop = drives.First();
  EXPECT_TRUE(driveTop->Expanded());
  TreeNode* c = DriveOf(drives, 'C');
  ASSERT_NE(c, nullptr);
  EXPECT_NE(c->StateIndex(), stUnchecked);
  if (UnderWine()) {
    TreeNode* z = DriveOf(drives, 'Z');
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->StateIndex(), stUnchecked);
    EXPECT_EQ(z->Count(), 0u);
  }
  TreeNode* folder = FolderNode(drives, temp.Path(), false);
  ASSERT_NE(folder, nullptr);
  EXPECT_FALSE(folder->Expanded());
  EXPECT_EQ(Texts(*folder), (std::vector<std::string>{"prog", "win"}));
  EXPECT_EQ(States(*folder), (std::vector<int32_t>{stUnchecked, stPartial}));
  TreeNode* windows = folder->Child(1);
  EXPECT_EQ(Texts(*windows), (std::vector<std::string>{"Keep", "system", "Temporary Internet Files"}));
  EXPECT_EQ(States(*windows), (std::vector<int32_t>{stChecked, stPartial, stUnchecked}));
  EXPECT_EQ(States(*windows->Child(1)), (std::vector<int32_t>{stUnchecked, stChecked}));  // Config, drivers

  // The user's shell folders that exist are not watched.
  TMyRegistry reg(raRead);
  const bool shellFolders =
      reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false);
  int present = 0;
  for (const char* value : {"Cache", "Cookies", "Recent"}) {
    const std::string path = shellFolders && reg.ValueExists(value) ? reg.ReadString(value, true) : std::string();
    const DWORD a = GetFileAttributesW(Utf8ToWide(path).c_str());
    if (path.empty() || a == INVALID_FILE_ATTRIBUTES) continue;
    ++present;
    TreeNode* node = FolderNode(drives, path, false);
    ASSERT_NE(node, nullptr) << path;
    EXPECT_EQ(node->StateIndex(), stUnchecked) << path;
  }
  if (UnderWine()) {
    EXPECT_GT(present, 0) << "Wine's prefix has the recent documents folder";
  }

  // No-check list: rebuilt, only files that exist, none twice.
  EXPECT_NE(std::find(noCheck.begin(), noCheck.end(), temp.File("win\\user.dat")), noCheck.end());
  for (size_t i = 0; i < noCheck.size(); ++i) {
    EXPECT_TRUE(IsFile(noCheck[i])) << noCheck[i];
    for (size_t k = 0; k < i; ++k) EXPECT_NE(noCheck[i], noCheck[k]);
  }

  // System files: all watched, except line files that are missing; the user's own
  // file is still listed.
  TreeNode* sysTop = systemFiles.First();
  EXPECT_EQ(Texts(*sysTop), (std::vector<std::string>{"Win.ini", "System.ini", "Autoexec.bat", "Config.sys",
                                                      temp.File("mine.ini") + "(INI)"}));
  EXPECT_EQ(States(*sysTop), (std::vector<int32_t>{stChecked, stChecked, stUnchecked, stChecked, stChecked}));
  EXPECT_EQ(sysTop->StateIndex(), stPartial);

  RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kKey).c_str());
}
