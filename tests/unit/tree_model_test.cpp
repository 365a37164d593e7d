// Lazy loading, update suspension and observers of the tree model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/tree_model.h"

namespace {

class Recorder : public TreeObserver {
 public:
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
  tree.SetLoader([&](TreeNode& node) {
    ++loads;
    node.AddChild(node.Text() + "1");
    node.AddChild(node.Text() + "2")->SetHasChildren(true);
  });
  TreeNode* top = tree.AddTop("K");
  top->SetHasChildren(true);
  EXPECT_EQ(top->Count(), 0u);
  top->Expand();
  ASSERT_EQ(top->Count(), 2u);
  EXPECT_TRUE(top->Expanded());
  EXPECT_EQ(top->Child(1)->Text(), "K2");
  EXPECT_EQ(top->Child(1)->Level(), 1);
  top->Collapse();
  top->Expand();
  EXPECT_EQ(loads, 1);  // loaded children stay

  top->DeleteChildren();
  EXPECT_TRUE(top->HasChildren());  // the expand button stays
  EXPECT_FALSE(top->Expanded());
  top->Expand();
  EXPECT_EQ(loads, 2);

  TreeNode* empty = tree.AddTop("leer");
  empty->SetHasChildren(true);
  tree.SetLoader([](TreeNode&) {});
  empty->Expand();
  EXPECT_FALSE(empty->HasChildren());  // nothing there: no button any more
}

TEST(TreeModel, ObserversHearChangesButOnlyTheEndWhileSuspended) {
  Tree tree;
  Recorder rec;
  tree.AddObserver(&rec);
  TreeNode* a = tree.AddTop("a");
  a->SetStateIndex(4);
  a->SetStateIndex(4);  // no change, no notice
  {
    TreeUpdateScope outer(tree);
    TreeUpdateScope inner(tree);
    a->AddChild("b");
    a->SetStateIndex(5);
  }
  a->Child(0)->Delete();
  tree.Clear();
  EXPECT_EQ(rec.log, (std::vector<std::string>{"+a", "~a", "end", "-b", "clear"}));
  EXPECT_EQ(tree.Count(), 0u);
}

TEST(TreeModel, SiblingOrderAndInsertion) {
  Tree tree;
  TreeNode* top = tree.AddTop("top");
  top->AddChild("b");
  top->InsertChild(0, "a");
  top->AddChild("d");
  top->InsertChild(2, "c");
  std::vector<std::string> texts;
  for (TreeNode* n = top->FirstChild(); n != nullptr; n = n->NextSibling()) texts.push_back(n->Text());
  EXPECT_EQ(texts, (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(top->FindChild("c")->Index(), 2u);
  EXPECT_EQ(top->FindChild("C"), nullptr);  // exact
}

TEST(TreeModel, AVeryDeepTreeIsDestroyedWithoutExhaustingTheStack) {
  auto tree = std::make_unique<Tree>();
  TreeNode* n = tree->AddTop("0");
  for (int i = 1; i < 200000; ++i) n = n->AddChild("x");
  EXPECT_EQ(tree->First()->Count(), 1u);
  tree.reset();  // would overflow the stack with recursive destruction
  SUCCEED();
}
