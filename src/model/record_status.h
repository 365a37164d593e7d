// The status item that opens every stored record (value, file, INI entry, text line).
#pragma once

#include <cstdint>

#include "model/data_stream.h"

// Reads a record's status. With position, also where the item stands; the removal
// engine overwrites it there in place with a two-byte item, so a status stored in
// another size is a read error then.
int32_t ReadStatusAt(DataReader& reader, int64_t* position);
inline int32_t ReadStatus(DataReader& reader, int64_t* position = nullptr) {
  return position == nullptr ? reader.ReadInteger() : ReadStatusAt(reader, position);
}
