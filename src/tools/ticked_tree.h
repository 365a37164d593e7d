// The tools' walks over a selection tree: the drives that are ticked or partly ticked,
// and, below a partly ticked folder, the state of each subfolder (a folder without a
// node counts as not ticked).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/tree_model.h"

class TickedTree {
 public:
  explicit TickedTree(Tree& tree) : tree_(tree) {}

  // walk(root, partly) for each drive that is not unticked, root like "C:\".
  void ForEachDrive(const std::function<void(const std::string& root, bool partly)>& walk);
  // The state of the subfolder name of the folder being walked.
  int32_t StateOf(const std::string& name);
  // The walk goes into a subfolder, and comes out of it.
  void Enter(const std::string& name) { path_.push_back(name); }
  void Leave() { path_.pop_back(); }

 private:
  Tree& tree_;
  std::vector<std::string> path_;  // node texts from the tree's top to the folder walked
};
