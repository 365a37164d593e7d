// Check-state rules, lookups by path and the small tree operations.
#include <gtest/gtest.h>

#include "model/treetool.h"
#include "support/bytes.h"
#include "support/scripted_interaction.h"

namespace {
using Path = std::vector<std::string>;

// Arbeitsplatz > HKEY_CURRENT_USER > Software (4), Console (3)
//              > HKEY_LOCAL_MACHINE > SYSTEM > Select (3), ControlSet001 (4); the nodes between partial (5)
void BuildRegistry(Tree& tree) {
  const auto add = [&](const Path& path, int32_t state) {
    FindOrCreatePath(path, tree, 0, stPartial, 0)->SetStateIndex(state);
  };
  add({kRegistryTop, "HKEY_CURRENT_USER", "Software"}, stChecked);
  add({kRegistryTop, "HKEY_CURRENT_USER", "Console"}, stUnchecked);
  add({kRegistryTop, "HKEY_LOCAL_MACHINE", "SYSTEM", "Select"}, stUnchecked);
  add({kRegistryTop, "HKEY_LOCAL_MACHINE", "SYSTEM", "ControlSet001"}, stChecked);
}
}  // namespace

TEST(GetSelectionState, NodesGiveTheirStateMissingNodesAreWatchedExceptOtherControlSets) {
  Tree tree; BuildRegistry(tree);
  const Path hkcu = {kRegistryTop, "hkey_current_user"}, sys = {kRegistryTop, "HKEY_LOCAL_MACHINE", "System"};
  struct Case { Path path; const char* name; int32_t state; };
  for (const Case& c : std::vector<Case>{
           {hkcu, "SOFTWARE", stChecked}, {hkcu, "Console", stUnchecked}, {hkcu, "Environment", rsSnapshot},
           {{kRegistryTop}, "HKEY_LOCAL_MACHINE", stPartial}, {{kRegistryTop, "Nichts", "Software"}, "x", rsSnapshot},
           {sys, "ControlSet002", stUnchecked}, {sys, "controlset003", stUnchecked},
           {sys, "ControlSet001", stChecked}, {sys, "CurrentControlSet", rsSnapshot}, {sys, "Select", stUnchecked},
           {{kRegistryTop, "HKEY_CURRENT_USER", "System"}, "ControlSet002", rsSnapshot},
           {{kRegistryTop, "HKEY_LOCAL_MACHINE", "SYSTEM", "Setup"}, "ControlSet002", rsSnapshot}}) {
    Path path = c.path;
    EXPECT_EQ(GetSelectionState(path, c.name, tree), c.state) << c.name;
    EXPECT_EQ(path, c.path);  // left as it was
  }
}

TEST(CheckStates, ParentsShowPartialWhileAnyChildIsWatchedAndCheckedCollapsedNodesDropChildren) {
  Tree tree;
  TreeNode* win = FindOrCreatePath({"Laufwerke", "C:", "Windows", "System32"}, tree, 0, stUnchecked, 0)->Parent();
  TreeNode *c = win->Parent(), *top = c->Parent(), *d = FindOrCreatePath({"Laufwerke", "D:"}, tree, 0, stUnchecked, 0);
  SetNodeChecked(*win, true);  // collapsed, below the root level: everything below is watched
  EXPECT_TRUE(win->StateIndex() == stChecked && win->Count() == 0 && win->HasChildren());
  EXPECT_TRUE(c->StateIndex() == stPartial && top->StateIndex() == stPartial);
  c->AddChild("Temp"); c->Expand();
  SetNodeChecked(*c, true);  // expanded: the children follow
  SetNodeChecked(*d, true);
  EXPECT_TRUE(c->Child(1)->StateIndex() == stChecked && top->StateIndex() == stPartial);  // all checked: still partial
  SetNodeChecked(*c, false);
  SetPathChecked({"laufwerke", "d:"}, tree, false);
  EXPECT_TRUE(c->Child(0)->StateIndex() == stUnchecked && top->StateIndex() == stUnchecked);
  top->Collapse();
  SetNodeChecked(*top, true);  // the top node, also collapsed: all descendants
  EXPECT_EQ(c->Child(1)->StateIndex(), stChecked);
}

TEST(FindNodeByPath, SplitsAtBackslashesIgnoresCaseAndExpands) {
  Tree tree; BuildRegistry(tree);
  TreeNode* software = tree.First()->Child(0)->Child(0);
  EXPECT_EQ(FindNodeByPath("hkey_current_user\\SOFTWARE", tree, false, false), software);
  EXPECT_EQ(FindNodeByPath("Arbeitsplatz\\HKEY_CURRENT_USER\\Software\\", tree, true, false), software);
  int loads = 0;
  tree.SetLoader([&](TreeNode& node) { ++loads; node.AddChild("Microsoft"); });
  software->SetHasChildren(true);
  EXPECT_EQ(FindNodeByPath("HKEY_CURRENT_USER\\Software\\Microsoft", tree, false, false), nullptr);
  TreeNode* ms = FindNodeByPath("HKEY_CURRENT_USER\\Software\\Microsoft", tree, false, true);
  EXPECT_TRUE(ms != nullptr && loads == 1);
}

TEST(DeselectBranch, UnchecksTheMatchingSelectionBranchAndSaysSo) {
  ScriptedInteraction ui;
  Tree selection, result; BuildRegistry(selection);
  DeselectBranch(*FindOrCreatePath({kRegistryTop, "HKEY_CURRENT_USER", "Software"}, result, 0, 0, 1), selection, true);
  TreeNode* hkcu = selection.First()->Child(0);
  EXPECT_TRUE(hkcu->Child(0)->StateIndex() == stUnchecked && hkcu->StateIndex() == stUnchecked);  // none watched
  EXPECT_EQ(selection.First()->StateIndex(), stPartial);  // HKLM still is
  EXPECT_TRUE(selection.Modified());
  EXPECT_EQ(ui.Texts(), Path{"Der folgende Zweig ist nun abgewählt:\rArbeitsplatz\\HKEY_CURRENT_USER\\Software\\"});
  EXPECT_EQ(ui.Messages()[0].type, mtInformation);
  TreeNode* missing = FindOrCreatePath({kRegistryTop, "HKEY_USERS"}, result, 0, 0, 1);
  EXPECT_EQ(Caught<EQuitawayError>([&] { DeselectBranch(*missing, selection, false); }),
            "Baumeintrag konnte nicht gefunden werden !");
}

TEST(TreeTool, FindOrCreatePathNodePathAndNoCheckFiles) {
  Tree tree;
  TreeNode* leaf = FindOrCreatePath({"Laufwerke", " C: [SYSTEM] ", "Programme", "App"}, tree, 0, 8, 1);
  EXPECT_EQ(FindOrCreatePath({"Laufwerke", " C: [SYSTEM] ", "Programme", "App"}, tree, 5, 6, 7), leaf);
  EXPECT_EQ(std::make_tuple(leaf->ImageIndex(), leaf->StateIndex(), leaf->SelectedIndex()), std::make_tuple(0, 8, 1));
  EXPECT_NE(FindOrCreatePath({"Laufwerke", " C: [SYSTEM] ", "programme"}, tree, 0, 6, 1), leaf->Parent());  // exact
  EXPECT_EQ(NodePath(*leaf, false, false), "Programme\\App");
  EXPECT_EQ(NodePath(*leaf, true, false), "C: [SYSTEM]\\Programme\\App");
  EXPECT_EQ(NodePath(*leaf, true, true), "C:\\Programme\\App");
  EXPECT_EQ(NodePath(*leaf->Parent()->Parent(), true, true), "C:");
  const Path noCheck = {"C:\\Programme\\Quitaway\\NewCFG.TSD", "D:\\größe.txt", "a.txt"};
  EXPECT_TRUE(IsNoCheckFile(noCheck, {"Laufwerke", "c: [SYSTEM]", "PROGRAMME", "quitaway"}, "newcfg.tsd"));
  EXPECT_FALSE(IsNoCheckFile(noCheck, {"Laufwerke", "C:", "Programme"}, "NewCFG.TSD"));
  EXPECT_TRUE(IsNoCheckFile(noCheck, {"Laufwerke", "D:"}, "GRÖßE.TXT"));
  EXPECT_TRUE(IsNoCheckFile(noCheck, {}, "A.TXT"));
}

TEST(TreeTool, SelectAlteredPairsSelectsBothHalvesOfAnAlteredEntry) {
  struct Row { const char* caption; int32_t status; bool selected, expected; };
  const Row rows[] = {{"Pfad", rsOldOfAltered, true, true},  {"Pfad", rsNewOfAltered, false, true},
                      {"Name", rsOldOfAltered, false, true}, {"Name", rsNewOfAltered + flDone, true, true},
                      {"Neu", rsNew, true, true},            {"Anders", rsNewOfAltered, false, false},
                      {"Alt", rsOldOfAltered, true, true},   {"Alt2", rsNewOfAltered, false, false}};
  ListModel list;
  for (const Row& r : rows) list.Add({r.caption, {}, r.status, 0, r.selected});
  SelectAlteredPairs(list);
  for (size_t i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Row(i).Selected, rows[i].expected) << i;
}
