#include "platform/stream.h"

#include <algorithm>
#include <cstring>

namespace platform {

size_t MemoryStream::Read(void* buffer, size_t count) {
  if (pos_ >= bytes_.size()) return 0;
  const size_t n = std::min(count, bytes_.size() - pos_);
  std::memcpy(buffer, bytes_.data() + pos_, n);
  pos_ += n;
  return n;
}

void MemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return;
  if (pos_ + count > bytes_.size()) bytes_.resize(pos_ + count);
  std::memcpy(bytes_.data() + pos_, buffer, count);
  pos_ += count;
}

void MemoryStream::Seek(int64_t position) {
  if (position < 0) throw EStreamError("Ungültige Position im Speicherstrom");
  pos_ = static_cast<size_t>(position);  // beyond the end: a later write fills the gap with zeros
}

}  // namespace platform
