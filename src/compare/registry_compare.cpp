#include "compare/registry_compare.h"

#include "core/interaction.h"
#include "model/copy_records.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/names.h"

namespace {

// The next root key name in capitals, or a single blank at the list end.
std::string NextRoot(DataReader& r, bool& end) {
  end = r.EndOfList();
  return end ? std::string(" ") : platform::UpperCase(r.ReadString());
}

}  // namespace

RegistryCompare::RegistryCompare(DataReader& o, DataReader& n, Tree& selection, Tree& result)
    : NestedCompare(o, n, selection, result, kValuesHeader, "ERROR in ReadNextStr:") {}

void RegistryCompare::Run() {
  result_.Clear();
  TreeNode* top = result_.AddTop(kRegistryTop);
  top->SetImageIndex(2);
  top->SetSelectedIndex(2);
  path_ = {kRegistryTop};
  o_.ReadListBegin();
  n_.ReadListBegin();
  bool oldEnd, newEnd;
  std::string oldName = NextRoot(o_, oldEnd), newName = NextRoot(n_, newEnd);
  while (!oldEnd || !newEnd) {
    if (!oldEnd && !newEnd && oldName == newName) {
      CompareStatus(" Vergleiche Registry :" + oldName);
      UI().SetStatusPosition(StatusControl::ProgressBar1, 0);
      CompareKeepAlive();
      path_.push_back(newName);
      PathNode();
      depth_ = 0;
      CompareNested(true);
      path_.pop_back();
      oldName = NextRoot(o_, oldEnd);
      newName = NextRoot(n_, newEnd);
    } else if ((!oldEnd && !newEnd && newName < oldName) || (oldEnd && !newEnd)) {
      RootOnOneSide(newName, stAdded, n_);
      newName = NextRoot(n_, newEnd);
    } else {
      RootOnOneSide(oldName, stRemoved, o_);
      oldName = NextRoot(o_, oldEnd);
    }
  }
  o_.ReadListEnd();
  n_.ReadListEnd();
  CompareStatus(" Status");
  CompareProgress(0, 0);
}

// A root key stored on one side only: its node shows it; no records are written.
void RegistryCompare::RootOnOneSide(const std::string& name, int32_t state, DataReader& side) {
  path_.push_back(name);
  FindOrCreatePath(path_, result_, 0, state, 1);
  path_.pop_back();
  CopyKey(side, nullptr, 0);
}

void RegistryCompare::SkipChild(DataReader& side) { CopyKey(side, nullptr, 0); }

void RegistryCompare::BeforeStep(const NameMerge& merge) {
  CompareProgress(merge.NewCount(), merge.OldIndex());
}

void RegistryCompare::ChildOnOneSide(const std::string& name, int32_t selectionState, bool isNew) {
  DataReader& side = isNew ? n_ : o_;
  if (selectionState == stUnchecked) {
    CopyKey(side, nullptr, 0);
    return;
  }
  TreeNode* node = AddedOrRemovedChild(name, isNew ? stAdded : stRemoved, 0, 1);
  node->SetHasChildren(CopyKey(side, &pending_, isNew ? rsNew : rsDeleted));
}

TreeNode* RegistryCompare::ChangedKeyNode() {
  TreeNode* node = PathNode();
  node->SetSelectedIndex(1);
  node->SetStateIndex(stMembersChanged);
  SetDataIfZero(node);
  return node;
}

// The values of the key just compared; values are compared whatever the selection
// state of their key, once the key itself is compared.
void RegistryCompare::LevelFinished() {
  records_ = 0;
  ValueData oldValue, newValue;
  MergeNames(
      [&](const std::string& name) {
        ReadValueRecord(o_, oldValue);
        ReadValueRecord(n_, newValue);
        if (SameValue(oldValue, newValue)) return;
        ChangedKeyNode();
        pending_.WriteString(name);
        WriteValueRecord(pending_, rsOldOfAltered, oldValue);
        pending_.WriteString(name);
        WriteValueRecord(pending_, rsNewOfAltered, newValue);
        records_ += 2;
      },
      [&](const std::string& name) { ValueOnOneSide(name, n_, rsNew); },
      [&](const std::string& name) { ValueOnOneSide(name, o_, rsDeleted); });
  FinishMembers();
}

void RegistryCompare::ValueOnOneSide(const std::string& name, DataReader& side, int32_t status) {
  ChangedKeyNode();
  pending_.WriteString(name);
  CopyValue(side, &pending_, status);
  records_ += 1;
}
