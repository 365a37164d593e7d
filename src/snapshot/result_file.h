// The result file (installation log): the selection in force, the three result
// trees and one value block per section. A node's Data is the offset of its record
// group from the start of its section's block, so a viewer reads only the records of
// the node it shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "snapshot/list_model.h"
#include "snapshot/tree_model.h"

// Which result tree and value block a node belongs to.
enum class ResultSection { Registry, Drives, SystemFiles };

// What is known of the current result file; replaced as a whole when another result
// is loaded or created. Positions are absolute in the file.
struct ResultFileInfo {
  std::string FileName;
  bool Versions = true;  // file records carry versions (today's header)
  int64_t RegistryTreePos = 0;
  int64_t DriveTreePos = 0;
  int64_t SystemTreePos = 0;
  int64_t RegistryBlockStart = 0;
  int64_t DriveBlockStart = 0;
  int64_t SystemBlockStart = 0;

  int64_t BlockStart(ResultSection section) const;
  int64_t TreePos(ResultSection section) const;
};

// One stored record of a node: a registry value, a file, an INI entry or a text line.
struct NodeRecord {
  std::string Name;        // value name, file name, INI key or line text
  int32_t Status = 0;      // rsNew ... rsNewOfAltered, maybe with flDone
  int64_t StatusPos = 0;   // absolute position of the status item (for the done mark)
  // Registry values.
  int32_t TypeCode = 0;
  std::string Text;        // codes 1 and 2
  int32_t Number = 0;      // code 3
  std::vector<uint8_t> Bytes;  // other codes
  // Files.
  int32_t Time = 0, Size = 0, Attributes = 0, VersionHigh = 0, VersionLow = 0;
  bool HasVersion = false;
  // System files: the INI value, or the line index of a text line.
  std::string Value;
  int32_t LineIndex = 0;
};

// Kind images of the system-file nodes, given by the main window.
struct KindImages {
  int32_t Ini = 0;
  int32_t Text = 1;
};

// Loads the selection (with its no-check list) and the three result trees of a
// result file and fills info. Raises EDataFileError "Error: %s\rDas ist keine
// Protokolldatei" for a file of another kind; read errors propagate.
void LoadResultFile(const std::string& fileName, Tree& registrySelection, Tree& driveSelection,
                    Tree& registryResult, Tree& driveResult, Tree& systemSelection, Tree& systemResult,
                    std::vector<std::string>& noCheck, const KindImages& images, ResultFileInfo& info);

// The member records of a node (state 6, 7 or 8 with Data not 0; others have none),
// read from the file with a small reader. For new and deleted keys and folders the
// nested subkeys or subfolders are passed over. systemKind: the kind of the system
// file the node belongs to (ignored for the other sections).
std::vector<NodeRecord> ReadNodeRecords(const ResultFileInfo& info, ResultSection section,
                                        const TreeNode& node, int systemKind = 0);

// Builds the children of a new or deleted key or folder from its stored copy; other
// nodes, and nodes whose children are loaded, are left as they are.
void ExpandStoredNode(const ResultFileInfo& info, ResultSection section, TreeNode& node);

// The kind of the system file a node of the system-file result tree belongs to; -1
// for the top node. An entry of unknown kind raises EQuitawayError.
int SystemKindOfNode(const TreeNode& node);

// Shared-DLL counters recorded in the registry result: names (as stored) with a mark
// whether the change was already undone.
struct SharedDllEntry {
  std::string Name;
  bool Done = false;
};
std::vector<SharedDllEntry> CollectSharedDlls(const ResultFileInfo& info, Tree& registryResult);

// Display of a file record: size "#,###,##0" in the user's digit grouping; short
// date and long time (no time at exact midnight); the letters "A", "R", "S", "H".
std::string FormatFileSize(int32_t size);
std::string FormatFileTime(int32_t packedTime);
std::string FormatAttributes(int32_t attributes);
// "Ver. %d.%d.%d.%d"
std::string FormatVersion(int32_t high, int32_t low);
// Adds the size, date-and-time and attribute columns to a row, and the version column.
void FillFileColumns(ListRow& row, int32_t time, int32_t size, int32_t attributes);
void AddVersionColumn(ListRow& row, int32_t high, int32_t low);
