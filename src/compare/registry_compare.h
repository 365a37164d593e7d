// The registry section of a comparison: root keys, keys and values.
#pragma once

#include "compare/section_compare.h"

class RegistryCompare : public NestedCompare {
 public:
  RegistryCompare(DataReader& oldReader, DataReader& newReader, Tree& selection, Tree& result);
  // Rebuilds the result tree from both registry sections and fills the value block.
  void Run();

 private:
  void RootOnOneSide(const std::string& name, int32_t state, DataReader& side);
  void SkipChild(DataReader& side) override;
  void ChildOnOneSide(const std::string& name, int32_t selectionState, bool isNew) override;
  void BeforeStep(const NameMerge& merge) override;
  void LevelFinished() override;
  TreeNode* ChangedKeyNode();
  void ValueOnOneSide(const std::string& name, DataReader& side, int32_t status);

};
