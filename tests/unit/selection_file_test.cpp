// Tree blocks and the selection file: byte layout, round trips, old and damaged files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "platform/file_stream.h"
#include "model/treetool.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Str(const std::string& s) {
  Bytes b = {6, static_cast<uint8_t>(s.size())};
  for (char c : s) b.push_back(static_cast<uint8_t>(c));
  return b;
}
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TreeNode* Add(TreeNode* parent, const std::string& text, int32_t state) {
  TreeNode* n = parent->AddChild(text);
  n->SetStateIndex(state);
  return n;
}

// The default selection shape: registry, drives, system files.
void BuildSelection(Tree& reg, Tree& drives, Tree& sys) {
  TreeNode* top = reg.AddTop("Arbeitsplatz");
  top->SetStateIndex(stPartial);
  top->SetImageIndex(2);
  top->SetSelectedIndex(2);
  TreeNode* hkcu = Add(top, "HKEY_CURRENT_USER", stPartial);
  hkcu->SetHasChildren(true);
  Add(hkcu, "Software", stChecked)->SetHasChildren(true);
  TreeNode* hklm = Add(top, "HKEY_LOCAL_MACHINE", stChecked);
  Add(hklm, "SOFTWARE", stChecked);  // loaded below a checked root key: trimmed on save
  hklm->Expand();

  TreeNode* dtop = drives.AddTop("Laufwerke");
  dtop->SetStateIndex(stPartial);
  TreeNode* c = Add(dtop, "C: [SYSTEM]", stPartial);
  c->SetImageIndex(3);
  Add(c, "Programme", stChecked);
  Add(dtop, "D:", stUnchecked)->SetImageIndex(4);

  TreeNode* stop = sys.AddTop("Systemdateien");
  stop->SetStateIndex(stPartial);
  for (const char* f : {"Win.ini", "System.ini", "Autoexec.bat", "Config.sys"}) Add(stop, f, stChecked);
}

void ExpectSameTree(const Tree& a, const Tree& b) {
  ASSERT_EQ(a.Count(), b.Count());
  std::vector<std::pair<const TreeNode*, const TreeNode*>> stack;
  for (size_t i = 0; i < a.Count(); ++i) stack.push_back({a.TopNode(i), b.TopNode(i)});
  while (!stack.empty()) {
    auto [x, y] = stack.back();
    stack.pop_back();
    EXPECT_EQ(x->Text(), y->Text());
    EXPECT_EQ(x->StateIndex(), y->StateIndex()) << x->Text();
    EXPECT_EQ(x->ImageIndex(), y->ImageIndex()) << x->Text();
    EXPECT_EQ(x->SelectedIndex(), y->SelectedIndex()) << x->Text();
    EXPECT_EQ(x->HasChildren(), y->HasChildren()) << x->Text();
    EXPECT_EQ(x->Data(), y->Data()) << x->Text();
    ASSERT_EQ(x->Count(), y->Count()) << x->Text();
    for (size_t i = 0; i < x->Count(); ++i) stack.push_back({x->Child(i), y->Child(i)});
  }
}

Bytes SavedTree(Tree& tree, bool trim, bool prune, bool images) {
  platform::MemoryStream m;
  {
    DataWriter w(m);
    SaveTree("", &w, tree, trim, prune, images);
  }
  return m.Bytes();
}

std::string LoadError(const Bytes& bytes) {
  platform::MemoryStream m(bytes);
  DataReader r(m);
  Tree tree;
  try {
    LoadTree("", &r, tree, false);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace

TEST(TreeBlock, ByteLayoutOfAnEmptyAndASmallTree) {
  Tree empty;
  EXPECT_EQ(SavedTree(empty, true, false, true), Str(kSelectionHeader) + Bytes({2, 0}));

  Tree tree;
  TreeNode* top = tree.AddTop("Laufwerke");
  top->SetStateIndex(5);
  top->SetImageIndex(2);
  top->SetSelectedIndex(2);
  TreeNode* c = top->AddChild("C:");
  c->SetStateIndex(4);
  c->SetImageIndex(300);
  c->SetSelectedIndex(300);
  c->SetData(70000);
  const Bytes expected = Str(kSelectionHeader) + Bytes({2, 1}) +
                         Str("Laufwerke") + Bytes({2, 5, 2, 2, 2, 2, 9, 2, 0, 2, 1}) +
                         Str("C:") + Bytes({2, 4, 3, 0x2C, 0x01, 3, 0x2C, 0x01, 8, 4, 0x70, 0x11, 0x01, 0x00, 2, 0});
  EXPECT_EQ(SavedTree(tree, false, false, true), expected);

  // Without images both image fields are -1.
  const Bytes noImages = SavedTree(tree, false, false, false);
  const Bytes topRecord = Str("Laufwerke") + Bytes({2, 5, 2, 0xFF, 2, 0xFF, 9, 2, 0, 2, 1});
  EXPECT_TRUE(std::search(noImages.begin(), noImages.end(), topRecord.begin(), topRecord.end()) !=
              noImages.end());
}

TEST(TreeBlock, PruningDropsChildrenOfAddedAndRemovedNodesAlsoWhenDone) {
  Tree tree;
  TreeNode* top = tree.AddTop("Arbeitsplatz");
  TreeNode* added = Add(top, "Neu", stAdded + flDone);  // 22
  Add(added, "Kind", rsNew);
  TreeNode* changed = Add(top, "Geändert", stMembersChanged);
  Add(changed, "Kind", stAdded);

  platform::MemoryStream m;
  {
    DataWriter w(m);
    SaveTree("", &w, tree, false, true, true);
  }
  DataReader r(m);
  m.Seek(0);
  DataReader r2(m);
  Tree loaded;
  LoadTree("", &r2, loaded, true);
  TreeNode* top2 = loaded.First();
  ASSERT_EQ(top2->Count(), 2u);
  EXPECT_EQ(top2->Child(0)->Count(), 0u);  // pruned
  EXPECT_TRUE(top2->Child(0)->HasChildren());
  EXPECT_TRUE(top2->Child(0)->Cut());      // the done look
  EXPECT_EQ(top2->Child(0)->StateIndex(), 22);
  EXPECT_EQ(top2->Child(1)->Count(), 1u);  // state 8 keeps its children
  EXPECT_FALSE(top2->Child(1)->Cut());
}

TEST(TreeBlock, DoneFlagSurvivesSaveAndLoadAndTheLookIsOptional) {
  TempFolder dir;
  Tree tree;
  TreeNode* top = tree.AddTop("Laufwerke");
  TreeNode* f = Add(top, "alt.dll", stRemoved);
  MarkDone(*f);
  SaveTree(dir.File("t.TSS"), nullptr, tree, false, true, true);

  Tree plain;
  LoadTree(dir.File("t.TSS"), nullptr, plain, false);
  EXPECT_EQ(plain.First()->Child(0)->StateIndex(), stRemoved + flDone);
  EXPECT_FALSE(plain.First()->Child(0)->Cut());
  Tree greyed;
  LoadTree(dir.File("t.TSS"), nullptr, greyed, true);
  EXPECT_TRUE(greyed.First()->Child(0)->Cut());
}

TEST(SelectionFile, RoundTripThroughAFileTrimsTheRootLevel) {
  TempFolder dir;
  Tree reg, drives, sys;
  BuildSelection(reg, drives, sys);
  const std::vector<std::string> noCheck = {"C:\\Programme\\Quitaway\\OldCFG.TSD", "C:\\pagefile.sys"};
  SaveSelectionFile(dir.File("Last.TSS"), nullptr, reg, drives, sys, noCheck);

  // The checked root key lost its loaded children (also on screen); the partial one kept them.
  EXPECT_EQ(reg.First()->Child(1)->Count(), 0u);
  EXPECT_FALSE(reg.First()->Child(1)->Expanded());
  EXPECT_TRUE(reg.First()->Child(1)->HasChildren());
  EXPECT_EQ(reg.First()->Child(0)->Count(), 1u);
  EXPECT_EQ(drives.First()->Child(0)->Count(), 1u);

  Tree reg2, drives2, sys2;
  reg2.AddTop("alt");
  std::vector<std::string> noCheck2 = {"vorher"};
  reg2.SetModified(true);
  LoadSelectionFile(dir.File("Last.TSS"), nullptr, reg2, drives2, sys2, noCheck2);
  ExpectSameTree(reg, reg2);
  ExpectSameTree(drives, drives2);
  ExpectSameTree(sys, sys2);
  EXPECT_EQ(noCheck2, noCheck);
  EXPECT_FALSE(reg2.Modified());
}

TEST(SelectionFile, TheListFollowsTheThirdTreeBlock) {
  Tree reg, drives, sys;
  reg.AddTop("Arbeitsplatz")->SetStateIndex(stChecked);
  platform::MemoryStream m;
  {
    DataWriter w(m);
    SaveSelectionFile("", &w, reg, drives, sys, {"C:\\a"});
  }
  const Bytes expected = Str(kSelectionHeader) + Bytes({2, 1}) + Str("Arbeitsplatz") +
                         Bytes({2, 4, 2, 0xFF, 2, 0xFF, 8, 2, 0, 2, 0}) +
                         Str(kSelectionHeader) + Bytes({2, 0}) + Str(kSelectionHeader) + Bytes({2, 0}) +
                         Str("idNocheckFiles") + Bytes({2, 1}) + Str("C:\\a");
  EXPECT_EQ(m.Bytes(), expected);
}

TEST(SelectionFile, AFileEndingAfterTheThirdBlockLoadsWithANotice) {
  ScriptedInteraction ui;
  TempFolder dir;
  Tree reg, drives, sys;
  BuildSelection(reg, drives, sys);
  {
    platform::FileStream f(dir.File("alt.TSS"), platform::FileStream::Mode::Create);
    DataWriter w(f);
    for (Tree* t : {&reg, &drives, &sys}) SaveTree("", &w, *t, true, false, true);
  }
  Tree reg2, drives2, sys2;
  std::vector<std::string> noCheck = {"C:\\bleibt.txt"};
  LoadSelectionFile(dir.File("alt.TSS"), nullptr, reg2, drives2, sys2, noCheck);
  ExpectSameTree(sys, sys2);
  EXPECT_EQ(noCheck, (std::vector<std::string>{"C:\\bleibt.txt"}));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            "Die geöffnete Datei ist nicht 100% kompatibel mit dieser Version des Programmes\rdie Liste "
            "der nicht zu prüfendenden Dateien konnte nicht geladen werden, Rest ist Ok");
  EXPECT_EQ(ui.Messages()[0].type, mtInformation);
  EXPECT_EQ(ui.Messages()[0].buttons, mbOK);
}

TEST(SelectionFile, ADamagedListKeepsTheOldListAndTheReaderPosition) {
  ScriptedInteraction ui;
  Tree reg, drives, sys;
  platform::MemoryStream m;
  {
    DataWriter w(m);
    for (Tree* t : {&reg, &drives, &sys}) SaveTree("", &w, *t, true, false, true);
    w.WriteString("idNocheckFiles");
    w.WriteInteger(3);
    w.WriteString("C:\\eins");
    w.WriteInteger(7);  // not a string
  }
  m.Seek(0);
  DataReader r(m);
  std::vector<std::string> noCheck = {"x"};
  LoadSelectionFile("", &r, reg, drives, sys, noCheck);
  EXPECT_EQ(noCheck, (std::vector<std::string>{"x"}));
  EXPECT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(r.ReadString(), "idNocheckFiles");  // set back to the start of the list
}

TEST(TreeBlock, WrongHeadersAndBadArguments) {
  TempFolder dir;
  const std::string name = dir.File("fremd.TSS");
  WriteFileBytes(name, "\x06\x03" "abc");
  Tree tree;
  tree.AddTop("unberührt");
  try {
    LoadTree(name, nullptr, tree, false);
    FAIL();
  } catch (const EDataFileError& e) {
    EXPECT_EQ(std::string(e.what()), "FEHLER: " + name + "\rDas ist keine Auswahldatei ");
  }
  EXPECT_EQ(tree.First()->Text(), "unberührt");  // not touched
  EXPECT_EQ(LoadError(Str("* THIS IS A TIDYSWEEP RESULT DATAFILE2 *")),
            "FEHLER: \rDas ist keine Auswahldatei ");
  // The first item is not a string: a read error before any header comparison.
  EXPECT_EQ(LoadError(Bytes({2, 0})),
            "Lesefehler im Datenstrom an Position 0:\rUnerwartete Kennung 2, erwartet: Zeichenkette");

  platform::MemoryStream m;
  DataWriter w(m);
  DataReader r(m);
  EXPECT_THROW(
      {
        try { SaveTree(name, &w, tree, false, false, true); }
        catch (const EUsageError& e) { EXPECT_STREQ(e.what(), "Use Filename OR Writer"); throw; }
      },
      EUsageError);
  EXPECT_THROW(
      {
        try { LoadTree(name, &r, tree, false); }
        catch (const EUsageError& e) { EXPECT_STREQ(e.what(), "Use Filename OR Reader"); throw; }
      },
      EUsageError);
}

TEST(TreeBlock, DamagedBlocksRaiseReadErrorsWithoutHugeAllocations) {
  const Bytes header = Str(kSelectionHeader);
  const Bytes node = Str("a") + Bytes({2, 4, 2, 0, 2, 0, 8, 2, 0});
  // A count of two billion nodes, a negative child count, an unknown tag, a cut record.
  EXPECT_EQ(LoadError(header + Bytes({4, 0, 0, 0, 0x7F})),
            "Lesefehler im Datenstrom an Position 44:\rUngültige Anzahl 2130706432");
  EXPECT_EQ(LoadError(header + Bytes({2, 1}) + node + Bytes({2, 0xFF})),
            "Lesefehler im Datenstrom an Position 58:\rUngültige Anzahl -1");
  EXPECT_EQ(LoadError(header + Bytes({2, 1}) + Str("a") + Bytes({7, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0})),
            "Lesefehler im Datenstrom an Position 49:\rUnerwartete Kennung 7, erwartet: Zahl");
  const Bytes cut = header + Bytes({2, 2}) + node + Bytes({2, 0}) + Str("b") + Bytes({2, 4, 2, 0, 2, 0, 8, 2, 0});
  EXPECT_EQ(LoadError(cut), "Lesefehler im Datenstrom an Position 72:\rUnerwartetes Dateiende");
  // A block that cannot be read to its end leaves the tree as it was.
  platform::MemoryStream m(cut);
  DataReader r(m);
  Tree tree;
  tree.AddTop("vorher");
  EXPECT_THROW(LoadTree("", &r, tree, false), EReadError);
  ASSERT_EQ(tree.Count(), 1u);
  EXPECT_EQ(tree.First()->Text(), "vorher");
}

TEST(TreeBlock, SkipTreePassesOverOneBlock) {
  Tree reg, drives, sys;
  BuildSelection(reg, drives, sys);
  platform::MemoryStream m;
  {
    DataWriter w(m);
    SaveTree("", &w, reg, false, false, true);
    w.WriteString("danach");
  }
  m.Seek(0);
  DataReader r(m);
  SkipTree(r);
  EXPECT_EQ(r.ReadString(), "danach");
}
