#include "model/file_record.h"

#include "model/record_status.h"

int32_t ReadFileRecord(DataReader& r, bool withVersion, FileData& f, int64_t* statusPos) {
  const int32_t status = ReadStatus(r, statusPos);
  f.Time = r.ReadInteger();
  f.Size = r.ReadInteger();
  f.Attributes = r.ReadInteger();
  f.VersionHigh = withVersion ? r.ReadInteger() : 0;
  f.VersionLow = withVersion ? r.ReadInteger() : 0;
  return status;
}

void WriteFileRecord(DataWriter& w, int32_t status, const FileData& f) {
  w.WriteInteger(status);
  w.WriteInteger(f.Time);
  w.WriteInteger(f.Size);
  w.WriteInteger(f.Attributes);
  w.WriteInteger(f.VersionHigh);
  w.WriteInteger(f.VersionLow);
}

void CopyFileRecord(DataReader& r, DataWriter* w, int32_t status, bool withVersion) {
  if (w == nullptr) {  // passed over: the status and four or six numbers
    for (int i = withVersion ? 6 : 4; i > 0; --i) r.ReadInteger();
    return;
  }
  FileData f;
  ReadFileRecord(r, withVersion, f);
  if (w != nullptr) WriteFileRecord(*w, status, f);
}
