// The selection trees on the real registry and folders: loading, check click, refresh, default.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <bitset>
#include <cstdlib>
#include <set>

#include "core/exceptions.h"
#include "core/registry.h"
#include "model/data_codes.h"
#include "model/tree_images.h"
#include "model/treetool.h"
#include "platform/files.h"
#include "platform/text.h"
#include "snapshot/selection_trees.h"
#include "support/temp_folder.h"

namespace {

using platform::Utf8ToWide;
using ::testing::StartsWith;

constexpr char kKey[] = "Software\\Velmoria\\QuitawayTests\\selection";

// Creates (or deletes) keys below the test's key.
void Keys(std::initializer_list<std::string> subs, bool create = true) {
  TMyRegistry reg(raFull);
  for (const std::string& sub : subs)
    create ? reg.CreateKey(kKey + ("\\" + sub)) : void(reg.DeleteKey(kKey + ("\\" + sub)));
}

void Folders(const TempFolder& temp, std::initializer_list<const char*> names) {
  for (const char* name : names) EXPECT_TRUE(CreateDirectoryW(Utf8ToWide(temp.File(name)).c_str(), nullptr)) << name;
}

// The children of a node as "text:state", with "+" where a child has children.
std::string Shape(const TreeNode& node) {
  std::string shape;
  for (size_t i = 0; i < node.Count(); ++i) {
    const TreeNode& c = *node.Child(i);
    shape += (i ? " " : "") + c.Text() + ":" + std::to_string(c.StateIndex()) + (c.HasChildren() ? "+" : "");
  }
  return shape;
}

TreeNode* DriveOf(Tree& tree, char letter) {
  for (size_t i = 0; i < tree.First()->Count(); ++i)
    if (tree.First()->Child(i)->Text()[0] == letter) return tree.First()->Child(i);
  return nullptr;
}

// The node of a folder ("C:\a\b\") in the drive tree.
TreeNode* FolderNode(Tree& tree, const std::string& path, bool expand) {
  TreeNode* drive = DriveOf(tree, path[0]);
  return drive ? FindNodeByPath(drive->Text() + path.substr(2), tree, false, expand) : nullptr;
}

struct SelectionTrees : ::testing::Test {
  void SetUp() override {
    TearDown();
    Keys({"base"});
    BuildRegistryTree(registry_);
  }
  void TearDown() override { TMyRegistry(raFull).DeleteKey(kKey); }
  TreeNode* Base() {  // the test's key, not yet expanded
    return FindNodeByPath(std::string("HKEY_CURRENT_USER\\") + kKey + "\\base", registry_, false, true);
  }
  Tree registry_;
};

}  // namespace

TEST_F(SelectionTrees, SubkeysLoadSortedWithTheParentsState) {
  Keys({"base\\beta", "base\\_under", "base\\Alpha\\deep"});
  TreeNode* base = Base();
  ToggleCheck(*base);  // collapsed: checked, its children load checked
  base->Expand();
  EXPECT_EQ(Shape(*base), "_under:4 Alpha:4+ beta:4");
  EXPECT_EQ(base->Child(1)->ImageIndex(), imgKeyClosed);
  EXPECT_EQ(base->Child(1)->SelectedIndex(), imgKeyOpen);
  // Below a partly selected node, children that were not recorded count as watched.
  base->Child(1)->SetStateIndex(stPartial);
  base->Child(1)->Expand();
  EXPECT_EQ(Shape(*base->Child(1)), "deep:4");
}

TEST_F(SelectionTrees, TheCheckClickAndTheCollapseRule) {
  Keys({"base\\a", "base\\b\\deep", "base\\c"});
  TreeNode* base = Base();
  ToggleCheck(*base);
  base->Expand();
  ToggleCheck(*base->Child(1));  // unchecking one child of a checked node
  EXPECT_EQ(Shape(*base->Parent()) + " " + Shape(*base), "base:5+ a:4 b:3+ c:4");
  CollapseSelectionNode(*base);  // partly selected: the children record what is selected
  EXPECT_EQ(base->Count(), 3u);
  registry_.SetModified(false);
  ToggleCheck(*base);  // collapsed: 5 becomes 4, the loaded children go
  EXPECT_TRUE(registry_.Modified());
  EXPECT_EQ(Shape(*base->Parent()) + std::to_string(base->Count()), "base:4+0");
  for (const char* shape : {"a:4 b:4+ c:4", "a:3 b:3+ c:3"}) {  // fully selected or not: collapsing drops them
    base->Expand();
    EXPECT_EQ(Shape(*base), shape);
    CollapseSelectionNode(*base);
    EXPECT_EQ(base->Count(), 0u);
    ToggleCheck(*base);
  }
  // Checking an expanded node takes its loaded subtree; the parents show partial.
  base->Expand();
  ToggleCheck(*base);
  base->Child(1)->Expand();
  ToggleCheck(*base);
  EXPECT_EQ(Shape(*base) + " " + Shape(*base->Child(1)), "a:4 b:4+ c:4 deep:4");
  for (TreeNode* p = base->Parent(); p != nullptr; p = p->Parent()) EXPECT_EQ(p->StateIndex(), stPartial);
  // The top node, even collapsed, takes everything loaded below it.
  TreeNode* top = registry_.First();
  top->Collapse();
  ToggleCheck(*top);
  EXPECT_THAT(Shape(*top), StartsWith("HKEY_CLASSES_ROOT:4+"));
  ToggleCheck(*top);
  EXPECT_EQ(Shape(*base->Child(1)), "deep:3");
  base->SetStateIndex(stChecked | flDone);  // states other than 3, 4 and 5 are refused
  EXPECT_THAT([&] { ToggleCheck(*base); }, ::testing::ThrowsMessage<EQuitawayError>("unknown Stateindex"));
  EXPECT_EQ(base->StateIndex(), stChecked | flDone);
}

TEST_F(SelectionTrees, RefreshMergesKeysCreatedAndDeletedMeanwhile) {
  Keys({"base\\b", "base\\d\\x", "base\\f", "base\\h"});
  TreeNode* base = Base();
  ToggleCheck(*base);
  base->Expand();
  ToggleCheck(*base->Child(0));  // b unchecked: base partly selected
  TreeNode* d = base->Child(1);
  d->Expand();
  Keys({"base\\a", "base\\e", "base\\h\\new", "base\\d\\y"});
  Keys({"base\\f", "base\\d\\x"}, false);
  Tree drives, system;
  RefreshSelectionTrees(registry_, drives, system, SelectionContext{});
  // New keys below a partly selected key are watched; the others keep their state, and
  // a key not loaded learns that it has subkeys now. Kept nodes are the same nodes.
  EXPECT_EQ(Shape(*base) + " " + Shape(*d), "a:4 b:3 d:4+ e:4 h:4+ y:4");
  EXPECT_EQ(base->Child(2), d);
  // All subkeys gone: the children go and partial becomes checked.
  Keys({"base\\a", "base\\b", "base\\d", "base\\e", "base\\h"}, false);
  RefreshSelectionTrees(registry_, drives, system, SelectionContext{});
  EXPECT_EQ(Shape(*base->Parent()), "base:4");
}

TEST(SelectionFolders, DrivesAndFoldersLoadRefreshAndUnselect) {
  Tree registry, drives, system;
  BuildDriveTree(drives);
  EXPECT_EQ(drives.First()->Count(), std::bitset<26>(GetLogicalDrives()).count());  // every drive
  TempFolder temp;
  Folders(temp, {"b", "_x", "A", "A\\sub"});
  WriteFileBytes(temp.File("b\\inner.txt"), "x");
  // A name ending in a dot is reached in the long path form, as the snapshot records it.
  const std::wstring dot = platform::LongPath(Utf8ToWide(temp.File("A\\sub\\Punkt."))), deep = dot + L"\\tief";
  ASSERT_TRUE(CreateDirectoryW(dot.c_str(), nullptr) && CreateDirectoryW(deep.c_str(), nullptr));
  TreeNode* folder = FolderNode(drives, temp.Path(), true);
  ASSERT_NE(folder, nullptr) << temp.Path();
  ToggleCheck(*folder);
  folder->Expand();
  EXPECT_EQ(Shape(*folder), "_x:4 A:4+ b:4");  // folders only, and files do not count
  TreeNode* sub = FolderNode(drives, temp.File("A\\sub\\Punkt."), true);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(Shape(*sub->Parent()), "Punkt.:4+");
  RemoveDirectoryW(deep.c_str()), RemoveDirectoryW(dot.c_str());
  ToggleCheck(*folder->Child(2));
  // Drives that are not there any more, one loaded: their nodes cannot be read and stay.
  char missing = 'Q';
  while (missing > 'H' && (GetLogicalDrives() & (1u << (missing - 'A')))) --missing;
  for (const char* name : {": weg", ": leer"})
    drives.First()->AddChild(missing + std::string(name))->SetStateIndex(stPartial);
  drives.First()->Child(drives.First()->Count() - 2)->AddChild("Ordner")->SetStateIndex(stUnchecked);
  Folders(temp, {"new"});
  ASSERT_TRUE(RemoveDirectoryW(Utf8ToWide(temp.File("_x")).c_str()));
  RefreshSelectionTrees(registry, drives, system, SelectionContext{});
  EXPECT_EQ(Shape(*folder), "A:4+ b:3 new:4");
  EXPECT_THAT(Shape(*drives.First()), ::testing::EndsWith(": weg:5+ " + std::string(1, missing) + ": leer:5"));
  // Unselecting by path: the drive letter in any case; paths not in the tree change nothing.
  std::string lower = temp.File("A");
  lower[0] = static_cast<char>(tolower(lower[0]));
  for (const std::string& path : {lower, temp.File("new\\fehlt"), std::string("\\\\server\\x"), std::string()})
    UnselectFolder(drives, path);
  EXPECT_EQ(Shape(*folder), "A:3+ b:3 new:4");
  const char* links = getenv("QW_LINK_FIXTURE");  // "inner" holds "up", a link to its parent
  if (links == nullptr) GTEST_SKIP() << "no link fixture";
  TreeNode* inner = FolderNode(drives, std::string(links) + "inner\\", true);
  ASSERT_NE(inner, nullptr) << links;
  inner->Expand();
  EXPECT_EQ(Shape(*inner), "up:3");
  inner->Child(0)->SetHasChildren(true);  // as a selection file from elsewhere may say
  inner->Child(0)->Expand();
  EXPECT_EQ(inner->Child(0)->Count(), 0u);
}

TEST(SelectionSystemFiles, SectionsInFileOrderWithBracketsAndTheirRefresh) {
  TempFolder temp;
  const std::string ini = temp.File("my.ini"), txt = temp.File("t.txt");
  WriteFileBytes(ini, "[First]\r\na=1\r\n  [ Second ]  \r\nb=2\r\nnot]\r\n[First]\r\n[]\r\n");
  WriteFileBytes(txt, "line\r\n");
  SelectionContext ctx;
  ctx.PathToSystemFiles = temp.Path();
  Tree registry, drives, system;
  BuildSystemFileTree(system, {ini + "(INI)", txt + "(TXT)", "not a file kind"}, ctx);
  TreeNode* top = system.First();
  EXPECT_EQ(top->Text(), "Systemdateien");
  EXPECT_EQ(Shape(*top), "Win.ini:3+ System.ini:3+ Autoexec.bat:3 Config.sys:3 " + ini + "(INI):3+ " + txt + "(TXT):3");
  TreeNode* file = top->Child(4);
  ToggleCheck(*file);
  file->Expand();
  EXPECT_EQ(Shape(*file), "[First]:4 [ Second ]:4 [First]:4 []:4");
  ToggleCheck(*file->Child(1));
  WriteFileBytes(ini, "[zero]\r\n[first]\r\n[ SECOND ]\r\n[three]\r\n");
  RefreshSelectionTrees(registry, drives, system, ctx);
  EXPECT_EQ(Shape(*file), "[zero]:4 [first]:4 [ SECOND ]:3 [three]:4");
}

TEST(SelectionDefault, OnTheTestPrefix) {
  // The context's program, Windows and system folders are the test's own on C:, which holds the DOS files.
  TempFolder temp;
  WriteFileBytes(temp.File("Config.sys"), "FILES=40\r\n");
  Folders(temp, {"prog", "win", "win\\Temporary Internet Files", "win\\Keep", "win\\system", "win\\system\\Config",
                 "win\\system\\drivers"});
  WriteFileBytes(temp.File("win\\user.dat"), "x");
  Keys({"settings\\inner", "sibling"});  // the sibling keeps the key above the settings partly selected
  TMyRegistry machine(raFull);  // a numbered control set of the test's own: Wine keeps only the current one
  machine.SetRootKey(HKEY_LOCAL_MACHINE);
  machine.CreateKey("SYSTEM\\ControlSet00QuitawaySelectionTest");
  SelectionContext ctx{temp.File("prog\\"), temp.File("win\\"), temp.File("win\\system\\"), temp.Path(),
                       std::string(kKey) + "\\settings"};
  Tree registry, drives, systemFiles;
  BuildSystemFileTree(systemFiles, {temp.File("mine.ini") + "(INI)"}, ctx);
  std::vector<std::string> noCheck = {"X:\\stale.txt"};
  DefaultSelection(registry, drives, systemFiles, noCheck, ctx);
  machine.DeleteKey("SYSTEM\\ControlSet00QuitawaySelectionTest");
  TMyRegistry(raFull).DeleteKey(kKey);

  // Registry: machine, users, configuration watched; not the numbered control sets, display keys, own settings.
  EXPECT_THAT(Shape(*registry.First()), StartsWith("HKEY_CLASSES_ROOT:3+ HKEY_CURRENT_USER:3+ HKEY_LOCAL_MACHINE:5+ "
                                                   "HKEY_USERS:5+ HKEY_CURRENT_CONFIG:4+"));
  auto state = [&](const std::string& path, int missing = -1) {
    const TreeNode* node = FindNodeByPath(path, registry, false, false);
    return node ? node->StateIndex() : missing;
  };
  const std::string control = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\";
  const std::string user = "HKEY_USERS\\" + CurrentUserSidString() + "\\";
  EXPECT_EQ(std::vector<int>({state("HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet00QuitawaySelectionTest"),
                              state(control + "Control\\Video", stUnchecked),  // where the prefix has it
                              state(control + "Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}"),
                              state(control + "Services"), state(control.substr(0, control.size() - 1)),
                              state(user + "Software"), state(user + kKey + "\\settings"),
                              state(user + kKey + "\\sibling")}),
            std::vector<int>({3, 3, 3, 4, 5, 5, 3, 4}));
  // Drives: the fixed ones watched, not the host's root, the program folder, the folders that change anyway.
  TreeNode* folder = FolderNode(drives, temp.Path(), false);
  ASSERT_NE(folder, nullptr);
  EXPECT_TRUE(registry.First()->Expanded() && drives.First()->Expanded() && !folder->Expanded());  // all collapsed
  EXPECT_EQ(DriveOf(drives, 'C')->StateIndex(), stPartial);
  EXPECT_EQ(DriveOf(drives, 'Z')->StateIndex(), stUnchecked);  // Wine's drive for the host's root
  EXPECT_EQ(Shape(*folder) + " / " + Shape(*folder->Child(1)) + " / " + Shape(*folder->Child(1)->Child(1)),
            "prog:3 win:5+ / Keep:4 system:5+ Temporary Internet Files:3 / Config:3 drivers:4");
  TMyRegistry reg(raRead);  // nor the user's recent documents (Wine's prefix has the folder)
  ASSERT_TRUE(reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false));
  const TreeNode* recent = FolderNode(drives, reg.ReadString("Recent", true), false);
  EXPECT_EQ(recent ? recent->StateIndex() : -1, stUnchecked);
  // No-check list: rebuilt, only files that exist, none twice.
  EXPECT_THAT(noCheck, ::testing::Contains(temp.File("win\\user.dat")));
  EXPECT_TRUE(std::all_of(noCheck.begin(), noCheck.end(), platform::FileExists));
  EXPECT_EQ(std::set<std::string>(noCheck.begin(), noCheck.end()).size(), noCheck.size());
  // System files: all watched, except line files that are missing; the user's own stays.
  EXPECT_EQ(Shape(*systemFiles.First()),
            "Win.ini:4+ System.ini:4+ Autoexec.bat:3 Config.sys:4 " + temp.File("mine.ini") + "(INI):4+");
}
