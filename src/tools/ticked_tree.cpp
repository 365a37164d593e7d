#include "tools/ticked_tree.h"

#include "model/data_codes.h"
#include "model/treetool.h"

void TickedTree::ForEachDrive(const std::function<void(const std::string& root, bool partly)>& walk) {
  TreeNode* top = tree_.First();
  if (top == nullptr) return;
  path_ = {top->Text()};
  for (size_t i = 0; i < top->Count(); ++i) {
    const TreeNode& drive = *top->Child(i);
    const int32_t state = StateCode(drive.StateIndex());
    if (state == stUnchecked || drive.Text().empty()) continue;
    Enter(drive.Text());
    walk(drive.Text().substr(0, 1) + ":\\", state == stPartial);
    Leave();
  }
}

int32_t TickedTree::StateOf(const std::string& name) {
  Enter(name);
  const TreeNode* node = FindNodeByPathList(path_, tree_, false);
  Leave();
  return node != nullptr ? StateCode(node->StateIndex()) : stUnchecked;
}
