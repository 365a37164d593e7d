// Tree blocks and the selection file: byte layout, round trips, old and damaged files.
#include <gtest/gtest.h>

#include "model/treetool.h"
#include "support/bytes.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {
const Bytes kHeader = Str(kSelectionHeader);
Bytes Saved(Tree& tree, bool images = true) {
  return Written([&](DataWriter& w) { SaveTree("", &w, tree, false, false, images); });
}
}  // namespace

TEST(TreeBlock, ByteLayoutWithAndWithoutImages) {
  Tree tree;
  EXPECT_EQ(Saved(tree), kHeader + Bytes({2, 0}));
  FindOrCreatePath({"Laufwerke"}, tree, 2, 5, 2);
  FindOrCreatePath({"Laufwerke", "C:"}, tree, 300, 4, 300)->SetData(70000);
  const Bytes top = kHeader + Bytes{2, 1} + Str("Laufwerke") + Bytes{2, 5}, c = Str("C:") + Bytes{2, 4};
  const Bytes cRest = {8, 4, 0x70, 0x11, 1, 0, 2, 0};  // no button, the data, no children
  EXPECT_EQ(Saved(tree), top + Bytes({2, 2, 2, 2, 9, 2, 0, 2, 1}) + c + Bytes({3, 0x2C, 1, 3, 0x2C, 1}) + cRest);
  EXPECT_EQ(Saved(tree, false), top + Bytes({2, 0xFF, 2, 0xFF, 9, 2, 0, 2, 1}) + c + Bytes({2, 0xFF, 2, 0xFF}) + cRest);
}

TEST(TreeBlock, PruningDropsChildrenOfAddedAndRemovedNodesAndTheDoneLookIsOptional) {
  TempFolder dir;
  Tree tree, plain, greyed;
  tree.AddTop(kRegistryTop);
  FindOrCreatePath({kRegistryTop, "Neu", "Kind"}, tree, 0, stAdded + flDone, 0);
  FindOrCreatePath({kRegistryTop, "Geändert", "Kind"}, tree, 0, stMembersChanged, 0);
  TreeNode* old = FindOrCreatePath({kRegistryTop, "Alt", "Kind"}, tree, 0, stRemoved, 0)->Parent();
  MarkDone(*old); MarkDone(*old);  // the flag goes on once
  EXPECT_TRUE(old->Cut());
  SaveTree(dir.File("t.TSS"), nullptr, tree, false, true, true);
  LoadTree(dir.File("t.TSS"), nullptr, plain, false);
  LoadTree(dir.File("t.TSS"), nullptr, greyed, true);
  ASSERT_EQ(plain.First()->Count(), 3u);
  const TreeNode *added = plain.First()->Child(0), *changed = added->NextSibling(), *done = changed->NextSibling();
  EXPECT_TRUE(added->Count() == 0 && changed->Count() == 1 && done->Count() == 0 && done->HasChildren());
  EXPECT_EQ(done->StateIndex(), stRemoved + flDone);
  EXPECT_TRUE(!added->Cut() && !done->Cut());  // the done look only on request
  EXPECT_TRUE(greyed.First()->Child(0)->Cut() && !greyed.First()->Child(1)->Cut() && greyed.First()->Child(2)->Cut());
}

TEST(SelectionFile, RoundTripThroughAFileTrimsTheRootLevel) {
  TempFolder dir;
  Tree reg, drives, sys, reg2, drives2, sys2;
  TreeNode* hkcu = FindOrCreatePath({kRegistryTop, "HKEY_CURRENT_USER", "Software"}, reg, 2, stPartial, 3)->Parent();
  TreeNode* hklm = FindOrCreatePath({kRegistryTop, "HKEY_LOCAL_MACHINE", "SOFTWARE"}, reg, 2, stChecked, 3)->Parent();
  TreeNode* hku = FindOrCreatePath({kRegistryTop, "HKEY_USERS", ".DEFAULT"}, reg, 2, stUnchecked, 3)->Parent();
  hklm->Expand(); hkcu->Child(0)->SetData(7);
  FindOrCreatePath({kDrivesTop, "C: [SYSTEM]"}, drives, 4, stPartial, 5);
  FindOrCreatePath({kSystemTop, "Win.ini"}, sys, 6, stChecked, 7);
  const std::vector<std::string> noCheck = {"C:\\Programme\\Quitaway\\OldCFG.TSD", "C:\\pagefile.sys"};
  SaveSelectionFile(dir.File("Last.TSS"), nullptr, reg, drives, sys, noCheck);
  EXPECT_EQ(hkcu->Count(), 1u);  // root keys that are not partial lost their loaded children, also on screen
  for (TreeNode* n : {hklm, hku}) EXPECT_TRUE(n->Count() == 0 && !n->Expanded() && n->HasChildren()) << n->Text();
  reg2.AddTop("alt"); reg2.SetModified(true);
  std::vector<std::string> noCheck2 = {"vorher"};
  LoadSelectionFile(dir.File("Last.TSS"), nullptr, reg2, drives2, sys2, noCheck2);
  EXPECT_EQ(Saved(reg2) + Saved(drives2) + Saved(sys2), Saved(reg) + Saved(drives) + Saved(sys));
  EXPECT_EQ(noCheck2, noCheck);
  EXPECT_FALSE(reg2.Modified());
}

TEST(SelectionFile, TheListFollowsTheThirdTreeBlockAndAnUnreadableOneKeepsTheOldList) {
  Tree reg, drives, sys;
  reg.AddTop(kRegistryTop)->SetStateIndex(stChecked);
  const Bytes blocks = Saved(reg) + Saved(drives) + Saved(sys);
  EXPECT_EQ(Written([&](DataWriter& w) { SaveSelectionFile("", &w, reg, drives, sys, {"C:\\a"}); }),
            blocks + Str("idNocheckFiles") + Bytes({2, 1}) + Str("C:\\a"));
  // An old file without the list, a damaged list, another marker.
  for (const Bytes& tail : {Bytes{}, Str("idNocheckFiles") + Bytes{2, 3} + Str("C:\\eins") + Bytes{2, 7},
                            Str("idNoCheckFiles") + Bytes{2, 0}}) {
    ScriptedInteraction ui;
    platform::MemoryStream m(blocks + tail); DataReader r(m);
    Tree reg2, drives2, sys2; std::vector<std::string> noCheck = {"C:\\bleibt.txt"};
    LoadSelectionFile("", &r, reg2, drives2, sys2, noCheck);
    EXPECT_EQ(Saved(reg2), Saved(reg));
    EXPECT_EQ(noCheck, std::vector<std::string>{"C:\\bleibt.txt"});
    EXPECT_EQ(r.Position(), static_cast<int64_t>(blocks.size()));  // set back to the start of the list
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Die geöffnete Datei ist nicht 100% kompatibel mit dieser "
                                                   "Version des Programmes\rdie Liste der nicht zu prüfendenden "
                                                   "Dateien konnte nicht geladen werden, Rest ist Ok"});
    EXPECT_TRUE(ui.Messages()[0].type == mtInformation && ui.Messages()[0].buttons == mbOK);
  }
}

TEST(TreeBlock, DamagedBlocksRaiseReadErrorsWithoutHugeAllocations) {
  const std::string at = "Lesefehler im Datenstrom an Position ";
  const Bytes node = Str("a") + Bytes{2, 4, 2, 0, 2, 0, 8, 2, 0}, one = kHeader + Bytes{2, 1};
  // Counts beyond what the bytes left can hold, a negative child count, an unknown tag, a cut record, foreign headers.
  for (const auto& [bytes, error] : std::vector<std::pair<Bytes, std::string>>{
           {kHeader + Bytes{4, 0, 0, 0, 0x7F}, at + "44:\rUngültige Anzahl 2130706432"},
           {kHeader + Bytes{2, 3} + node + Bytes{2, 0}, at + "44:\rUngültige Anzahl 3"},  // 13 bytes a record at least
           {one + node + Bytes{2, 0xFF}, at + "58:\rUngültige Anzahl -1"},
           {one + Str("a") + Bytes{7, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0}, at + "49:\rUnerwartete Kennung 7, erwartet: Zahl"},
           {kHeader + Bytes{2, 2} + node + Bytes{2, 0} + node, at + "72:\rUnerwartetes Dateiende"},
           {Str(kResultHeader2), "FEHLER: \rDas ist keine Auswahldatei "},
           {Bytes{2, 0}, at + "0:\rUnerwartete Kennung 2, erwartet: Zeichenkette"}}) {
    platform::MemoryStream m(bytes); DataReader r(m);
    Tree tree; tree.AddTop("vorher");
    EXPECT_EQ(Caught([&] { LoadTree("", &r, tree, false); }), error);
    ASSERT_EQ(tree.Count(), 1u);  // a block that cannot be read to its end leaves the tree as it was
    EXPECT_EQ(tree.First()->Text(), "vorher");
  }
}

TEST(TreeBlock, ErrorsNameTheFile) {
  TempFolder dir;
  const std::string name = dir.File("fremd.TSS");
  Tree tree;
  WriteFileBytes(name, "\x06\x03" "abc");
  EXPECT_EQ(Caught<EDataFileError>([&] { LoadTree(name, nullptr, tree, false); }),
            "FEHLER: " + name + "\rDas ist keine Auswahldatei ");
  WriteFileBytes(name, "\x06\x05" "ab");
  EXPECT_EQ(Caught<EReadError>([&] { LoadTree(name, nullptr, tree, false); }),
            "Lesefehler in der Datei \"" + name + "\" an Position 2:\r"
            "5 Bytes verlangt, aber nur 2 bis zum Ende vorhanden");
}

TEST(TreeBlock, AVeryDeepTreeIsSavedReadAndDestroyedWithoutExhaustingTheStack) {
  Tree tree;  // destroyed at the end, where recursion would overflow the stack
  TreeNode* n = tree.AddTop("0");
  for (int i = 1; i < 200000; ++i) n = n->AddChild("x");
  platform::MemoryStream m(Saved(tree) + Str("danach")); DataReader r(m);
  SkipTree(r);  // reads the nodes as LoadTree does, without building them
  EXPECT_EQ(r.ReadString(), "danach");
}
