// A fresh folder below the system's temporary folder, removed with its content when
// the test ends.
#pragma once

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, with a trailing backslash.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Deletes everything inside folder (with trailing backslash), read-only files too.
void RemoveFolderContent(const std::string& folder);

// Whole content of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& fileName);
void WriteFileBytes(const std::string& fileName, const std::string& bytes);

// A file of size bytes, sparse where the file system allows it (no disk space for the
// bytes); false when the file system cannot hold a file of that size.
bool WriteSparseFile(const std::string& fileName, long long size);
