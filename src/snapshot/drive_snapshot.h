// The drive section of a configuration: every watched drive with its complete folder
// and file structure (names, times, sizes, attributes, optionally file versions).
// Also the file-version helpers used elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/data_stream.h"
#include "snapshot/snapshot_report.h"

// One child of the drive tree's top node.
struct DriveEntry {
  std::string Text;  // begins with the drive letter
  int32_t ImageIndex = -1;
  int32_t StateIndex = 0;
};

struct VersionOptions {
  bool StoreVersionInfo = false;
  std::string ExtListUpper;  // VersionExtList in capitals
};

// Writes the drive section (header "DRIVES DATAFILE2", the watched drives).
void WriteDriveSection(DataWriter& writer, const std::vector<DriveEntry>& drives,
                       const VersionOptions& versions, SnapshotReport& report);

// Writes the folder record of folder (ending in "\"), recursively. Folders that are
// reparse points (links, junctions) are recorded but not entered.
void WriteFolderRecord(DataWriter& writer, const std::string& folder, const VersionOptions& versions,
                       SnapshotReport& report);

// Whether a file of this name gets its version stored: its extension (from the last
// dot) in capitals occurs anywhere in the list text.
bool WantsVersion(const std::string& fileName, const VersionOptions& versions);

// The fixed file version of a file's version resource; false and 0, 0 without one.
bool GetFileVersion(const std::string& path, int32_t& high, int32_t& low);
// "major.minor.release.build", or "" without a version.
std::string FileVersionString(const std::string& path);
// Low 32 bits of the size of an existing file; -1 for a folder or a missing path.
int32_t FileSizeOf(const std::string& path);
// Packed local DOS date (upper 16 bits) and time (lower 16 bits) of a file time;
// 0 when it cannot be packed (before 1980).
int32_t PackedLocalTime(uint32_t lowDateTime, uint32_t highDateTime);
