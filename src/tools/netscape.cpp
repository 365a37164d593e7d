#include "tools/netscape.h"

#include <windows.h>

#include "core/exceptions.h"
#include "core/registry.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/locale_format.h"
#include "platform/names.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "removal/recyc.h"

namespace {

const std::string kNavigator = "SOFTWARE\\Netscape\\Netscape Navigator";

// Trimmed, with a final backslash unless it ends with one or with a colon.
std::string FolderOf(std::string_view folder) {
  std::string f(platform::TrimBlanks(folder));
  if (!f.empty() && f.back() != '\\' && f.back() != ':') f += '\\';
  return f;
}

NetscapeProfile ProfileIn(const std::string& folder, const std::string& name, const std::string& display) {
  const std::string f = FolderOf(folder);
  return {display, name, f, f + "Cookies.TXT", f + "Cache"};
}

// The list of profiles as they are offered: a profile joins when its files exist and
// no listed one has the same cookie file and cache folder.
class ProfileList {
 public:
  explicit ProfileList(NetscapeProfiles& out) : out_(out) {}
  std::string Current;  // the name of the current profile

  void Offer(const NetscapeProfile& p) {
    const std::string cookies = platform::UpperCase(p.CookieFile), cache = platform::UpperCase(p.CacheFolder);
    for (const NetscapeProfile& listed : out_.Profiles)
      if (platform::UpperCase(listed.CookieFile) == cookies && platform::UpperCase(listed.CacheFolder) == cache) return;
    if (!platform::FileExists(p.CookieFile) || !FolderExists(p.CacheFolder)) return;
    if (!Current.empty() && p.ProfileName == Current) out_.Preselected = out_.Profiles.size();
    out_.Profiles.push_back(p);
  }

 private:
  NetscapeProfiles& out_;
};

std::vector<std::string> SubKeys(HKEY root, const std::string& path) {
  TMyRegistry reg;
  reg.SetRootKey(root);
  std::vector<std::string> names;
  if (reg.OpenKey(path, false)) reg.GetKeyNames(names);
  return names;
}

// The users the navigator registered for the machine.
void MachineUsers(ProfileList& list) {
  const std::string users = kNavigator + "\\Users";
  list.Current = ReadRegistryString(HKEY_LOCAL_MACHINE, users, "CurrentUser");
  for (const std::string& name : SubKeys(HKEY_LOCAL_MACHINE, users)) {
    const std::string display = ReadRegistryString(HKEY_LOCAL_MACHINE, users + "\\" + name, "UserName");
    list.Offer(ProfileIn(ReadRegistryString(HKEY_LOCAL_MACHINE, users + "\\" + name, "DirRoot"), name,
                         display.empty() ? name : display));
  }
}

// The mail users of the current Windows user: the profile lies above "\mail\popstate.dat".
void MailUsers(ProfileList& list) {
  const std::string biff = kNavigator + "\\biff";
  list.Current = ReadRegistryString(HKEY_CURRENT_USER, biff, "CurrentUser");
  const std::string tail = "\\mail\\popstate.dat";
  for (const std::string& user : SubKeys(HKEY_CURRENT_USER, biff + "\\Users")) {
    const std::string servers = biff + "\\Users\\" + user + "\\Servers";
    for (const std::string& server : SubKeys(HKEY_CURRENT_USER, servers)) {
      const std::string state = ReadRegistryString(HKEY_CURRENT_USER, servers + "\\" + server, "popstatePath");
      const size_t at = platform::UpperCase(state).find(platform::UpperCase(tail));
      if (at == std::string::npos) continue;
      list.Offer(ProfileIn(std::string(state).erase(at, tail.size()), user, user));
    }
  }
}

// Every subfolder of "<folder>users\" is a profile of that name.
void UsersFolder(ProfileList& list, const std::string& folder) {
  const std::string users = FolderOf(folder) + "users\\";
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(platform::Utf8ToWide(users + "*.*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = platform::WideToUtf8(found.cFileName);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
      list.Offer(ProfileIn(users + name, name, name));
  } while (FindNextFileW(h, &found));
  FindClose(h);
}

void InstalledFolders(ProfileList& list) {
  const HKEY machine = HKEY_LOCAL_MACHINE;
  const std::string programs =
      ReadRegistryString(machine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
  if (!programs.empty()) UsersFolder(list, FolderOf(programs) + "Netscape");
  const std::string version = ReadRegistryString(machine, kNavigator, "CurrentVersion");
  if (version.empty()) return;
  const std::string install = ReadRegistryString(machine, kNavigator + "\\" + version + "\\main", "Install Directory");
  if (!install.empty()) UsersFolder(list, install);
}

// Profiles named in the list file, each section one with its own paths.
void ListedProfiles(ProfileList& list, const std::string& listFile) {
  if (!platform::FileExists(listFile)) return;
  std::vector<wchar_t> names(32768);
  const DWORD n = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()),
                                                 platform::Utf8ToWide(listFile).c_str());
  for (const wchar_t* s = names.data(); s < names.data() + n && *s; s += wcslen(s) + 1) {
    const std::string section = platform::WideToUtf8(s);
    list.Offer({section, section, platform::ReadIniString(listFile, section, "DirRoot", ""),
                platform::ReadIniString(listFile, section, "CookiesFile", ""),
                platform::ReadIniString(listFile, section, "CacheDir", "")});
  }
}

// A cookie line's fields, or nothing: comments, empty lines and lines without exactly
// seven fields after trimming.
bool ParseCookieLine(std::string_view line, NetscapeCookie& cookie) {
  line = platform::TrimBlanks(line);
  if (line.empty() || line.front() == '#') return false;
  std::vector<std::string> fields;
  for (size_t start = 0;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(platform::DecodeTextBytes(line.substr(start, tab - start)));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (fields.size() != 7) return false;
  cookie.Domain = fields[0];
  cookie.Path = fields[2];
  cookie.Expires = _strtoi64(fields[4].c_str(), nullptr, 10);
  cookie.Name = fields[5];
  cookie.Value = fields[6];
  return true;
}

// The file's lines with their line ends, so that what is kept is written unchanged.
std::vector<std::string_view> RawLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos)
      end = bytes.size();
    else if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
      end += 2;
    else
      ++end;
    lines.push_back(bytes.substr(start, end - start));
    start = end;
  }
  return lines;
}

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return line;
}

std::string ReadOrRaise(const std::string& fileName) {
  std::string bytes, error;
  if (!platform::ReadFileBytes(fileName, bytes, error)) throw EQuitawayError(error);
  return bytes;
}

void WriteOrRaise(const std::string& fileName, const std::string& bytes) {
  HANDLE h = CreateFileW(platform::Utf8ToWide(fileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const bool ok = h != INVALID_HANDLE_VALUE &&
                  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size() && FlushFileBuffers(h);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  if (!ok) {
    DeleteFileW(platform::Utf8ToWide(fileName).c_str());
    throw EQuitawayError(std::string("Die Datei kann nicht geschrieben werden: ").append(fileName));
  }
}

}  // namespace

NetscapeProfiles FindNetscapeProfiles(const std::string& listFile) {
  NetscapeProfiles out;
  ProfileList list(out);
  MachineUsers(list);
  MailUsers(list);
  InstalledFolders(list);
  ListedProfiles(list, listFile);
  return out;
}

std::vector<NetscapeCookie> ReadNetscapeCookies(const std::string& fileName) {
  std::vector<NetscapeCookie> cookies;
  std::string bytes, error;
  if (!platform::ReadFileBytes(fileName, bytes, error)) return cookies;
  NetscapeCookie cookie;
  for (std::string_view line : RawLines(bytes))
    if (ParseCookieLine(WithoutLineEnd(line), cookie)) cookies.push_back(cookie);
  return cookies;
}

int DeleteNetscapeCookies(const std::string& fileName,
                          const std::vector<std::pair<std::string, std::string>>& serverAndName) {
  const std::string bytes = ReadOrRaise(fileName);
  std::vector<std::string_view> lines = RawLines(bytes);
  int removed = 0;
  for (auto marked = serverAndName.rbegin(); marked != serverAndName.rend(); ++marked) {
    const std::string server = platform::UpperCase(marked->first), name = platform::UpperCase(marked->second);
    for (size_t i = lines.size(); i-- > 0;) {
      NetscapeCookie c;
      if (!ParseCookieLine(WithoutLineEnd(lines[i]), c) || platform::UpperCase(c.Server()) != server ||
          platform::UpperCase(c.Name) != name)
        continue;
      lines.erase(lines.begin() + static_cast<ptrdiff_t>(i));
      ++removed;
      break;
    }
  }
  if (removed == 0) return 0;
  std::string kept;
  for (std::string_view line : lines) kept.append(line);
  const std::string beside = fileName + ".neu";
  WriteOrRaise(beside, kept);
  platform::MoveReplacing(beside, fileName);
  return removed;
}

NetscapeCache ReadNetscapeCache(const std::string& folder) {
  NetscapeCache cache;
  const std::string f = FolderOf(folder);
  DWORD sectors = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  uint64_t cluster = 1;
  const std::wstring root = platform::Utf8ToWide(f.substr(0, f.find('\\') + 1));
  if (GetDiskFreeSpaceW(root.c_str(), &sectors, &bytesPerSector, &freeClusters, &clusters) && sectors && bytesPerSector)
    cluster = static_cast<uint64_t>(sectors) * bytesPerSector;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(platform::LongPath(platform::Utf8ToWide(f + "*.*")).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return cache;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    cache.Files.push_back(f + platform::WideToUtf8(found.cFileName));
    cache.Size += size;
    cache.Used += (size + cluster - 1) / cluster * cluster;
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return cache;
}

std::string NetscapeExpiryText(int64_t seconds) {
  const int64_t unixEpoch = 116444736000000000LL;  // 1 January 1970 as a file time
  const int64_t t = unixEpoch + seconds * 10000000LL;
  FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(static_cast<uint64_t>(t) >> 32)};
  SYSTEMTIME st;
  if (t < 0 || !FileTimeToSystemTime(&ft, &st)) return "";
  return platform::FormatShortDate(st.wYear, st.wMonth, st.wDay) + " " +
         platform::FormatLongTime(st.wHour, st.wMinute, st.wSecond);
}
