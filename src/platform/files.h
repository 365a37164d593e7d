// Whole-file operations on paths: existence, replacing one file by another, and the
// long-path form that reaches beyond MAX_PATH.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// True for an existing file (not a folder).
bool FileExists(const std::string& path);

// Moves from onto to in one step, replacing to when it exists; to stays as it was
// when the move fails. Raises EStreamError naming both files.
void MoveReplacing(const std::string& from, const std::string& to);

// A file time (100 ns since 1601, UTC) as the local date and time packed the DOS way
// (date in the upper 16 bits); 0 when it cannot be converted.
int32_t PackedLocalTime(uint64_t fileTime);

// Deletes a file when it exists; false when it is still there afterwards.
bool RemoveFile(const std::string& path);

// The "\\?\" form of an absolute path ("\\?\UNC\server\share\..." for a share), so
// that the wide file functions reach paths beyond MAX_PATH and names that end in a
// dot or a blank. Other paths come back unchanged.
std::wstring LongPath(const std::wstring& path);

}  // namespace platform
