#include "model/value_record.h"

#include <cstdio>

#include "model/record_status.h"
#include "model/tree_images.h"

int32_t ReadValueRecord(DataReader& r, ValueData& value, int64_t* statusPos) {
  const int32_t status = ReadStatus(r, statusPos);
  value.TypeCode = r.ReadInteger();
  if (IsTextCode(value.TypeCode)) {
    value.Text = r.ReadString();
  } else if (value.TypeCode == kCodeNumber) {
    value.Number = r.ReadInteger();
  } else {
    const int32_t count = r.ReadInteger();
    r.ReadRawInto(value.Bytes, count);  // checked first; the buffer only grows
    value.Bytes.resize(static_cast<size_t>(count));
  }
  return status;
}

void WriteTextValue(DataWriter& w, int32_t status, int32_t code, std::string_view text) {
  w.WriteInteger(status);
  w.WriteInteger(code);
  w.WriteString(text);
}

void WriteNumberValue(DataWriter& w, int32_t status, int32_t number) {
  w.WriteInteger(status);
  w.WriteInteger(kCodeNumber);
  w.WriteInteger(number);
}

void WriteBytesValue(DataWriter& w, int32_t status, int32_t code, const uint8_t* bytes, size_t count) {
  w.WriteInteger(status);
  w.WriteInteger(code);
  w.WriteInteger(static_cast<int32_t>(count));
  w.WriteRaw(bytes, count);
}

void WriteValueRecord(DataWriter& w, int32_t status, const ValueData& v) {
  if (IsTextCode(v.TypeCode)) WriteTextValue(w, status, v.TypeCode, v.Text);
  else if (v.TypeCode == kCodeNumber) WriteNumberValue(w, status, v.Number);
  else WriteBytesValue(w, status, v.TypeCode, v.Bytes.data(), v.Bytes.size());
}

void CopyValue(DataReader& r, DataWriter* w, int32_t status) {
  thread_local ValueData value;  // one growing byte buffer per thread
  if (w == nullptr) {  // passed over, as most records are: nothing kept
    r.ReadInteger();  // status
    const int32_t code = r.ReadInteger();
    if (IsTextCode(code)) r.ReadString();
    else if (code == kCodeNumber) r.ReadInteger();
    else r.ReadRawInto(value.Bytes, r.ReadInteger());
    return;
  }
  ReadValueRecord(r, value);
  WriteValueRecord(*w, status, value);
}

bool SameValue(const ValueData& a, const ValueData& b) {
  if (a.TypeCode == kCodeNumber && b.TypeCode == kCodeNumber) return a.Number == b.Number;
  const bool aText = IsTextCode(a.TypeCode), bText = IsTextCode(b.TypeCode);
  if (aText && bText) return a.Text == b.Text;
  return a.TypeCode == b.TypeCode && !aText && a.TypeCode != kCodeNumber && a.Bytes == b.Bytes;
}

std::string ValueDisplayText(const ValueData& v, const std::string& emptyText) {
  if (IsTextCode(v.TypeCode)) return "\"" + (v.Text.empty() ? emptyText : v.Text) + "\"";
  char text[48];
  if (v.TypeCode == kCodeNumber) {
    std::snprintf(text, sizeof text, "$%08X   (%d)", static_cast<unsigned>(v.Number), v.Number);
    return text;
  }
  std::snprintf(text, sizeof text, "Binary(%d), %zu bytes: ", static_cast<int>(v.TypeCode), v.Bytes.size());
  std::string shown = text;
  static const char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < v.Bytes.size() && i <= 200; ++i) {
    shown += kHex[v.Bytes[i] >> 4];
    shown += kHex[v.Bytes[i] & 15];
    shown += ' ';
  }
  return shown;
}

int32_t ValueImage(const ValueData& v) {
  if (IsTextCode(v.TypeCode)) return imgStringValue;
  return v.TypeCode == kCodeNumber ? imgIntegerValue : imgBinaryValue;
}
