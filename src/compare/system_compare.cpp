#include "compare/system_compare.h"

#include <deque>
#include <unordered_map>
#include <unordered_set>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "model/copy_records.h"
#include "model/data_codes.h"
#include "model/system_file_kind.h"
#include "model/treetool.h"
#include "platform/names.h"

namespace {

void ReadSystemHeader(DataReader& r, const char* message, const std::string& fileName) {
  if (r.ReadString() != kSystemFilesHeader) throw EDataFileError(FormatMsg(tr(message), {fileName}));
}

// A watched file of one side: its name in capitals and where its block starts.
struct StoredFile {
  std::string name;
  int64_t position;
};

// The files of one side's list, each block passed over; the reader ends after the
// list. The list follows the selection tree, not the names' order.
std::vector<StoredFile> ListFiles(DataReader& r) {
  std::vector<StoredFile> files;
  r.ReadListBegin();
  while (!r.EndOfList()) {
    std::string name = platform::UpperCase(r.ReadString());
    const int kind = KindOfEntry(name);
    files.push_back({std::move(name), r.Position()});
    CopySysTree(r, nullptr, 0, IsIniKind(kind), kind);
  }
  r.ReadListEnd();
  return files;
}

// An entry of a section as stored: key (or line text) and record.
struct StoredEntry {
  std::string key;
  EntryData data;
};

// One entry list, read whole. A name that cannot be read is reported and the one
// before stands in for it, as in every merge.
std::vector<StoredEntry> ReadEntries(DataReader& r, int kind) {
  std::vector<StoredEntry> entries;
  const int32_t count = r.ReadCount(kMinItemSize + kMinEntryRecord);
  std::string name;
  int32_t index = 0;
  while (!ReadNextStr(r, name, count, index, "FEHLER in ReadNextStr:")) {
    StoredEntry& e = entries.emplace_back();
    e.key = name;
    ReadEntryRecord(r, kind, e.data);
  }
  return entries;
}

}  // namespace

SystemCompare::SystemCompare(DataReader& o, DataReader& n, Tree& selection, Tree& result, const KindImages& images)
    : SectionCompare(o, n, result, kSystemFilesHeader, "FEHLER in ReadNextStr:"),
      selection_(selection),
      images_(images) {}

// The files are matched by name wherever they stand in the two lists (a file added
// to or taken from the watch list moves the others): each side's list is read once
// for the names and the positions of their blocks, then each pair is compared there.
void SystemCompare::Run(const std::string& oldFile, const std::string& newFile) {
  CompareProgress(100, 0);
  CompareStatus("  Vergleiche Systemdateien");
  CompareKeepAlive();
  ReadSystemHeader(o_, "FEHLER: %s\rDies ist kein System-File: OldFile", oldFile);
  ReadSystemHeader(n_, "FEHLER: %s\rDies ist kein System-File: NewFile", newFile);

  result_.Clear();
  result_.AddTop(kSystemTop);
  path_ = {kSystemTop};
  const std::vector<StoredFile> oldFiles = ListFiles(o_);
  const std::vector<StoredFile> newFiles = ListFiles(n_);
  const int64_t oldEnd = o_.Position(), newEnd = n_.Position();

  std::unordered_map<std::string, std::deque<size_t>> oldByName;
  for (size_t i = 0; i < oldFiles.size(); ++i) oldByName[oldFiles[i].name].push_back(i);
  std::vector<bool> matched(oldFiles.size(), false);
  for (const StoredFile& file : newFiles) {
    auto it = oldByName.find(file.name);
    if (it == oldByName.end() || it->second.empty()) {
      n_.SetPosition(file.position);
      FileOnOneSide(file.name, stAdded);
      continue;
    }
    const size_t i = it->second.front();
    it->second.pop_front();
    matched[i] = true;
    CompareFile(file.name, oldFiles[i].position, file.position);
  }
  for (size_t i = 0; i < oldFiles.size(); ++i) {
    if (matched[i]) continue;
    o_.SetPosition(oldFiles[i].position);
    FileOnOneSide(oldFiles[i].name, stRemoved);
  }
  o_.SetPosition(oldEnd);
  n_.SetPosition(newEnd);

  CompareStatus(" Status");
  CompareProgress(100, 0);
  CompareKeepAlive();
}

void SystemCompare::CompareFile(const std::string& name, int64_t oldPos, int64_t newPos) {
  CompareStatus("  Vergleiche Systemdateien : " + name);
  CompareProgress(100, 0);
  CompareKeepAlive();
  o_.SetPosition(oldPos);
  n_.SetPosition(newPos);
  const int kind = KindOfEntry(name);
  path_.push_back(name);
  FindOrCreatePath(path_, result_, KindImage(kind), stNeutral, KindImage(kind));
  if (IsIniKind(kind)) CompareSections(kind);
  else CompareLines(kind);
  path_.pop_back();
}

// A file watched on one side only: its node shows it; no records are written. The
// side's reader stands at the file's block.
void SystemCompare::FileOnOneSide(const std::string& name, int32_t state) {
  const int kind = KindOfEntry(name);
  path_.push_back(name);
  FindOrCreatePath(path_, result_, KindImage(kind), state, KindImage(kind));
  path_.pop_back();
}

int32_t SystemCompare::KindImage(int kind) const { return IsIniKind(kind) ? images_.Ini : images_.Text; }

void SystemCompare::CompareSections(int kind) {
  MergeNames(
      [&](const std::string& name) {
        if (GetSelectionState(path_, name, selection_) == stUnchecked) {
          CopySysTree(o_, nullptr, 0, false, kind);
          CopySysTree(n_, nullptr, 0, false, kind);
          return;
        }
        // Copies of new and deleted sections found so far go to the block first, so
        // that this section's count stands right before its own records.
        AppendPending();
        path_.push_back(name);
        CompareIniEntries(kind);
        path_.pop_back();
      },
      [&](const std::string& name) { SectionOnOneSide(name, kind, n_, stAdded, rsNew); },
      [&](const std::string& name) { SectionOnOneSide(name, kind, o_, stRemoved, rsDeleted); });
  AppendPending();
}

void SystemCompare::SectionOnOneSide(const std::string& name, int kind, DataReader& side, int32_t state,
                                     int32_t status) {
  if (GetSelectionState(path_, name, selection_) == stUnchecked) {
    CopySysTree(side, nullptr, 0, false, kind);
    return;
  }
  FindOrCreatePath(path_, result_, KindImage(kind), stNeutral, KindImage(kind));
  TreeNode* node = AddedOrRemovedChild(name, state, images_.Text, images_.Text);
  CopySysTree(side, &pending_, status, false, kind);
  node->SetHasChildren(false);
}

TreeNode* SystemCompare::ChangedNode(int kind) {
  TreeNode* node = FindOrCreatePath(path_, result_, KindImage(kind), stNeutral, KindImage(kind));
  node->SetStateIndex(stMembersChanged);
  SetDataIfZero(node);
  return node;
}

void SystemCompare::WriteEntry(const std::string& name, int kind, int32_t status, const EntryData& entry) {
  ChangedNode(kind);
  pending_.WriteString(name);
  WriteEntryRecord(pending_, status, kind, entry);
  ++records_;
}

// The entries of a section stay in file order, so they are matched by key, not
// merged: an entry inserted before others leaves them unchanged. The k-th entry of a
// key on one side goes with the k-th of the same key on the other. Altered and new
// entries come in the new file's order, deleted ones after them in the old file's.
void SystemCompare::CompareIniEntries(int kind) {
  records_ = 0;
  const std::vector<StoredEntry> oldEntries = ReadEntries(o_, kind);
  const std::vector<StoredEntry> newEntries = ReadEntries(n_, kind);
  std::unordered_map<std::string, std::deque<size_t>> oldByKey;
  for (size_t i = 0; i < oldEntries.size(); ++i) oldByKey[platform::UpperCase(oldEntries[i].key)].push_back(i);
  std::vector<bool> matched(oldEntries.size(), false);
  std::unordered_set<std::string> keysOnBothSides;

  for (const StoredEntry& entry : newEntries) {
    const std::string upper = platform::UpperCase(entry.key);
    auto it = oldByKey.find(upper);
    if (it == oldByKey.end() || it->second.empty()) {
      WriteEntry(entry.key, kind, rsNew, entry.data);
      continue;
    }
    const StoredEntry& old = oldEntries[it->second.front()];
    matched[it->second.front()] = true;
    it->second.pop_front();
    // A key found twice in a section: such values cannot go into installation files.
    const bool repeated = !entry.key.empty() && !keysOnBothSides.insert(upper).second;
    if (SameEntry(kind, old.data, entry.data)) continue;
    TreeNode* node = ChangedNode(kind);
    if (repeated)
      MessageDlg(tr("Nicht INI-gerechten Wert gefunden :") + NodePath(*node, true, false) + "\\" + entry.key +
                     tr("\rDiese Werte können nicht in Installdateien exportiert werden"),
                 mtWarning, mbOK);
    WriteEntry(entry.key, kind, rsOldOfAltered, old.data);
    WriteEntry(entry.key, kind, rsNewOfAltered, entry.data);
  }
  for (size_t i = 0; i < oldEntries.size(); ++i)
    if (!matched[i]) WriteEntry(oldEntries[i].key, kind, rsDeleted, oldEntries[i].data);
  FinishMembers();
}

// The lines of a text file are stored sorted: merged by text. A line on both sides
// is unchanged wherever it moved.
void SystemCompare::CompareLines(int kind) {
  records_ = 0;
  EntryData oldLine, newLine;
  MergeNames(
      [&](const std::string&) {
        ReadEntryRecord(o_, kind, oldLine);
        ReadEntryRecord(n_, kind, newLine);
      },
      [&](const std::string& name) { EntryOnOneSide(name, kind, n_, rsNew); },
      [&](const std::string& name) { EntryOnOneSide(name, kind, o_, rsDeleted); });
  FinishMembers();
}

void SystemCompare::EntryOnOneSide(const std::string& name, int kind, DataReader& side, int32_t status) {
  ChangedNode(kind);
  pending_.WriteString(name);
  CopySysEntry(side, &pending_, status, kind);
  records_ += 1;
}
