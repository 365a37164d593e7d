// Selection trees for the tools' tests: ticked down to one scratch folder.
#pragma once

#include <string>

#include "model/tree_model.h"

// A drive tree built here (no file system): the folder ticked, the nodes above it
// partly ticked, as a person leaves the tree. folder ends in "\".
TreeNode* TickedDownTo(Tree& tree, const std::string& folder);

// The node of a folder in a drive tree built from the system (BuildDriveTree): its
// drive found by the letter (the drive's text carries its name), the folders loaded on
// the way. folder has no trailing "\". Null when it is not there.
TreeNode* FolderNode(Tree& driveTree, const std::string& folder);
