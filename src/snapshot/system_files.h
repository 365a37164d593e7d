// The system-file section of a configuration: INI files section by section and entry
// by entry, text files line by line; and how an entry text of the system-file tree
// becomes a file kind and a path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "snapshot/data_stream.h"
#include "snapshot/snapshot_report.h"

// Kinds of watched system files.
enum : int {
  sfWindowsIni = 0,  // "SYSTEM.INI", "WIN.INI" in the Windows folder
  sfSystemText = 1,  // "AUTOEXEC.BAT", "CONFIG.SYS" in PathToSystemFiles
  sfUserIni = 2,     // a path followed by "(INI)"
  sfUserText = 3,    // a path followed by "(TXT)"
};

inline bool IsIniKind(int kind) { return kind == sfWindowsIni || kind == sfUserIni; }

// The kind of an entry text and the path of the file to read; raises EQuitawayError
// "Konnte den Dateityp für %s nicht feststellen" for an unknown entry. The first
// form reads the setting PathToSystemFiles (main thread only); workers pass it.
int FileKindOf(const std::string& entryText, std::string& path);
int FileKindOf(const std::string& entryText, std::string& path, const std::string& pathToSystemFiles);

// One child of the system-file tree's top node.
struct SystemFileEntry {
  std::string Text;
  int32_t StateIndex = 0;
};

// Writes the whole system-file section (header, list of watched files with their
// INI or text blocks). Files that cannot be read are reported through report and
// stored empty; an entry of unknown kind raises (ending the section).
void WriteSystemFilesSection(DataWriter& writer, const std::vector<SystemFileEntry>& files,
                             const std::string& pathToSystemFiles, SnapshotReport& report);

// Reads one INI block (atSectionLevel) or one entry list / text block and, with a
// writer, writes it again with every status replaced by status. Returns whether
// sections were present (false when atSectionLevel is clear).
bool CopySysTree(DataReader& reader, DataWriter* writer, int32_t status, bool atSectionLevel, int kind);
// The part of one entry or line after its name: status and value (INI kinds) or
// status and line index (text kinds); other kinds read nothing.
void CopySysEntry(DataReader& reader, DataWriter* writer, int32_t status, int kind);
