// The registry section of a configuration: every watched root key with all keys and
// values below it, names sorted at every level.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "model/data_stream.h"
#include "snapshot/registry_pool.h"
#include "snapshot/snapshot_report.h"

// Writes the section (list start, each root key's name and key record, list end).
// rootKeys: the long names of the root keys to store, in the order to store them.
// The walk runs on RegistryWalkThreads() threads.
void WriteRegistrySection(DataWriter& writer, const std::vector<std::string>& rootKeys,
                          bool showRegistryErrors, SnapshotReport& report);

// Name and key record of each root, in order, on threads threads (1: this thread alone,
// the progress of each root as it is walked). Returns how often a thread took over
// subkeys from another.
size_t WriteRegistryRoots(DataWriter& writer, const std::vector<RegistryRoot>& roots, bool showRegistryErrors,
                        SnapshotReport& report, unsigned threads);

// Writes the key record of an open key (subkeys recursively, then values). path is
// the key's path below its root key, for messages and the control-set rule.
void WriteRegistryKey(DataWriter& writer, HKEY key, const std::string& path, bool showRegistryErrors,
                      SnapshotReport& report);

// Threads of the registry walk: the processor count (at most 4) unless set; 0 goes back
// to that. Tests set it to compare the walks.
void SetRegistryWalkThreads(unsigned threads);
unsigned RegistryWalkThreads();
