// The temporary-file finder: search definitions (a folder, a mask, with or without its
// subfolders) kept in the settings section "fTempfiles", the search that lists what
// matches, and the deletion of chosen files through DeleteFileWithBackup (below the
// backup folder's "TEMPFILES\").
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/found_file.h"

struct TempDefinition {
  std::string Description, Folder, Mask;
  bool Recursive = false;
  int32_t Found = -1;             // files of the last search; -1 before one
  std::vector<FoundFile> Files;   // what the last search found
};

// The stored definitions (one without a folder or a mask is dropped); without any,
// the two defaults: the temporary folder ("*.*") and its drive ("*.tmp", with
// subfolders).
std::vector<TempDefinition> LoadTempDefinitions();
void SaveTempDefinitions(const std::vector<TempDefinition>& rows);

struct TempSearchProgress {
  size_t Row = 0;
  std::string Folder;  // being searched
  int32_t Files = 0, Folders = 0;  // so far, all definitions
};

// Searches every definition in turn (each one's errors and its cancel are shown and
// end only that definition). progress hears of each folder and of every tenth file.
// Raises nothing when there is no definition: the message says so.
void SearchTempFiles(std::vector<TempDefinition>& rows,
                     const std::function<void(const TempSearchProgress&)>& progress = {});
