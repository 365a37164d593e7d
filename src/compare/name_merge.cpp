#include "compare/name_merge.h"

#include "platform/names.h"

namespace {

// Smallest element of a counted name sequence: the name and one more item.
constexpr size_t kMinElement = 2 * kMinItemSize;

// Names are the same entry when the ordering calls them equal; identical bytes need
// no locale call (the common case: most names stand on both sides).
int CompareEntryNames(const std::string& a, const std::string& b) {
  if (a == b) return 0;
  return platform::CompareNames(a, b);
}

}  // namespace

NameMerge::NameMerge(DataReader& oldReader, DataReader& newReader, const char* errorPrefix)
    : old_(&oldReader), new_(&newReader), error_prefix_(errorPrefix) {
  old_count_ = old_->ReadCount(kMinElement);
  new_count_ = new_->ReadCount(kMinElement);
  ReadOld();
  ReadNew();
  Decide();
}

void NameMerge::ReadOld() { old_end_ = ReadNextStr(*old_, old_name_, old_count_, old_index_, error_prefix_); }
void NameMerge::ReadNew() { new_end_ = ReadNextStr(*new_, new_name_, new_count_, new_index_, error_prefix_); }

void NameMerge::Decide() {
  if (old_end_ && new_end_) step_ = kDone;
  else if (old_end_) step_ = kNewOnly;
  else if (new_end_) step_ = kOldOnly;
  else {
    const int c = CompareEntryNames(old_name_, new_name_);
    step_ = c == 0 ? kBoth : c > 0 ? kNewOnly : kOldOnly;
  }
}

void NameMerge::Advance() {
  switch (step_) {
    case kBoth:
      ReadOld();
      ReadNew();
      break;
    case kNewOnly: ReadNew(); break;
    case kOldOnly: ReadOld(); break;
    case kDone: return;
  }
  Decide();
}
