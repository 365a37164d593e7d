// The duplicate-file finder: every file of the drives and folders ticked in a selection
// tree, and the groups of files of the same name (any letter case) that are copies of
// each other: by size and last write, or by size and content. The content is compared
// byte for byte, each candidate read once: the files of one name and size are read
// side by side, block by block, and part company at their first different byte.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/tree_model.h"
#include "tools/found_file.h"

enum class DuplicateCriterion { NameSizeDate, NameSizeContent };

struct DuplicateGroup {
  std::string Name;              // of the first file
  uint64_t Size = 0;
  std::vector<FoundFile> Files;  // in the order they were found; the first is the original
};

struct DuplicateProgress {
  std::string Status;   // what is being done
  int32_t Files = 0, Folders = 0, Duplicates = 0;
};

struct DuplicateResult {
  std::vector<DuplicateGroup> Groups;
  int32_t Files = 0, Folders = 0;
  int32_t Duplicates = 0;  // copies beside the first file of each group
};

// Collects and compares; a cancel (UI().RequestCancel) raises EMyAbort and ends it.
DuplicateResult FindDuplicates(Tree& driveTree, DuplicateCriterion criterion,
                               const std::function<void(const DuplicateProgress&)>& progress = {});

// The part that compares, on files collected elsewhere (also the benchmark's).
void GroupDuplicates(std::vector<FoundFile>& files, DuplicateCriterion criterion, DuplicateResult& result,
                     const std::function<void(const DuplicateProgress&)>& progress = {});

// How many threads compare the candidates' bytes: one per core, at most four.
unsigned CompareThreads();

// Whether two files hold the same bytes (read once more, just before a deletion).
bool SameContent(const std::string& a, const std::string& b);
