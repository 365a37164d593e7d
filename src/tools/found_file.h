// A file a cleaning tool found: its full path, last write (local, packed the DOS way),
// size (any width: 4 GiB and more stay what they are) and attribute bits.
#pragma once

#include <cstdint>
#include <string>

struct FoundFile {
  std::string Path;
  int32_t Time = 0;
  uint64_t Size = 0;
  int32_t Attributes = 0;
};
