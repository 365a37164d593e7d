// The empty-folder finder: the folders of the drives ticked in a selection tree that
// hold nothing (files of 0 bytes counting as nothing when asked), each listed before
// the folder that holds it; and their deletion through the shell.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/tree_model.h"

struct EmptyFolderProgress {
  std::string Drive;     // being searched ("C:\")
  int32_t Folders = 0;   // walked so far
  int32_t Empty = 0;     // found so far
};

// Walks every drive of the tree that is not unticked; a partly ticked drive or folder
// is followed down the tree, a ticked one whole, an unticked folder is not walked and
// counts as content. Paths end in "\".
std::vector<std::string> FindEmptyFolders(Tree& driveTree, bool ignoreEmptyFiles,
                                          const std::function<void(const EmptyFolderProgress&)>& progress = {});

// Whether a folder holds nothing now (by the same rule, all the way down).
bool FolderIsEmpty(const std::string& folder, bool ignoreEmptyFiles);

struct EmptyFolderDeletion {
  std::vector<std::string> Deleted;
  std::vector<std::string> Kept;  // no longer empty, or the shell could not delete it
};

// Deletes the folders from the last to the first (a parent before its listed children,
// which go with it) through the shell, into the recycle bin when UseRecycleBin says so.
// A folder that is no longer empty is kept: what came into it since the search is not
// lost. Deleted folders leave the selection tree.
EmptyFolderDeletion DeleteEmptyFolders(const std::vector<std::string>& folders, bool ignoreEmptyFiles,
                                       Tree* driveTree);
