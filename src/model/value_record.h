// The registry value record, as configurations and result blocks store it after the
// value's name: status, type code, then the data in the form the code gives. This
// unit is the only one that knows the layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/data_stream.h"

// Type codes: the registry's own type numbers with 3 and 4 exchanged.
inline constexpr int32_t kCodeString = 1;
inline constexpr int32_t kCodeExpandString = 2;
inline constexpr int32_t kCodeNumber = 3;
inline constexpr int32_t kCodeBinary = 4;
inline bool IsTextCode(int32_t code) { return code == kCodeString || code == kCodeExpandString; }

// Smallest stored value record: status, type code and data (each at least one item).
inline constexpr size_t kMinValueRecord = 3 * kMinItemSize;

// A value's content: the text for codes 1 and 2, the number for 3, the bytes for
// every other code.
struct ValueData {
  int32_t TypeCode = kCodeString;
  std::string Text;
  int32_t Number = 0;
  std::vector<uint8_t> Bytes;
};

// Reads one record into value and returns its status; statusPos as in ReadStatus.
int32_t ReadValueRecord(DataReader& reader, ValueData& value, int64_t* statusPos = nullptr);
void WriteValueRecord(DataWriter& writer, int32_t status, const ValueData& value);
// The same layout from the registry's own buffers (the snapshot).
void WriteTextValue(DataWriter& writer, int32_t status, int32_t code, std::string_view text);
void WriteNumberValue(DataWriter& writer, int32_t status, int32_t number);
void WriteBytesValue(DataWriter& writer, int32_t status, int32_t code, const uint8_t* bytes, size_t count);

// Passes over one record, or copies it with its status replaced by status.
void CopyValue(DataReader& reader, DataWriter* writer, int32_t status);

// Unchanged for the comparison: two numbers that are equal; two texts of codes 1 or
// 2 (in any combination) that are equal; or the same other code with equal bytes.
bool SameValue(const ValueData& a, const ValueData& b);

// A stored value as the lists show it: a text in double quotes (emptyText when it is
// empty), a number as "$0000001F   (31)", anything else as "Binary(code), n bytes: "
// and at most its first 201 bytes in hexadecimal.
std::string ValueDisplayText(const ValueData& value, const std::string& emptyText);
// Its type image: string, integer or binary (model/tree_images.h).
int32_t ValueImage(const ValueData& value);
