#include "compare/section_compare.h"

#include "core/interaction.h"
#include "model/data_codes.h"
#include "model/treetool.h"

void CompareStatus(const std::string& text) { UI().SetStatusText(StatusControl::Statuspanel, text); }

void CompareProgress(int maximum, int position) {
  UI().SetStatusMax(StatusControl::ProgressBar1, maximum);
  UI().SetStatusPosition(StatusControl::ProgressBar1, position);
}

void CompareKeepAlive() { UI().ProcessMessages(); }

SectionCompare::SectionCompare(DataReader& oldReader, DataReader& newReader, Tree& result, const char* blockHeader,
                               const char* readErrorPrefix)
    : o_(oldReader), n_(newReader), result_(result), read_error_prefix_(readErrorPrefix) {
  block_.WriteString(blockHeader);
}

void SectionCompare::WriteResult(DataWriter& out, int64_t& treePos, int64_t& blockStart, bool storeImages) {
  out.Flush();
  treePos = out.Position();
  SaveTree(std::string(), &out, result_, false, true, storeImages);
  block_.Flush();
  out.WriteInteger(static_cast<int32_t>(block_stream_.Size()));
  out.Flush();
  blockStart = out.Position();
  out.WriteRaw(block_stream_.Bytes().data(), block_stream_.Bytes().size());
}

void SectionCompare::SetDataIfZero(TreeNode* node) {
  if (node->Data() == 0) node->SetData(NextGroupOffset());
}

void SectionCompare::AppendPending() {
  pending_.Flush();
  block_.WriteRaw(pending_stream_.Bytes().data(), pending_stream_.Bytes().size());
  pending_stream_.Clear();
  pending_.SetPosition(0);
}

void SectionCompare::FinishMembers() {
  if (records_ > 0) {
    block_.WriteInteger(records_);
    AppendPending();
  }
  records_ = 0;
}

TreeNode* SectionCompare::PathNode() { return FindOrCreatePath(path_, result_, 0, stNeutral, 1); }

TreeNode* SectionCompare::AddedOrRemovedChild(const std::string& name, int32_t state, int32_t image,
                                              int32_t selected) {
  TreeNode* parent = PathNode();
  TreeNode* node = parent->FindChild(name);
  if (node == nullptr) node = parent->AddChild(name);
  node->SetImageIndex(image);
  node->SetSelectedIndex(selected);
  node->SetStateIndex(state);
  node->SetData(NextGroupOffset());
  return node;
}

int32_t NestedCompare::StateOf(const std::string& name, bool filter) {
  return filter ? GetSelectionState(path_, name, selection_) : stChecked;
}

void NestedCompare::CompareNested(bool filter) {
  struct Level {
    NameMerge merge;
    bool filter;
  };
  std::vector<Level> levels;
  auto open = [&](bool levelFilter) {
    ++depth_;
    LevelStarted();
    levels.push_back({OpenMerge(), levelFilter});
  };
  open(filter);
  while (!levels.empty()) {
    NameMerge& merge = levels.back().merge;
    if (merge.Current() == NameMerge::kDone) {
      // The children are done: the pending copies go to the block, then the members.
      AppendPending();
      LevelFinished();
      --depth_;
      levels.pop_back();
      if (levels.empty()) break;
      path_.pop_back();
      levels.back().merge.Advance();
      continue;
    }
    if (depth_ == 1) BeforeStep(merge);
    const std::string& name = merge.Name();
    const int32_t state = StateOf(name, levels.back().filter);
    switch (merge.Current()) {
      case NameMerge::kBoth:
        if (state == stUnchecked) {
          SkipChild(o_);
          SkipChild(n_);
          merge.Advance();
        } else {
          path_.push_back(name);
          open(state == stPartial);  // the parent's merge goes on when this level is done
        }
        break;
      case NameMerge::kNewOnly:
        ChildOnOneSide(name, state, true);
        merge.Advance();
        break;
      case NameMerge::kOldOnly:
        ChildOnOneSide(name, state, false);
        merge.Advance();
        break;
      case NameMerge::kDone: break;
    }
  }
}
