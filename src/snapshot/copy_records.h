// Skipping and copying stored records of a registry or drive section: the readers of
// configurations, result blocks and the removal engine pass over what they do not
// need, or copy it into a result block with a new status.
#pragma once

#include <cstdint>

#include "snapshot/data_stream.h"

// One key record (subkeys, then values). With a writer it is written again with
// every value status replaced by status. Returns whether the key had subkeys.
bool CopyKey(DataReader& reader, DataWriter* writer, int32_t status);
// One value record after its name: status, type code, data.
void CopyValue(DataReader& reader, DataWriter* writer, int32_t status);

// One folder record (subfolders, then files). File records are read in the form
// withVersion says and written in today's form (always with the two version items).
// Returns whether the folder had subfolders.
bool CopyDirTree(DataReader& reader, DataWriter* writer, int32_t status, bool withVersion);
// One file record after its name: status, time, size, attributes and the versions
// (0, 0 for old records without them).
void CopyFileRecord(DataReader& reader, DataWriter* writer, int32_t status, bool withVersion);
