#include "app/tool_selection_tree.h"

#include "snapshot/selection_trees.h"
#include "ui/images.h"

ToolSelectionTree::ToolSelectionTree(Kind kind) {
  if (kind == Kind::Registry)
    BuildRegistryTree(tree_);
  else
    BuildDriveTree(tree_);
}

ToolSelectionTree::~ToolSelectionTree() {
  binding_.reset();
  if (images_ != nullptr) ImageList_Destroy(images_);
  if (states_ != nullptr) ImageList_Destroy(states_);
}

void ToolSelectionTree::Attach(HWND view, int dpi) {
  images_ = CreateProgramImages(dpi);
  states_ = CreateStateImages(dpi);
  TreeView_SetImageList(view, images_, TVSIL_NORMAL);
  TreeView_SetImageList(view, states_, TVSIL_STATE);
  binding_ = std::make_unique<TreeViewBinding>(view, tree_);
  // The check click and the collapse rules of the main window's drive tree.
  binding_->OnCheckClick = [this](TreeNode& node) {
    ToggleCheck(node);
    binding_->Select(node);
  };
  binding_->OnCollapsed = [](TreeNode& node) { CollapseSelectionNode(node); };
  if (TreeNode* top = tree_.First()) top->Expand();
}
