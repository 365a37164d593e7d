// The kinds of watched system files, and how an entry text of the system-file tree
// becomes a kind and the path of the file to read.
#pragma once

#include <string>

enum : int {
  sfWindowsIni = 0,  // "SYSTEM.INI", "WIN.INI" in the Windows folder
  sfSystemText = 1,  // "AUTOEXEC.BAT", "CONFIG.SYS" in PathToSystemFiles
  sfUserIni = 2,     // a path followed by "(INI)"
  sfUserText = 3,    // a path followed by "(TXT)"
};

inline bool IsIniKind(int kind) { return kind == sfWindowsIni || kind == sfUserIni; }
inline bool IsKnownKind(int kind) { return kind >= sfWindowsIni && kind <= sfUserText; }

// The kind of an entry text and the path of the file to read; raises EQuitawayError
// "Konnte den Dateityp für %s nicht feststellen" for an unknown entry. The first
// form reads the setting PathToSystemFiles (main thread only); workers pass it.
int FileKindOf(const std::string& entryText, std::string& path);
int FileKindOf(const std::string& entryText, std::string& path, const std::string& pathToSystemFiles);
// The kind alone (no setting read); raises as FileKindOf.
int KindOfEntry(const std::string& entryText);
