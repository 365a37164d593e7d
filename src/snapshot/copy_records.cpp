#include "snapshot/copy_records.h"

#include <string>
#include <vector>

namespace {

// Smallest stored name plus smallest count: what one more element needs at least.
constexpr size_t kMinNamedRecord = 4;

// Iterative walks: a damaged file could describe nesting deep enough to exhaust the
// stack of a recursive copy.
struct Frame {
  int32_t childrenLeft;
  bool membersDone;
};

void CopyString(DataReader& r, DataWriter* w) {
  std::string s = r.ReadString();
  if (w) w->WriteString(s);
}

void CopyInteger(DataReader& r, DataWriter* w) {
  const int32_t v = r.ReadInteger();
  if (w) w->WriteInteger(v);
}

int32_t CopyCount(DataReader& r, DataWriter* w) {
  const int32_t n = r.ReadCount(kMinNamedRecord);
  if (w) w->WriteInteger(n);
  return n;
}

// A record with nested children of its own kind followed by members: keys with
// values, folders with files. copyMember copies one member after its name.
template <typename CopyMember>
bool CopyNested(DataReader& r, DataWriter* w, CopyMember copyMember) {
  std::vector<Frame> stack;
  const int32_t topChildren = CopyCount(r, w);
  stack.push_back({topChildren, false});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.childrenLeft > 0) {
      --f.childrenLeft;
      CopyString(r, w);                         // child name
      stack.push_back({CopyCount(r, w), false});  // child's own children
      continue;
    }
    const int32_t members = CopyCount(r, w);
    for (int32_t i = 0; i < members; ++i) {
      CopyString(r, w);
      copyMember(r, w);
    }
    stack.pop_back();
  }
  return topChildren > 0;
}

}  // namespace

void CopyValue(DataReader& r, DataWriter* w, int32_t status) {
  thread_local std::vector<uint8_t> buffer(100);
  r.ReadInteger();  // the stored status is replaced
  if (w) w->WriteInteger(status);
  const int32_t code = r.ReadInteger();
  if (w) w->WriteInteger(code);
  if (code == 1 || code == 2) {
    CopyString(r, w);
  } else if (code == 3) {
    CopyInteger(r, w);
  } else {
    const int32_t n = r.ReadInteger();
    r.ReadRawInto(buffer, n);
    if (w) {
      w->WriteInteger(n);
      w->WriteRaw(buffer.data(), static_cast<size_t>(n));
    }
  }
}

bool CopyKey(DataReader& r, DataWriter* w, int32_t status) {
  return CopyNested(r, w, [status](DataReader& rr, DataWriter* ww) { CopyValue(rr, ww, status); });
}

void CopyFileRecord(DataReader& r, DataWriter* w, int32_t status, bool withVersion) {
  r.ReadInteger();  // the stored status is replaced
  if (w) w->WriteInteger(status);
  CopyInteger(r, w);  // time
  CopyInteger(r, w);  // size
  CopyInteger(r, w);  // attributes
  if (withVersion) {
    CopyInteger(r, w);
    CopyInteger(r, w);
  } else if (w) {
    w->WriteInteger(0);
    w->WriteInteger(0);
  }
}

bool CopyDirTree(DataReader& r, DataWriter* w, int32_t status, bool withVersion) {
  return CopyNested(r, w, [status, withVersion](DataReader& rr, DataWriter* ww) {
    CopyFileRecord(rr, ww, status, withVersion);
  });
}
