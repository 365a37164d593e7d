// The tagged item stream of every data file.
//
// Items: a tag byte, then the payload. Integers are little-endian, signed and
// written in the smallest of 8, 16 or 32 bits; strings are short (1 length byte)
// or long (4 length bytes); lists are marked by start and end tags; booleans are
// bare tags. Reader and writer go through a buffer and keep a logical position
// that counts the buffered bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/stream.h"

// Buffer of every file reader and writer, and of the small readers of the result views.
inline constexpr size_t kDataBufferSize = 102400;
inline constexpr size_t kSmallReaderBufferSize = 1024;

// Smallest item that carries a value: a short string (tag and length byte) or a small
// integer (tag and one byte). Counts read from a file are checked with it.
inline constexpr size_t kMinItemSize = 2;

enum ItemTag : uint8_t {
  tagListEnd = 0,
  tagListBegin = 1,
  tagInt8 = 2,
  tagInt16 = 3,
  tagInt32 = 4,
  tagShortString = 6,
  tagFalse = 8,
  tagTrue = 9,
  tagLongString = 12,
};

class DataWriter {
 public:
  explicit DataWriter(platform::Stream& stream, size_t bufferSize = kDataBufferSize);
  // Flushes what is left; errors at that point are lost, so call Flush() first
  // where they matter.
  ~DataWriter();
  DataWriter(const DataWriter&) = delete;
  DataWriter& operator=(const DataWriter&) = delete;

  void WriteString(std::string_view text);
  void WriteInteger(int32_t value);
  void WriteBoolean(bool value);
  void WriteListBegin();
  void WriteListEnd();
  // Bytes without a tag; the caller writes their count before them.
  void WriteRaw(const void* bytes, size_t count);

  // Logical position: the stream position at the last flush plus the buffered bytes.
  int64_t Position() const { return base_ + static_cast<int64_t>(used_); }
  // Within the bytes buffered since the last flush only the write point moves (the
  // buffered bytes after it are dropped); elsewhere the writer flushes and seeks.
  void SetPosition(int64_t offset);
  void Flush();

  platform::Stream& GetStream() { return stream_; }

 private:
  void Put(const void* bytes, size_t count);
  void PutByte(uint8_t b) { Put(&b, 1); }

  platform::Stream& stream_;
  std::vector<uint8_t> buffer_;
  size_t used_ = 0;
  int64_t base_;  // stream position of buffer_[0]
};

class DataReader {
 public:
  explicit DataReader(platform::Stream& stream, size_t bufferSize = kDataBufferSize);
  DataReader(const DataReader&) = delete;
  DataReader& operator=(const DataReader&) = delete;

  // Each raises EReadError on a wrong tag or past the end of the stream. Strings
  // come back as UTF-8; bytes that are not UTF-8 are read as Windows-1252.
  std::string ReadString();
  int32_t ReadInteger();
  // Consumes one tag byte of whatever kind; true only for the true tag.
  bool ReadBoolean();
  void ReadListBegin();
  bool EndOfList();
  void ReadListEnd();
  void ReadRaw(void* buffer, size_t count);
  // Raw bytes of a length read from the file: checked against what remains first.
  std::vector<uint8_t> ReadRawBytes(int32_t count);
  // The same into a buffer that is reused: it only grows, after the check.
  void ReadRawInto(std::vector<uint8_t>& buffer, int32_t count);

  // An element count read from the file, checked so that count elements of at least
  // minElementSize bytes each still fit into the rest of the stream.
  int32_t ReadCount(size_t minElementSize);

  // Logical position: stream position minus the unread buffered bytes.
  int64_t Position() const { return base_ + static_cast<int64_t>(pos_); }
  void SetPosition(int64_t offset);
  // Gives the unread buffered bytes back to the stream.
  void Flush();
  // Bytes between the logical position and the end of the stream.
  int64_t Remaining() const;

  platform::Stream& GetStream() { return stream_; }
  // Name of the file for messages, empty for memory streams.
  std::string SourceName() const { return stream_.Name(); }

  // Raises EReadError with the source name, the position and the detail.
  [[noreturn]] void Fail(const std::string& detail) const;

 private:
  uint8_t NextByte();
  bool Fill();
  void Take(void* out, size_t count);
  void Require(size_t count);
  // True when count more bytes exist; asks the stream for its size only when the
  // size known from before is not enough (a size query is a system call).
  bool Fits(int64_t count);
  [[noreturn]] void WrongTag(uint8_t tag, const char* expected, int64_t at) const;

  platform::Stream& stream_;
  std::vector<uint8_t> buffer_;
  size_t pos_ = 0;   // next unread byte in buffer_
  size_t end_ = 0;   // bytes valid in buffer_
  int64_t base_;     // stream position of buffer_[0]
  int64_t error_at_ = -1;
  int64_t known_size_ = 0;
};

// Reads the next name of a counted sequence whose count was read before. Below the
// count: reads the name into text, increments index and returns false. At the end:
// empties text and returns true. A name that cannot be read shows a message box
// (messagePrefix, the previous name, the position) and returns false with text and
// index unchanged.
bool ReadNextStr(DataReader& reader, std::string& text, int32_t count, int32_t& index,
                 const char* messagePrefix = "ERROR in ReadNextStr:");

// Copies a block built in memory into a writer: flushes the block's writer, then
// writes the block's bytes raw. With withLength an integer item with the byte
// length stands before them, so that a reader can skip the block.
void EmbedBlock(DataWriter& target, DataWriter& blockWriter, const platform::MemoryStream& block,
                bool withLength);
