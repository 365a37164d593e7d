// The record of an INI entry or a text line, as system-file sections and blocks store
// it after the key or line text: status, then the value (INI kinds) or the line's
// index in the file (text kinds). This unit is the only one that knows the layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/data_stream.h"

// Smallest stored entry record: status and value or index.
inline constexpr size_t kMinEntryRecord = 2 * kMinItemSize;

struct EntryData {
  std::string Value;      // INI kinds: the text after the first "="
  int32_t LineIndex = 0;  // text kinds: 0 for the first line of the file
};

// Reads one record of a file of kind (see system_file_kind.h) and returns its status.
// A kind outside 0..3 has no record: nothing is read and the status is 0.
int32_t ReadEntryRecord(DataReader& reader, int kind, EntryData& entry, int64_t* statusPos = nullptr);
void WriteEntryRecord(DataWriter& writer, int32_t status, int kind, const EntryData& entry);
void WriteIniEntry(DataWriter& writer, int32_t status, std::string_view value);
void WriteTextLine(DataWriter& writer, int32_t status, int32_t lineIndex);
// Passes over one record, or copies it with its status replaced by status.
void CopySysEntry(DataReader& reader, DataWriter* writer, int32_t status, int kind);

// Unchanged for the comparison: INI values equal without regard to case; a text line
// is the same wherever it moved.
bool SameEntry(int kind, const EntryData& a, const EntryData& b);
