// The result file (installation log): the selection in force, the three result
// trees and one value block per section. A node's Data is the offset of its record
// group from the start of its section's block, so a viewer reads only the records of
// the node it shows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/entry_record.h"
#include "model/file_record.h"
#include "model/list_model.h"
#include "model/tree_model.h"
#include "model/value_record.h"

namespace platform {
class FileStream;
}

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
// Only the part of the node's section is filled.
struct NodeRecord {
  std::string Name;       // value name, file name, INI key or line text
  int32_t Status = 0;     // rsNew ... rsNewOfAltered, maybe with flDone
  int64_t StatusPos = 0;  // absolute position of the status item (for the done mark)
  ValueData Value;        // registry
  FileData File;          // drives
  bool HasVersion = false;  // the file record carries versions (today's header)
  EntryData Entry;        // system files
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

// The result file opened for a series of reads: the views open one per request, so
// that the file stays free for the in-place updates; the export and the removal
// engine keep one open for a whole walk. Each section's block is read through a small
// reader that ends where the block ends.
class ResultReader {
 public:
  explicit ResultReader(const ResultFileInfo& info);
  ~ResultReader();
  const ResultFileInfo& Info() const { return info_; }
  ResultReader(const ResultReader&) = delete;
  ResultReader& operator=(const ResultReader&) = delete;

  // The member records of a node (state 6, 7 or 8 with Data not 0; others have none).
  // For new and deleted keys and folders the nested ones are passed over.
  // systemKind: the kind of the system file the node belongs to (system files only).
  std::vector<NodeRecord> Records(ResultSection section, const TreeNode& node, int systemKind = 0);

  // The keys or folders directly inside the stored copy of a new or deleted key or
  // folder: name, where its own copy stands, whether it has nested ones.
  struct StoredChild {
    std::string Name;
    int32_t Data = 0;
    bool HasChildren = false;
  };
  std::vector<StoredChild> StoredChildren(ResultSection section, const TreeNode& node);

  // Reads the stored copy of a new or deleted key or folder once from its start:
  // onEnter(name) for each key or folder nested in it before the ones nested in that,
  // onLeave(records) after them with its own records; the node's own records last.
  void WalkStoredCopy(ResultSection section, const TreeNode& node,
                      const std::function<void(const std::string& name)>& onEnter,
                      const std::function<void(std::vector<NodeRecord>& records)>& onLeave);

 private:
  class Block;
  Block& BlockOf(ResultSection section);
  void ReadMembers(Block& block, ResultSection section, int systemKind, std::vector<NodeRecord>& out);

  const ResultFileInfo& info_;
  std::unique_ptr<platform::FileStream> file_;  // opened at the first read
  std::unique_ptr<Block> blocks_[3];
};

// One request each: a reader is opened and closed around it.
std::vector<NodeRecord> ReadNodeRecords(const ResultFileInfo& info, ResultSection section,
                                        const TreeNode& node, int systemKind = 0);

// Builds the children of a new or deleted key or folder from its stored copy; other
// nodes, and nodes whose children are loaded, are left as they are.
void ExpandStoredNode(const ResultFileInfo& info, ResultSection section, TreeNode& node);

// The same for node and every key or folder below it, through one open reader: an
// undo visits each of them.
void ExpandStoredSubtree(ResultReader& reader, ResultSection section, TreeNode& node);

// A record whose change was undone: where its status item stands and its status.
struct DoneRecord {
  int64_t StatusPos = 0;
  int32_t Status = 0;
};

// The in-place update after an undo: each record's status gets flDone, and the
// section's result tree (its nodes marked done) is written again at its position.
// Only states change, so the tree keeps its size; when it would not (the tree no
// longer matches the file) nothing is written and EQuitawayError says so.
void MarkDoneInResultFile(const ResultFileInfo& info, ResultSection section, const std::vector<DoneRecord>& records,
                          Tree& tree);

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
// The file-structure result records the file (a full path, "C:\a\b.dll") as new.
bool RecordsNewFile(const ResultFileInfo& info, Tree& driveResult, const std::string& path);

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
