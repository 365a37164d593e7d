// The file record, as drive sections and file blocks store it after the file's name:
// status, packed local date and time, low 32 bits of the size, attribute bits, and
// the two version words. Records of older files end after the attributes. This unit
// is the only one that knows the layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/data_stream.h"

// Smallest stored file record: four items, two more with versions.
inline constexpr size_t MinFileRecord(bool withVersion) { return (withVersion ? 6 : 4) * kMinItemSize; }

struct FileData {
  int32_t Time = 0;  // date in the upper 16 bits, time in the lower (DOS layout)
  int32_t Size = 0;
  int32_t Attributes = 0;
  int32_t VersionHigh = 0;  // major, minor; 0 when not taken or not stored
  int32_t VersionLow = 0;   // release, build
  // Unchanged for the comparison: all five equal (an old record counts as 0.0.0.0).
  bool operator==(const FileData&) const = default;
};

// Reads one record in the form withVersion says and returns its status.
int32_t ReadFileRecord(DataReader& reader, bool withVersion, FileData& file, int64_t* statusPos = nullptr);
// Writes one record in today's form, with the version words.
void WriteFileRecord(DataWriter& writer, int32_t status, const FileData& file);
// Passes over one record, or copies it in today's form with its status replaced.
void CopyFileRecord(DataReader& reader, DataWriter* writer, int32_t status, bool withVersion);
