// The system-file section of a configuration: INI files section by section and entry
// by entry, text files line by line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/data_stream.h"
#include "model/system_file_kind.h"
#include "snapshot/snapshot_report.h"

// One child of the system-file tree's top node.
struct SystemFileEntry {
  std::string Text;
  int32_t StateIndex = 0;
};

// Writes the whole system-file section (header, list of watched files with their
// INI or text blocks). Files that cannot be read are reported through report and
// stored empty; an entry of unknown kind raises (ending the section).
void WriteSystemFilesSection(DataWriter& writer, const std::vector<SystemFileEntry>& files,
                             const std::string& pathToSystemFiles, SnapshotReport& report);
