// The Netscape Navigator part of the web cleaner: the user profiles found in the
// registry, the program folders and the list file "NSUsers.ini", each profile's cookie
// text file (read, and rewritten without chosen cookies) and its cache folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct NetscapeProfile {
  std::string DisplayName, ProfileName;
  std::string Folder;  // with a final backslash (or colon)
  std::string CookieFile, CacheFolder;
};

struct NetscapeProfiles {
  std::vector<NetscapeProfile> Profiles;
  size_t Preselected = 0;  // the current profile, else the first
};

// Every profile whose cookie file and cache folder exist, each cookie file and cache
// folder pair once. listFile: "NSUsers.ini" in the program's folder.
NetscapeProfiles FindNetscapeProfiles(const std::string& listFile);

struct NetscapeCookie {
  std::string Domain, Path, Name, Value;
  int64_t Expires = 0;  // seconds since 1 January 1970
  std::string Server() const { return Domain + Path; }
};

// The cookies of a cookie text file (comment lines and lines without exactly seven
// tab-separated fields skipped).
std::vector<NetscapeCookie> ReadNetscapeCookies(const std::string& fileName);

// Removes, for each (server, name) from the last to the first, the last cookie line
// that matches both (letter case aside). The other lines stay byte for byte; the file
// is written beside the original and replaces it only when complete. Raises
// EQuitawayError (German) when it cannot be read or written; the original then stays.
// Returns how many lines were removed.
int DeleteNetscapeCookies(const std::string& fileName,
                          const std::vector<std::pair<std::string, std::string>>& serverAndName);

struct NetscapeCache {
  std::vector<std::string> Files;  // full paths
  uint64_t Size = 0, Used = 0;     // bytes, and what they take in clusters
};

// The files directly in the cache folder, their sizes and the space they occupy.
NetscapeCache ReadNetscapeCache(const std::string& folder);

// "Gültig bis" of a Netscape cookie: the seconds as a date and time, no time zone.
std::string NetscapeExpiryText(int64_t seconds);
