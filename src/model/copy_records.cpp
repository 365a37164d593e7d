#include "model/copy_records.h"

#include <string>
#include <vector>

#include "model/system_file_kind.h"

namespace {

void CopyString(DataReader& r, DataWriter* w) {
  std::string s = r.ReadString();
  if (w) w->WriteString(s);
}

int32_t CopyCount(DataReader& r, DataWriter* w, size_t minElement) {
  const int32_t n = r.ReadCount(minElement);
  if (w) w->WriteInteger(n);
  return n;
}

// A record with nested children of its own kind followed by named members: keys
// with values, folders with files. Iterative: a damaged file could describe nesting
// deep enough to exhaust the stack of a recursive copy.
template <typename CopyMember>
bool CopyNested(DataReader& r, DataWriter* w, size_t minMember, CopyMember copyMember) {
  struct Frame {
    int32_t childrenLeft;
  };
  std::vector<Frame> stack;
  const int32_t topChildren = CopyCount(r, w, kMinNamedNested);
  stack.push_back({topChildren});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.childrenLeft > 0) {
      --f.childrenLeft;
      CopyString(r, w);                                  // child name
      stack.push_back({CopyCount(r, w, kMinNamedNested)});  // child's own children
      continue;
    }
    const int32_t members = CopyCount(r, w, kMinItemSize + minMember);
    for (int32_t i = 0; i < members; ++i) {
      CopyString(r, w);
      copyMember(r, w);
    }
    stack.pop_back();
  }
  return topChildren > 0;
}

}  // namespace

bool CopyKey(DataReader& r, DataWriter* w, int32_t status) {
  return CopyNested(r, w, kMinValueRecord, [status](DataReader& rr, DataWriter* ww) { CopyValue(rr, ww, status); });
}

bool CopyDirTree(DataReader& r, DataWriter* w, int32_t status, bool withVersion) {
  return CopyNested(r, w, MinFileRecord(withVersion), [status, withVersion](DataReader& rr, DataWriter* ww) {
    CopyFileRecord(rr, ww, status, withVersion);
  });
}

bool CopySysTree(DataReader& r, DataWriter* w, int32_t status, bool atSectionLevel, int kind) {
  const size_t minEntry = kMinItemSize + (IsKnownKind(kind) ? kMinEntryRecord : 0);
  if (!atSectionLevel) {
    const int32_t count = CopyCount(r, w, minEntry);
    for (int32_t i = 0; i < count; ++i) {
      CopyString(r, w);
      CopySysEntry(r, w, status, kind);
    }
    return false;
  }
  const int32_t sections = CopyCount(r, w, kMinItemSize + kMinItemSize);
  for (int32_t s = 0; s < sections; ++s) {
    CopyString(r, w);
    CopySysTree(r, w, status, false, kind);
  }
  return sections > 0;
}
