// A file as a byte stream. Opened for reading it lets others read and write the
// file meanwhile; opened for writing it is created or truncated; opened for update
// it must exist and is read and written in place.
#pragma once

#include <string>

#include "platform/stream.h"

namespace platform {

class FileStream : public Stream {
 public:
  enum class Mode { Read, Create, Update };

  // Throws EStreamError with a German message naming the file when it cannot be opened.
  FileStream(const std::string& fileName, Mode mode);
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  int64_t Position() const override;
  void Seek(int64_t position) override;
  int64_t Size() const override;
  std::string Name() const override { return name_; }

 private:
  void* handle_;
  std::string name_;
};

}  // namespace platform
