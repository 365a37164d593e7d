// Data files built item by item for tests: configurations with hand-made sections.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/data_stream.h"

using SectionBody = std::function<void(DataWriter&)>;

// A configuration file: the header, then the registry, drive and system-file sections,
// each with its header (drives: with versions or the older form) and list marks
// around what its body writes.
void WriteConfigurationFile(const std::string& path, const SectionBody& registry, const SectionBody& drives,
                            const SectionBody& systemFiles, bool driveVersions = true);

// An INI file of the system-file list: entry text, then its sections in the order
// given (stored sections are sorted by name) with their entries in file order.
struct IniSection {
  std::string header;
  std::vector<std::pair<std::string, std::string>> entries;
};
void WriteIniFile(DataWriter& w, const std::string& entryText, const std::vector<IniSection>& sections);
