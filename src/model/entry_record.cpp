#include "model/entry_record.h"

#include "model/record_status.h"
#include "model/system_file_kind.h"
#include "platform/names.h"

int32_t ReadEntryRecord(DataReader& r, int kind, EntryData& e, int64_t* statusPos) {
  if (!IsKnownKind(kind)) return 0;
  const int32_t status = ReadStatus(r, statusPos);
  if (IsIniKind(kind)) e.Value = r.ReadString();
  else e.LineIndex = r.ReadInteger();
  return status;
}

void WriteIniEntry(DataWriter& w, int32_t status, std::string_view value) {
  w.WriteInteger(status);
  w.WriteString(value);
}

void WriteTextLine(DataWriter& w, int32_t status, int32_t lineIndex) {
  w.WriteInteger(status);
  w.WriteInteger(lineIndex);
}

void WriteEntryRecord(DataWriter& w, int32_t status, int kind, const EntryData& e) {
  if (!IsKnownKind(kind)) return;
  if (IsIniKind(kind)) WriteIniEntry(w, status, e.Value);
  else WriteTextLine(w, status, e.LineIndex);
}

void CopySysEntry(DataReader& r, DataWriter* w, int32_t status, int kind) {
  EntryData e;
  ReadEntryRecord(r, kind, e);
  if (w != nullptr) WriteEntryRecord(*w, status, kind, e);
}

bool SameEntry(int kind, const EntryData& a, const EntryData& b) {
  return !IsIniKind(kind) || platform::SameTextLocale(a.Value, b.Value);
}
