// Byte streams under the data readers and writers: a growable memory stream here,
// the file stream in file_stream.h. Both raise EStreamError on failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file could not be opened for reading or updating.
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// A file could not be created.
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

class Stream {
 public:
  virtual ~Stream() = default;
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes all count bytes or throws.
  virtual void Write(const void* buffer, size_t count) = 0;
  virtual int64_t Position() const = 0;
  virtual void Seek(int64_t position) = 0;
  virtual int64_t Size() const = 0;
  // A name for messages: the file name, or empty for memory.
  virtual std::string Name() const { return {}; }
};

class MemoryStream : public Stream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  int64_t Position() const override { return static_cast<int64_t>(pos_); }
  void Seek(int64_t position) override;
  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  void Clear() { bytes_.clear(); pos_ = 0; }

 private:
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
};

// A memory stream in fixed-size chunks: growing never copies what was written, so a
// large output costs its own size and at most one partly used chunk.
class ChunkedMemoryStream : public Stream {
 public:
  static constexpr size_t kChunkSize = 1 << 20;

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  int64_t Position() const override { return static_cast<int64_t>(pos_); }
  void Seek(int64_t position) override;
  int64_t Size() const override { return static_cast<int64_t>(size_); }

  // Calls fn(bytes, count) for the content in order.
  template <typename F>
  void ForEachChunk(F fn) const {
    size_t left = size_;
    for (const auto& chunk : chunks_) {
      if (left == 0) break;
      const size_t n = left < kChunkSize ? left : kChunkSize;
      fn(chunk.get(), n);
      left -= n;
    }
  }

 private:
  std::vector<std::unique_ptr<uint8_t[]>> chunks_;
  size_t size_ = 0;
  size_t pos_ = 0;
};

}  // namespace platform
