// Skipping and copying the nested records of the data files: keys with their values,
// folders with their files, INI blocks with their entries. The readers of
// configurations and result blocks pass over what they do not need, or copy it into
// a result block with a new status. The members themselves are the record units'.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/data_stream.h"
#include "model/entry_record.h"
#include "model/file_record.h"
#include "model/value_record.h"

// Smallest stored key or folder record: its two counts. A named child adds its name.
inline constexpr size_t kMinNestedRecord = 2 * kMinItemSize;
inline constexpr size_t kMinNamedNested = kMinItemSize + kMinNestedRecord;

// One key record (subkeys, then values). With a writer it is written again with
// every value status replaced by status. Returns whether the key had subkeys.
bool CopyKey(DataReader& reader, DataWriter* writer, int32_t status);

// One folder record (subfolders, then files). File records are read in the form
// withVersion says and written in today's form (always with the two version items).
// Returns whether the folder had subfolders.
bool CopyDirTree(DataReader& reader, DataWriter* writer, int32_t status, bool withVersion);

// One INI block (atSectionLevel: sections, each with its entry list) or one entry
// list or text block, copied likewise. Returns whether sections were present
// (always false when atSectionLevel is clear).
bool CopySysTree(DataReader& reader, DataWriter* writer, int32_t status, bool atSectionLevel, int kind);
