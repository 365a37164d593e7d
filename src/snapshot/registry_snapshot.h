// The registry section of a configuration: every watched root key with all keys and
// values below it, names sorted at every level.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "model/data_stream.h"
#include "snapshot/snapshot_report.h"

// Writes the section (list start, each root key's name and key record, list end).
// rootKeys: the long names of the root keys to store, in the order to store them.
void WriteRegistrySection(DataWriter& writer, const std::vector<std::string>& rootKeys,
                          bool showRegistryErrors, SnapshotReport& report);

// Writes the key record of an open key (subkeys recursively, then values). path is
// the key's path below its root key, for messages and the control-set rule.
void WriteRegistryKey(DataWriter& writer, HKEY key, const std::string& path, bool showRegistryErrors,
                      SnapshotReport& report);
