// The drive section of a comparison: drives, folders and files.
#pragma once

#include <string>
#include <vector>

#include "compare/section_compare.h"

class DriveCompare : public NestedCompare {
 public:
  DriveCompare(DataReader& oldReader, DataReader& newReader, Tree& selection, Tree& result,
               const std::vector<std::string>& noCheck);
  // Rebuilds the result tree from both drive sections and fills the file block; the
  // file names are for the messages about wrong headers.
  void Run(const std::string& oldFile, const std::string& newFile);

 private:
  void DriveOnOneSide(const std::string& text, int32_t state, DataReader& side, bool withVersion);
  bool VersionsOf(const DataReader& side) const { return &side == &n_ ? new_versions_ : old_versions_; }
  void SkipChild(DataReader& side) override;
  void ChildOnOneSide(const std::string& name, int32_t selectionState, bool isNew) override;
  void LevelStarted() override;
  void BeforeStep(const NameMerge& merge) override;
  void LevelFinished() override;
  TreeNode* ChangedFolderNode();
  void FileOnOneSide(const std::string& name, DataReader& side, int32_t status);

  const std::vector<std::string>& no_check_;
  bool old_versions_ = true;
  bool new_versions_ = true;
};
