#include "platform/files.h"

#include <windows.h>

#include "platform/errors.h"
#include "platform/stream.h"
#include "platform/text.h"

namespace platform {

bool FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(Utf8ToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void MoveReplacing(const std::string& from, const std::string& to) {
  if (MoveFileExW(LongPath(Utf8ToWide(from)).c_str(), LongPath(Utf8ToWide(to)).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return;
  throw EStreamError("Die Datei \"" + from + "\" kann nicht nach \"" + to + "\" verschoben werden: " +
                     ErrorText(GetLastError()));
}

bool RemoveFile(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  return DeleteFileW(wide.c_str()) || GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES;
}

namespace {

// A "." or ".." part, which only the usual path resolution understands.
bool HasDotPart(const std::wstring& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring_view part(path.data() + start, end - start);
    if (part == L"." || part == L"..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

std::wstring LongPath(const std::wstring& path) {
  // The long form is taken literally: only plain absolute paths are given it, never
  // ones with forward slashes or "." and ".." parts that need the usual resolution.
  if (path.find(L'/') != std::wstring::npos || HasDotPart(path)) return path;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  if (path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?')
    return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

int32_t PackedLocalTime(uint64_t fileTime) {
  FILETIME written{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)}, local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return 0;
  return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}

}  // namespace platform
