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

size_t ChunkedMemoryStream::Read(void* buffer, size_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count && pos_ < size_) {
    const size_t offset = pos_ % kChunkSize;
    const size_t n = std::min({count - done, kChunkSize - offset, size_ - pos_});
    std::memcpy(out + done, chunks_[pos_ / kChunkSize].get() + offset, n);
    done += n;
    pos_ += n;
  }
  return done;
}

void ChunkedMemoryStream::Write(const void* buffer, size_t count) {
  const auto* in = static_cast<const uint8_t*>(buffer);
  while (count > 0) {
    const size_t index = pos_ / kChunkSize;
    while (chunks_.size() <= index) {
      chunks_.push_back(std::make_unique<uint8_t[]>(kChunkSize));  // zero-filled: gaps read as 0
    }
    const size_t offset = pos_ % kChunkSize;
    const size_t n = std::min(count, kChunkSize - offset);
    std::memcpy(chunks_[index].get() + offset, in, n);
    in += n;
    count -= n;
    pos_ += n;
    size_ = std::max(size_, pos_);
  }
}

void ChunkedMemoryStream::Seek(int64_t position) {
  if (position < 0) throw EStreamError("Ungültige Position im Speicherstrom");
  pos_ = static_cast<size_t>(position);
}

}  // namespace platform
