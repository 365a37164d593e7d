#include "snapshot/drive_snapshot.h"

#include <windows.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/names.h"
#include "platform/text.h"
#include "model/data_codes.h"
#include "model/file_record.h"

namespace {

struct DirEntry {
  std::wstring name;
  int32_t time;
  int32_t size;
  int32_t attributes;
};

// Opens a listing of folder + "*.*" with every kind of entry. The basic form skips
// the short names nobody reads; systems without it get the classic call.
HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& found) {
  HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
    h = FindFirstFileW(pattern.c_str(), &found);
  return h;
}

class FolderWalk {
 public:
  FolderWalk(DataWriter& w, const VersionOptions& versions, SnapshotReport& report)
      : w_(w), versions_(versions), report_(report) {}

  void Folder(const std::wstring& path) {
    ++depth_;
    std::vector<DirEntry> folders;
    std::vector<DirEntry> files;
    List(path, folders, files);
    platform::SortByName(folders, [](const DirEntry& e) { return std::wstring_view(e.name); });
    platform::SortByName(files, [](const DirEntry& e) { return std::wstring_view(e.name); });

    w_.WriteInteger(static_cast<int32_t>(folders.size()));
    if (depth_ == 1) {
      report_.ProgressMax = static_cast<int32_t>(folders.size());
      report_.Update();
    }
    for (size_t i = 0; i < folders.size(); ++i) {
      if (depth_ == 1) {
        report_.ProgressPos = static_cast<int32_t>(i + 1);
        report_.Update();
      }
      const DirEntry& f = folders[i];
      w_.WriteString(platform::WideToUtf8(f.name));
      if (f.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link or junction may lead anywhere, back up the tree too: never entered.
        w_.WriteInteger(0);
        w_.WriteInteger(0);
        continue;
      }
      Folder(path + f.name + L"\\");
    }

    w_.WriteInteger(static_cast<int32_t>(files.size()));
    for (const DirEntry& f : files) {
      const std::string name = platform::WideToUtf8(f.name);
      w_.WriteString(name);
      FileData data{f.time, f.size, f.attributes, 0, 0};
      if (WantsVersion(name, versions_))
        GetFileVersion(platform::WideToUtf8(path + f.name), data.VersionHigh, data.VersionLow);
      WriteFileRecord(w_, rsSnapshot, data);
    }
    --depth_;
  }

 private:
  static void List(const std::wstring& path, std::vector<DirEntry>& folders, std::vector<DirEntry>& files) {
    WIN32_FIND_DATAW found;
    // The long form reaches folders beyond MAX_PATH, as deep installations have them.
    HANDLE h = FindFirst(platform::LongPath(path) + L"*.*", found);
    if (h == INVALID_HANDLE_VALUE) return;  // a folder that cannot be listed holds nothing
    do {
      const wchar_t* n = found.cFileName;
      const bool dir = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (dir && n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))) continue;
      DirEntry e{n,
                 PackedLocalTime(found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime),
                 static_cast<int32_t>(found.nFileSizeLow), static_cast<int32_t>(found.dwFileAttributes)};
      (dir ? folders : files).push_back(std::move(e));
    } while (FindNextFileW(h, &found));
    FindClose(h);
  }

  DataWriter& w_;
  const VersionOptions& versions_;
  SnapshotReport& report_;
  int depth_ = 0;
};

}  // namespace

int32_t PackedLocalTime(uint32_t lowDateTime, uint32_t highDateTime) {
  FILETIME utc{lowDateTime, highDateTime};
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return 0;
  return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}

bool WantsVersion(const std::string& fileName, const VersionOptions& versions) {
  if (!versions.StoreVersionInfo) return false;
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos) return false;  // no extension, no version
  return versions.ExtListUpper.find(platform::UpperCase(fileName.substr(dot))) != std::string::npos;
}

void WriteFolderRecord(DataWriter& writer, const std::string& folder, const VersionOptions& versions,
                       SnapshotReport& report) {
  FolderWalk walk(writer, versions, report);
  walk.Folder(platform::Utf8ToWide(folder));
}

void WriteDriveSection(DataWriter& writer, const std::vector<DriveEntry>& drives,
                       const VersionOptions& versions, SnapshotReport& report) {
  writer.WriteString(kDrivesHeader2);
  writer.WriteListBegin();
  for (const DriveEntry& drive : drives) {
    if (drive.StateIndex == stUnchecked || drive.Text.empty()) continue;
    report.ProgressMax = 0;
    report.StatusText = " Dateistruktur - Laufwerk: " + drive.Text;
    report.Update();
    writer.WriteString(drive.Text);
    writer.WriteInteger(drive.ImageIndex);
    WriteFolderRecord(writer, drive.Text.substr(0, 1) + ":\\", versions, report);
  }
  report.StatusText = " Status";
  report.ProgressPos = 0;
  report.Update();
  writer.WriteListEnd();
}

bool GetFileVersion(const std::string& path, int32_t& high, int32_t& low) {
  high = low = 0;
  try {
    // Only the start of the resource is read: the fixed part stands at its beginning.
    std::vector<uint8_t> buffer(4096);
    std::wstring wide = platform::Utf8ToWide(path);
    if (wide.size() >= MAX_PATH) wide = platform::LongPath(wide);
    if (!GetFileVersionInfoW(wide.c_str(), 0, static_cast<DWORD>(buffer.size()), buffer.data()))
      return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &len) || info == nullptr ||
        len < sizeof(VS_FIXEDFILEINFO))
      return false;
    high = static_cast<int32_t>(info->dwFileVersionMS);
    low = static_cast<int32_t>(info->dwFileVersionLS);
    return true;
  } catch (...) {
    high = low = 0;
    return false;
  }
}

std::string FileVersionString(const std::string& path) {
  int32_t high = 0, low = 0;
  if (!GetFileVersion(path, high, low)) return {};
  const auto h = static_cast<uint32_t>(high), l = static_cast<uint32_t>(low);
  return std::to_string(h >> 16) + "." + std::to_string(h & 0xFFFF) + "." + std::to_string(l >> 16) + "." +
         std::to_string(l & 0xFFFF);
}

int32_t FileSizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(platform::Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return static_cast<int32_t>(data.nFileSizeLow);
}
