// What every section comparison shares: both readers, the section's value block, the
// pending buffer, the path of the level being compared, and the level-by-level walk
// of nested keys or folders.
//
// A node's Data is where its record group will stand in the block: the block's
// position plus the pending buffer's at the moment the node gets its first record.
// Copies of new and deleted subtrees wait in the pending buffer until the subtree
// merge of their level has ended; member records are counted and written behind
// their count. Everything pending is appended before a group that follows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compare/name_merge.h"
#include "model/data_stream.h"
#include "model/tree_model.h"
#include "platform/stream.h"

class SectionCompare {
 public:
  SectionCompare(DataReader& oldReader, DataReader& newReader, Tree& result, const char* blockHeader,
                 const char* readErrorPrefix);
  virtual ~SectionCompare() = default;

  // Writes the section's result tree and block into the result file.
  void WriteResult(DataWriter& out, int64_t& treePos, int64_t& blockStart, bool storeImages);

 protected:
  int32_t NextGroupOffset() { return static_cast<int32_t>(block_.Position() + pending_.Position()); }
  void SetDataIfZero(TreeNode* node);
  void AppendPending();
  // The member records of a level: their count, then the records.
  void FinishMembers();

  // The node of the current path, made when missing (a path node: images 0/1).
  TreeNode* PathNode();
  // A new or deleted child of the current path, with its group's offset.
  TreeNode* AddedOrRemovedChild(const std::string& name, int32_t state, int32_t image, int32_t selected);

  NameMerge OpenMerge() { return NameMerge(o_, n_, read_error_prefix_); }

  // One flat merge at both readers' positions: both(name), newOnly(name) or
  // oldOnly(name) for each step, each reading the entry's own data.
  template <typename Both, typename NewOnly, typename OldOnly>
  void MergeNames(Both both, NewOnly newOnly, OldOnly oldOnly) {
    for (NameMerge merge = OpenMerge(); merge.Current() != NameMerge::kDone; merge.Advance()) {
      if (merge.Current() == NameMerge::kBoth) both(merge.Name());
      else if (merge.Current() == NameMerge::kNewOnly) newOnly(merge.Name());
      else oldOnly(merge.Name());
    }
  }

  DataReader& o_;
  DataReader& n_;
  Tree& result_;
  platform::MemoryStream block_stream_;
  DataWriter block_{block_stream_};
  platform::MemoryStream pending_stream_;
  DataWriter pending_{pending_stream_};
  std::vector<std::string> path_;
  int32_t records_ = 0;
  int depth_ = 0;
  const char* read_error_prefix_;
};

// The registry and drive sections: keys in keys, folders in folders.
class NestedCompare : public SectionCompare {
 public:
  NestedCompare(DataReader& oldReader, DataReader& newReader, Tree& selection, Tree& result, const char* blockHeader,
                const char* readErrorPrefix)
      : SectionCompare(oldReader, newReader, result, blockHeader, readErrorPrefix), selection_(selection) {}

 protected:
  // Compares the nested records (keys, folders) at both readers' positions level by
  // level: at each level the children are merged, then LevelFinished() compares the
  // level's members. Iterative, so that nesting depth costs no call stack.
  void CompareNested(bool filter);

  // The selection state of an entry (filter off: watched).
  int32_t StateOf(const std::string& name, bool filter);
  // Passes over a child's record on one side.
  virtual void SkipChild(DataReader& side) = 0;
  // A child stored on one side only (isNew: the new side).
  virtual void ChildOnOneSide(const std::string& name, int32_t selectionState, bool isNew) = 0;
  virtual void LevelStarted() {}
  // Before each step of a first-level merge (the progress bar).
  virtual void BeforeStep(const NameMerge&) {}
  virtual void LevelFinished() = 0;

  Tree& selection_;
};

// Status line, progress bar and message processing of the comparison.
void CompareStatus(const std::string& text);
void CompareProgress(int maximum, int position);
void CompareKeepAlive();
