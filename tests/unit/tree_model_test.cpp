// Lazy loading, sibling order, update suspension, observers and adoption of the tree model.
#include <gtest/gtest.h>

#include "model/tree_model.h"

namespace {
struct Recorder : TreeObserver {
  void NodeAdded(TreeNode& n) override { log.push_back("+" + n.Text()); }
  void NodeDeleting(TreeNode& n) override { log.push_back("-" + n.Text()); }
  void NodeChanged(TreeNode& n) override { log.push_back("~" + n.Text()); }
  void TreeCleared() override { log.push_back("clear"); }
  void UpdateEnded() override { log.push_back("end"); }
  std::vector<std::string> log;
};
}  // namespace

TEST(TreeModel, ExpandingLoadsChildrenOnceThroughTheLoader) {
  Tree tree;
  int loads = 0;
  tree.SetLoader([&](TreeNode& n) { ++loads; n.AddChild("c"); n.InsertChild(0, "a"); n.InsertChild(1, "b"); });
  TreeNode* top = tree.AddTop("K");
  top->SetHasChildren(true);
  top->Expand(); top->Collapse(); top->Expand();
  EXPECT_TRUE(loads == 1 && top->Expanded());  // loaded children stay
  EXPECT_TRUE(top->FirstChild()->NextSibling() == top->FindChild("b") && top->FindChild("c")->Index() == 2);
  top->DeleteChildren();
  EXPECT_TRUE(top->HasChildren() && !top->Expanded());  // the expand button stays
  top->Expand();
  EXPECT_EQ(loads, 2);
  top->DeleteChildren(); tree.SetLoader([](TreeNode&) {}); top->Expand();
  EXPECT_FALSE(top->HasChildren());  // nothing there: no button any more
}

TEST(TreeModel, ObserversHearChangesButOnlyTheEndWhileSuspendedAndOfAnAdoptedTree) {
  Tree tree, aside;
  Recorder rec;
  tree.AddObserver(&rec);
  TreeNode* a = tree.AddTop("a");
  a->SetStateIndex(4); a->SetStateIndex(4);  // no change, no notice
  tree.BeginUpdate(); tree.BeginUpdate();  // nested: only the last end is heard
  a->AddChild("b"); a->SetStateIndex(5);
  tree.EndUpdate(); tree.EndUpdate();
  a->Child(0)->Delete();
  aside.AddTop("neu")->AddChild("kind");
  tree.Adopt(aside);
  tree.First()->Child(0)->AddChild("x");  // adopted nodes report to their new tree
  EXPECT_EQ(rec.log, (std::vector<std::string>{"+a", "~a", "end", "-b", "clear", "end", "+x"}));
  EXPECT_EQ(aside.Count(), 0u);
}
