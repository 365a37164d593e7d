#include "platform/file_stream.h"

#include <windows.h>

#include <algorithm>

#include "platform/errors.h"
#include "platform/text.h"

namespace platform {
namespace {

std::string Describe(const char* what, const std::string& name, DWORD code) {
  return std::string(what) + " \"" + name + "\": " + ErrorText(code);
}

[[noreturn]] void Fail(const char* what, const std::string& name, DWORD code) {
  throw EStreamError(Describe(what, name, code));
}

}  // namespace

FileStream::FileStream(const std::string& fileName, Mode mode) : name_(fileName) {
  DWORD access = GENERIC_READ;
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  DWORD disposition = OPEN_EXISTING;
  if (mode == Mode::Create) {
    access = GENERIC_WRITE;
    share = FILE_SHARE_READ;
    disposition = CREATE_ALWAYS;
  } else if (mode == Mode::Update) {
    access = GENERIC_READ | GENERIC_WRITE;
    share = FILE_SHARE_READ;
  }
  handle_ = CreateFileW(Utf8ToWide(fileName).c_str(), access, share, nullptr, disposition,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (mode == Mode::Create)
      throw EFCreateError(Describe("Die Datei kann nicht angelegt werden:", fileName, code));
    throw EFOpenError(Describe(mode == Mode::Read ? "Die Datei kann nicht geöffnet werden:"
                                                  : "Die Datei kann nicht zum Schreiben geöffnet werden:",
                               fileName, code));
  }
}

FileStream::~FileStream() { CloseHandle(handle_); }

size_t FileStream::Read(void* buffer, size_t count) {
  size_t total = 0;
  auto* out = static_cast<char*>(buffer);
  while (total < count) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(count - total, 1u << 30));
    if (!ReadFile(handle_, out + total, want, &got, nullptr))
      Fail("Fehler beim Lesen der Datei", name_, GetLastError());
    if (got == 0) break;
    total += got;
  }
  return total;
}

void FileStream::Write(const void* buffer, size_t count) {
  size_t total = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (total < count) {
    DWORD done = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(count - total, 1u << 30));
    if (!WriteFile(handle_, in + total, want, &done, nullptr) || done == 0)
      Fail("Fehler beim Schreiben der Datei", name_, GetLastError());
    total += done;
  }
}

int64_t FileStream::Position() const {
  LARGE_INTEGER zero{}, pos{};
  if (!SetFilePointerEx(handle_, zero, &pos, FILE_CURRENT))
    Fail("Fehler beim Positionieren in der Datei", name_, GetLastError());
  return pos.QuadPart;
}

void FileStream::Seek(int64_t position) {
  LARGE_INTEGER to{};
  to.QuadPart = position;
  if (position < 0 || !SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN))
    Fail("Fehler beim Positionieren in der Datei", name_, GetLastError());
}

int64_t FileStream::Size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle_, &size)) Fail("Fehler beim Lesen der Dateigröße", name_, GetLastError());
  return size.QuadPart;
}

}  // namespace platform
