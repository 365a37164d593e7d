#include "support/ticked_tree.h"

#include <vector>

#include "model/data_codes.h"
#include "model/treetool.h"

TreeNode* TickedDownTo(Tree& tree, const std::string& folder) {
  std::vector<std::string> path = {kDrivesTop};
  for (size_t at = 0, slash; (slash = folder.find('\\', at)) != std::string::npos; at = slash + 1)
    path.push_back(folder.substr(at, slash - at));
  TreeNode* node = FindOrCreatePath(path, tree, 0, stChecked, 0);
  for (TreeNode* up = node->Parent(); up != nullptr; up = up->Parent()) up->SetStateIndex(stPartial);
  return node;
}

TreeNode* FolderNode(Tree& driveTree, const std::string& folder) {
  TreeNode* top = driveTree.First();
  for (size_t i = 0; top != nullptr && i < top->Count(); ++i)
    if (top->Child(i)->Text().substr(0, 2) == folder.substr(0, 2))
      return FindNodeByPath(top->Child(i)->Text() + folder.substr(2), driveTree, false, true);
  return nullptr;
}
