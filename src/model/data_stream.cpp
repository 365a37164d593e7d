#include "model/data_stream.h"

#include <algorithm>
#include <cstring>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/text.h"

// ---------------------------------------------------------------- DataWriter

DataWriter::DataWriter(platform::Stream& stream, size_t bufferSize)
    : stream_(stream), buffer_(std::max<size_t>(bufferSize, 16)), base_(stream.Position()) {}

DataWriter::~DataWriter() {
  try {
    Flush();
  } catch (...) {
    // A destructor must not throw; callers that care flush before.
  }
}

void DataWriter::Put(const void* bytes, size_t count) {
  const auto* in = static_cast<const uint8_t*>(bytes);
  if (count >= buffer_.size()) {  // large runs go straight through
    Flush();
    stream_.Write(in, count);
    base_ += static_cast<int64_t>(count);
    return;
  }
  if (used_ + count > buffer_.size()) Flush();
  std::memcpy(buffer_.data() + used_, in, count);
  used_ += count;
}

void DataWriter::WriteString(std::string_view text) {
  if (text.size() <= 255) {
    const uint8_t head[2] = {tagShortString, static_cast<uint8_t>(text.size())};
    Put(head, 2);
  } else {
    const uint32_t n = static_cast<uint32_t>(text.size());
    const uint8_t head[5] = {tagLongString, static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                             static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)};
    Put(head, 5);
  }
  Put(text.data(), text.size());
}

void DataWriter::WriteInteger(int32_t value) {
  const auto u = static_cast<uint32_t>(value);
  if (value >= -128 && value <= 127) {
    const uint8_t item[2] = {tagInt8, static_cast<uint8_t>(u)};
    Put(item, 2);
  } else if (value >= -32768 && value <= 32767) {
    const uint8_t item[3] = {tagInt16, static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8)};
    Put(item, 3);
  } else {
    const uint8_t item[5] = {tagInt32, static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                             static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
    Put(item, 5);
  }
}

void DataWriter::WriteBoolean(bool value) { PutByte(value ? tagTrue : tagFalse); }
void DataWriter::WriteListBegin() { PutByte(tagListBegin); }
void DataWriter::WriteListEnd() { PutByte(tagListEnd); }
void DataWriter::WriteRaw(const void* bytes, size_t count) { Put(bytes, count); }

void DataWriter::SetPosition(int64_t offset) {
  if (offset >= base_ && offset <= Position()) {
    used_ = static_cast<size_t>(offset - base_);
    return;
  }
  Flush();
  stream_.Seek(offset);
  base_ = offset;
}

void DataWriter::Flush() {
  if (used_ == 0) return;
  stream_.Seek(base_);  // others may have moved the stream (a reader over the same file)
  stream_.Write(buffer_.data(), used_);
  base_ += static_cast<int64_t>(used_);
  used_ = 0;
}

// ---------------------------------------------------------------- DataReader

DataReader::DataReader(platform::Stream& stream, size_t bufferSize)
    : stream_(stream), buffer_(std::max<size_t>(bufferSize, 16)), base_(stream.Position()) {}

void DataReader::Fail(const std::string& detail) const {
  const std::string name = SourceName();
  const std::string pos = std::to_string(error_at_ >= 0 ? error_at_ : Position());
  if (name.empty())
    throw EReadError(FormatMsg(tr("Lesefehler im Datenstrom an Position %d:\r%s"), {pos, detail}));
  throw EReadError(
      FormatMsg(tr("Lesefehler in der Datei \"%s\" an Position %d:\r%s"), {name, pos, detail}));
}

void DataReader::WrongTag(uint8_t tag, const char* expected, int64_t at) const {
  const_cast<DataReader*>(this)->error_at_ = at;
  Fail(FormatMsg(tr("Unerwartete Kennung %d, erwartet: %s"), {std::to_string(tag), tr(expected)}));
}

int64_t DataReader::Remaining() const {
  return std::max<int64_t>(0, stream_.Size() - Position());
}

bool DataReader::Fill() {
  // Keep nothing: the buffer is only refilled when all of it has been consumed.
  base_ += static_cast<int64_t>(end_);
  pos_ = end_ = 0;
  stream_.Seek(base_);
  end_ = stream_.Read(buffer_.data(), buffer_.size());
  return end_ > 0;
}

bool DataReader::Fits(int64_t count) {
  if (count <= known_size_ - Position()) return true;
  known_size_ = stream_.Size();
  return count <= known_size_ - Position();
}

void DataReader::Require(size_t count) {
  if (end_ - pos_ >= count) return;
  if (!Fits(static_cast<int64_t>(count))) {
    error_at_ = Position();
    Fail(FormatMsg(tr("%d Bytes verlangt, aber nur %d bis zum Ende vorhanden"),
                   {std::to_string(count), std::to_string(Remaining())}));
  }
}

uint8_t DataReader::NextByte() {
  if (pos_ == end_ && !Fill()) {
    error_at_ = Position();
    Fail(tr("Unerwartetes Dateiende"));
  }
  return buffer_[pos_++];
}

void DataReader::Take(void* out, size_t count) {
  auto* dst = static_cast<uint8_t*>(out);
  while (count > 0) {
    if (pos_ == end_) {
      if (count >= buffer_.size()) {  // large runs straight from the stream
        base_ += static_cast<int64_t>(end_);
        pos_ = end_ = 0;
        stream_.Seek(base_);
        const size_t got = stream_.Read(dst, count);
        base_ += static_cast<int64_t>(got);
        if (got < count) {
          error_at_ = Position();
          Fail(tr("Unerwartetes Dateiende"));
        }
        return;
      }
      if (!Fill()) {
        error_at_ = Position();
        Fail(tr("Unerwartetes Dateiende"));
      }
    }
    const size_t n = std::min(count, end_ - pos_);
    std::memcpy(dst, buffer_.data() + pos_, n);
    pos_ += n;
    dst += n;
    count -= n;
  }
}

std::string DataReader::ReadString() {
  const int64_t at = Position();
  error_at_ = -1;
  const uint8_t tag = NextByte();
  size_t length;
  if (tag == tagShortString) {
    length = NextByte();
  } else if (tag == tagLongString) {
    uint8_t b[4];
    Require(4);
    Take(b, 4);
    const int32_t n = static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24));
    if (n < 0) {
      error_at_ = at;
      Fail(FormatMsg(tr("Ungültige Länge %d einer Zeichenkette"), {std::to_string(n)}));
    }
    length = static_cast<size_t>(n);
  } else {
    WrongTag(tag, "Zeichenkette", at);
  }
  Require(length);  // checked before anything is allocated for it
  std::string text(length, '\0');
  Take(text.data(), length);
  if (!platform::IsValidUtf8(text)) return platform::Cp1252ToUtf8(text);
  return text;
}

int32_t DataReader::ReadInteger() {
  const int64_t at = Position();
  error_at_ = -1;
  const uint8_t tag = NextByte();
  uint8_t b[4] = {0, 0, 0, 0};
  switch (tag) {
    case tagInt8:
      Take(b, 1);
      return static_cast<int8_t>(b[0]);
    case tagInt16:
      Require(2);
      Take(b, 2);
      return static_cast<int16_t>(b[0] | (b[1] << 8));
    case tagInt32:
      Require(4);
      Take(b, 4);
      return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24));
    default:
      WrongTag(tag, "Zahl", at);
  }
}

bool DataReader::ReadBoolean() {
  error_at_ = -1;
  return NextByte() == tagTrue;
}

void DataReader::ReadListBegin() {
  const int64_t at = Position();
  error_at_ = -1;
  const uint8_t tag = NextByte();
  if (tag != tagListBegin) WrongTag(tag, "Listenanfang", at);
}

bool DataReader::EndOfList() {
  error_at_ = -1;
  if (pos_ == end_ && !Fill()) {
    error_at_ = Position();
    Fail(tr("Unerwartetes Dateiende"));
  }
  return buffer_[pos_] == tagListEnd;
}

void DataReader::ReadListEnd() {
  const int64_t at = Position();
  error_at_ = -1;
  const uint8_t tag = NextByte();
  if (tag != tagListEnd) WrongTag(tag, "Listenende", at);
}

void DataReader::ReadRaw(void* buffer, size_t count) {
  error_at_ = -1;
  Require(count);
  Take(buffer, count);
}

std::vector<uint8_t> DataReader::ReadRawBytes(int32_t count) {
  error_at_ = -1;
  if (count < 0) Fail(FormatMsg(tr("Ungültige Länge %d eines Datenblocks"), {std::to_string(count)}));
  Require(static_cast<size_t>(count));
  std::vector<uint8_t> bytes(static_cast<size_t>(count));
  Take(bytes.data(), bytes.size());
  return bytes;
}

void DataReader::ReadRawInto(std::vector<uint8_t>& buffer, int32_t count) {
  error_at_ = -1;
  if (count < 0) Fail(FormatMsg(tr("Ungültige Länge %d eines Datenblocks"), {std::to_string(count)}));
  Require(static_cast<size_t>(count));
  if (buffer.size() < static_cast<size_t>(count)) buffer.resize(static_cast<size_t>(count));
  Take(buffer.data(), static_cast<size_t>(count));
}

int32_t DataReader::ReadCount(size_t minElementSize) {
  const int64_t at = Position();
  const int32_t n = ReadInteger();
  if (n < 0 || !Fits(static_cast<int64_t>(n) * static_cast<int64_t>(std::max<size_t>(minElementSize, 1)))) {
    error_at_ = at;
    Fail(FormatMsg(tr("Ungültige Anzahl %d"), {std::to_string(n)}));
  }
  return n;
}

void DataReader::SetPosition(int64_t offset) {
  stream_.Seek(offset);
  base_ = offset;
  pos_ = end_ = 0;
}

void DataReader::Flush() {
  const int64_t logical = Position();
  base_ = logical;
  pos_ = end_ = 0;
  stream_.Seek(logical);
}

// ---------------------------------------------------------------- helpers

bool ReadNextStr(DataReader& reader, std::string& text, int32_t count, int32_t& index,
                 const char* messagePrefix) {
  if (count <= index) {
    text.clear();
    return true;
  }
  try {
    text = reader.ReadString();
    ++index;
  } catch (const EReadError&) {
    MessageDlg(tr(messagePrefix) + text + "\rpos:" + std::to_string(reader.Position()) + " Size",
               mtError, mbOK);
  }
  return false;
}

void EmbedBlock(DataWriter& target, DataWriter& blockWriter, const platform::MemoryStream& block,
                bool withLength) {
  blockWriter.Flush();
  const auto& bytes = block.Bytes();
  if (withLength) target.WriteInteger(static_cast<int32_t>(bytes.size()));
  target.WriteRaw(bytes.data(), bytes.size());
}
