// Check-state rules, lookups by path and the small tree operations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "model/treetool.h"
#include "support/scripted_interaction.h"

namespace {

// Arbeitsplatz (5)
//   HKEY_CURRENT_USER (5)
//     Software (4)
//     Console (3)
//   HKEY_LOCAL_MACHINE (5)
//     SYSTEM (5)
//       Select (3)
TreeNode* Add(TreeNode* parent, const std::string& text, int32_t state) {
  TreeNode* n = parent->AddChild(text);
  n->SetStateIndex(state);
  return n;
}

void BuildRegistry(Tree& tree) {
  TreeNode* top = tree.AddTop(kRegistryTop);
  top->SetStateIndex(stPartial);
  TreeNode* hkcu = Add(top, "HKEY_CURRENT_USER", stPartial);
  Add(hkcu, "Software", stChecked);
  Add(hkcu, "Console", stUnchecked);
  TreeNode* hklm = Add(top, "HKEY_LOCAL_MACHINE", stPartial);
  TreeNode* sys = Add(hklm, "SYSTEM", stPartial);
  Add(sys, "Select", stUnchecked);
}

}  // namespace

TEST(GetSelectionState, NodesGiveTheirStateMissingNodesAreWatched) {
  Tree tree;
  BuildRegistry(tree);
  std::vector<std::string> path = {"Arbeitsplatz", "hkey_current_user"};
  EXPECT_EQ(GetSelectionState(path, "SOFTWARE", tree), stChecked);
  EXPECT_EQ(GetSelectionState(path, "Console", tree), stUnchecked);
  EXPECT_EQ(GetSelectionState(path, "Environment", tree), rsSnapshot);
  EXPECT_EQ(path.size(), 2u);  // left as it was

  std::vector<std::string> top = {"Arbeitsplatz"};
  EXPECT_EQ(GetSelectionState(top, "HKEY_LOCAL_MACHINE", tree), stPartial);
  std::vector<std::string> deep = {"Arbeitsplatz", "HKEY_CURRENT_USER", "Software", "Vendor"};
  EXPECT_EQ(GetSelectionState(deep, "App", tree), rsSnapshot);
}

TEST(GetSelectionState, OnlyTheCurrentControlSetIsWatchedBelowSystem) {
  Tree tree;
  BuildRegistry(tree);
  std::vector<std::string> path = {"Arbeitsplatz", "HKEY_LOCAL_MACHINE", "System"};
  EXPECT_EQ(GetSelectionState(path, "ControlSet002", tree), stUnchecked);
  EXPECT_EQ(GetSelectionState(path, "controlset001", tree), stUnchecked);
  EXPECT_EQ(GetSelectionState(path, "CurrentControlSet", tree), rsSnapshot);
  EXPECT_EQ(GetSelectionState(path, "Select", tree), stUnchecked);  // from the tree
  // The same name elsewhere is watched.
  std::vector<std::string> other = {"Arbeitsplatz", "HKEY_CURRENT_USER", "System"};
  EXPECT_EQ(GetSelectionState(other, "ControlSet002", tree), rsSnapshot);
  std::vector<std::string> deeper = {"Arbeitsplatz", "HKEY_LOCAL_MACHINE", "SYSTEM", "Setup"};
  EXPECT_EQ(GetSelectionState(deeper, "ControlSet002", tree), rsSnapshot);
}

TEST(CheckStates, UpdateParentsShowsPartialWheneverAnyChildIsWatched) {
  Tree tree;
  TreeNode* top = tree.AddTop("Laufwerke");
  TreeNode* c = Add(top, "C:", stUnchecked);
  TreeNode* d = Add(top, "D:", stUnchecked);
  TreeNode* win = Add(c, "Windows", stUnchecked);

  win->SetStateIndex(stChecked);
  UpdateParents(*win);
  EXPECT_EQ(c->StateIndex(), stPartial);
  EXPECT_EQ(top->StateIndex(), stPartial);

  c->SetStateIndex(stChecked);
  d->SetStateIndex(stChecked);
  UpdateParents(*d);
  EXPECT_EQ(top->StateIndex(), stPartial);  // all children checked still shows partial

  SetNodeChecked(*c, false);
  EXPECT_EQ(win->StateIndex(), stUnchecked);
  SetNodeChecked(*d, false);
  EXPECT_EQ(top->StateIndex(), stUnchecked);
}

TEST(CheckStates, CheckingACollapsedNodeDropsItsLoadedChildren) {
  Tree tree;
  TreeNode* top = tree.AddTop("Laufwerke");
  TreeNode* c = Add(top, "C:", stUnchecked);
  TreeNode* win = Add(c, "Windows", stUnchecked);
  Add(win, "System32", stUnchecked);

  SetNodeChecked(*win, true);  // not expanded, below the root level
  EXPECT_EQ(win->StateIndex(), stChecked);
  EXPECT_EQ(win->Count(), 0u);
  EXPECT_TRUE(win->HasChildren());
  EXPECT_EQ(c->StateIndex(), stPartial);

  Add(c, "Temp", stUnchecked);
  c->Expand();
  SetNodeChecked(*c, true);  // expanded: the children follow
  EXPECT_EQ(c->Child(0)->StateIndex(), stChecked);
  EXPECT_EQ(c->Child(1)->StateIndex(), stChecked);

  SetNodeChecked(*top, true);  // the top node: all descendants
  EXPECT_EQ(top->StateIndex(), stChecked);
  EXPECT_EQ(c->Child(1)->StateIndex(), stChecked);
}

TEST(FindNodeByPath, SplitsAtBackslashesIgnoresCaseAndExpands) {
  Tree tree;
  BuildRegistry(tree);
  TreeNode* hkcu = tree.First()->Child(0);
  EXPECT_EQ(FindNodeByPath("hkey_current_user\\SOFTWARE", tree, false, false), hkcu->Child(0));
  EXPECT_EQ(FindNodeByPath("Arbeitsplatz\\HKEY_CURRENT_USER\\Software\\", tree, true, false), hkcu->Child(0));
  EXPECT_EQ(FindNodeByPath("HKEY_CURRENT_USER\\Nichts", tree, false, false), nullptr);

  int loads = 0;
  tree.SetLoader([&](TreeNode& node) {
    ++loads;
    node.AddChild("Microsoft");
  });
  hkcu->Child(0)->SetHasChildren(true);
  TreeNode* ms = FindNodeByPath("HKEY_CURRENT_USER\\Software\\Microsoft", tree, false, true);
  ASSERT_NE(ms, nullptr);
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(FindNodeByPath("HKEY_CURRENT_USER\\Software\\Microsoft", tree, false, false), ms);

  SetPathChecked({"Arbeitsplatz", "HKEY_CURRENT_USER", "Console"}, tree, true);
  EXPECT_EQ(hkcu->Child(1)->StateIndex(), stChecked);
}

TEST(DeselectBranch, UnchecksTheMatchingSelectionBranchAndSaysSo) {
  ScriptedInteraction ui;
  Tree selection;
  BuildRegistry(selection);
  Tree result;
  TreeNode* software = FindOrCreatePath({"Arbeitsplatz", "HKEY_CURRENT_USER", "Software"}, result, 0, 0, 1);

  DeselectBranch(*software, selection, true);
  TreeNode* hkcu = selection.First()->Child(0);
  EXPECT_EQ(hkcu->Child(0)->StateIndex(), stUnchecked);
  EXPECT_EQ(hkcu->StateIndex(), stUnchecked);  // no child watched any more
  EXPECT_EQ(selection.First()->StateIndex(), stPartial);  // HKLM still is
  EXPECT_TRUE(selection.Modified());
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Der folgende Zweig ist nun abgewählt:\rArbeitsplatz\\HKEY_CURRENT_USER\\Software\\");
  EXPECT_EQ(ui.Messages()[0].type, mtInformation);

  TreeNode* missing = FindOrCreatePath({"Arbeitsplatz", "HKEY_USERS", "X"}, result, 0, 0, 1);
  try {
    DeselectBranch(*missing, selection, false);
    FAIL() << "no error";
  } catch (const EQuitawayError& e) {
    EXPECT_STREQ(e.what(), "Baumeintrag konnte nicht gefunden werden !");
  }
  EXPECT_EQ(ui.Messages().size(), 1u);
}

TEST(TreeTool, MarkDoneKeepsTheCodeAndSetsTheFlagOnce) {
  Tree tree;
  TreeNode* n = tree.AddTop("x");
  n->SetStateIndex(stAdded);
  MarkDone(*n);
  MarkDone(*n);
  EXPECT_EQ(n->StateIndex(), stAdded + flDone);
  EXPECT_EQ(StateCode(n->StateIndex()), stAdded);
  EXPECT_TRUE(n->Cut());
}

TEST(TreeTool, NodePathStopsAtTheRootKeyLevel) {
  Tree tree;
  TreeNode* leaf = FindOrCreatePath({"Laufwerke", " C: [SYSTEM] ", "Programme", "App"}, tree, 0, 0, 1);
  EXPECT_EQ(NodePath(*leaf, false, false), "Programme\\App");
  EXPECT_EQ(NodePath(*leaf, true, false), "C: [SYSTEM]\\Programme\\App");
  EXPECT_EQ(NodePath(*leaf, true, true), "C:\\Programme\\App");
  TreeNode* drive = leaf->Parent()->Parent();
  EXPECT_EQ(NodePath(*drive, false, false), "");
  EXPECT_EQ(NodePath(*drive, true, true), "C:");
  EXPECT_EQ(NodePath(*tree.First(), true, false), "");
}

TEST(TreeTool, IsNoCheckFileComparesTheBuiltPathInCapitals) {
  const std::vector<std::string> noCheck = {"C:\\Programme\\Quitaway\\NewCFG.TSD", "D:\\größe.txt"};
  EXPECT_TRUE(IsNoCheckFile(noCheck, {"Laufwerke", "c: [SYSTEM]", "PROGRAMME", "quitaway"}, "newcfg.tsd"));
  EXPECT_FALSE(IsNoCheckFile(noCheck, {"Laufwerke", "C:", "Programme"}, "NewCFG.TSD"));
  EXPECT_TRUE(IsNoCheckFile(noCheck, {"Laufwerke", "D:"}, "GRÖSSE.TXT") == false);
  EXPECT_TRUE(IsNoCheckFile(noCheck, {"Laufwerke", "D:"}, "GRÖßE.TXT"));
  EXPECT_TRUE(IsNoCheckFile({"a.txt"}, {}, "A.TXT"));
  EXPECT_FALSE(IsNoCheckFile({}, {"Laufwerke", "C:"}, "x"));
}

TEST(TreeTool, FindOrCreatePathMatchesExactlyAndKeepsExistingNodes) {
  Tree tree;
  TreeNode* a = FindOrCreatePath({"Arbeitsplatz", "HKEY_CURRENT_USER", "Software"}, tree, 0, 0, 1);
  a->SetStateIndex(stMembersChanged);
  TreeNode* again = FindOrCreatePath({"Arbeitsplatz", "HKEY_CURRENT_USER", "Software"}, tree, 5, 6, 7);
  EXPECT_EQ(again, a);
  EXPECT_EQ(a->StateIndex(), stMembersChanged);
  EXPECT_EQ(a->ImageIndex(), 0);
  EXPECT_EQ(a->SelectedIndex(), 1);
  TreeNode* other = FindOrCreatePath({"Arbeitsplatz", "HKEY_CURRENT_USER", "SOFTWARE"}, tree, 0, 6, 1);
  EXPECT_NE(other, a);  // case-sensitive: a second node
  EXPECT_EQ(tree.Count(), 1u);
  EXPECT_EQ(tree.First()->Child(0)->Count(), 2u);
}

TEST(TreeTool, PruneUnselectedKeepsOnlyPartialBranchesLoaded) {
  Tree tree;
  TreeNode* top = tree.AddTop("Arbeitsplatz");
  TreeNode* partial = Add(top, "HKEY_CURRENT_USER", stPartial);
  Add(partial, "Software", stChecked);
  TreeNode* checked = Add(top, "HKEY_LOCAL_MACHINE", stChecked);
  Add(checked, "SOFTWARE", stChecked);
  checked->Expand();
  TreeNode* unchecked = Add(top, "HKEY_USERS", stUnchecked);
  TreeNode* deep = Add(unchecked, ".DEFAULT", stUnchecked);
  Add(deep, "Control Panel", stUnchecked);

  PruneUnselected(*top);
  EXPECT_EQ(partial->Count(), 1u);
  EXPECT_EQ(checked->Count(), 0u);
  EXPECT_FALSE(checked->Expanded());
  EXPECT_TRUE(checked->HasChildren());
  EXPECT_EQ(unchecked->Count(), 0u);
  EXPECT_TRUE(unchecked->HasChildren());
}

TEST(TreeTool, SelectAlteredPairsSelectsBothHalvesOfAnAlteredEntry) {
  ListModel list;
  auto add = [&](const char* caption, int32_t status, bool selected) {
    ListRow row;
    row.Caption = caption;
    row.Status = status;
    row.Selected = selected;
    list.Add(row);
  };
  add("Pfad", rsOldOfAltered, true);        // 0 -> selects 1
  add("Pfad", rsNewOfAltered, false);       // 1
  add("Name", rsOldOfAltered, false);       // 2 <- selected by 3
  add("Name", rsNewOfAltered + flDone, true);  // 3 (done flag kept)
  add("Neu", rsNew, true);                  // 4: not altered
  add("Anders", rsNewOfAltered, false);     // 5
  add("Alt", rsOldOfAltered, true);         // 6: next caption differs
  add("Alt2", rsNewOfAltered, false);       // 7
  SelectAlteredPairs(list);
  const bool expected[] = {true, true, true, true, true, false, true, false};
  for (size_t i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Row(i).Selected, expected[i]) << i;
  EXPECT_EQ(list.SelectedCount(), 6u);
}
