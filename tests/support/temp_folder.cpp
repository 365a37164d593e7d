#include "support/temp_folder.h"

#include <windows.h>
#include <winioctl.h>

#include <atomic>
#include <stdexcept>

#include "platform/text.h"

namespace {

void RemoveContent(const std::wstring& folder);

void RemoveTree(const std::wstring& folder) {
  RemoveContent(folder);
  RemoveDirectoryW(folder.c_str());
}

void RemoveContent(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring full = folder + name;
    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full + L"\\");
    else DeleteFileW(full.c_str());
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

}  // namespace

void RemoveFolderContent(const std::string& folder) { RemoveContent(platform::Utf8ToWide(folder)); }

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring base = std::wstring(temp) + L"qwtest-" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(counter++) + L"\\";
  RemoveTree(base);
  if (!CreateDirectoryW(base.c_str(), nullptr)) throw std::runtime_error("cannot create temp folder");
  path_ = platform::WideToUtf8(base);
}

TempFolder::~TempFolder() { RemoveTree(platform::Utf8ToWide(path_)); }

std::string ReadFileBytes(const std::string& fileName) {
  HANDLE h = CreateFileW(platform::Utf8ToWide(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  CloseHandle(h);
  return bytes;
}

void WriteFileBytes(const std::string& fileName, const std::string& bytes) {
  HANDLE h = CreateFileW(platform::Utf8ToWide(fileName).c_str(), GENERIC_WRITE, 0, nullptr,
                         CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + fileName);
  DWORD done = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(h);
}

bool WriteSparseFile(const std::string& fileName, long long size) {
  HANDLE h = CreateFileW(platform::Utf8ToWide(fileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = size;
  const bool grown = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  return grown;
}
