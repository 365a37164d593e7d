// The system-file section of a comparison: watched files, INI sections and entries,
// text lines.
#pragma once

#include <string>

#include "compare/section_compare.h"
#include "result/result_file.h"

class SystemCompare : public SectionCompare {
 public:
  SystemCompare(DataReader& oldReader, DataReader& newReader, Tree& selection, Tree& result,
                const KindImages& images);
  // Rebuilds the result tree from both system-file sections and fills their block;
  // the file names are for the messages about wrong headers.
  void Run(const std::string& oldFile, const std::string& newFile);

 private:
  void CompareFile(const std::string& name, int64_t oldPos, int64_t newPos);
  void FileOnOneSide(const std::string& name, int32_t state);
  int32_t KindImage(int kind) const;
  void CompareSections(int kind);
  void SectionOnOneSide(const std::string& name, int kind, DataReader& side, int32_t state, int32_t status);
  TreeNode* ChangedNode(int kind);
  void CompareIniEntries(int kind);
  void CompareLines(int kind);
  void EntryOnOneSide(const std::string& name, int kind, DataReader& side, int32_t status);
  void WriteEntry(const std::string& name, int kind, int32_t status, const EntryData& entry);

  Tree& selection_;
  KindImages images_;
};
