#include "snapshot/result_file.h"


#include <algorithm>
#include <utility>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/translate.h"
#include "platform/file_stream.h"
#include "platform/names.h"
#include "platform/locale_format.h"
#include "platform/text.h"
#include "snapshot/copy_records.h"
#include "snapshot/data_codes.h"
#include "snapshot/data_stream.h"
#include "snapshot/system_files.h"
#include "snapshot/treetool.h"

namespace {

// Smallest stored forms, for checking counts read from the file: a short string is 2
// bytes, a small integer 2.
constexpr size_t kMinStringSize = 2;
constexpr size_t kMinSubRecord = 6;     // name, subkey (subfolder) count, value (file) count
constexpr size_t kMinValueRecord = 8;   // name, status, type code, data
constexpr size_t kMinFileRecord = 10;   // name, status, time, size, attributes
constexpr size_t kMinFileRecordV = 14;  // ... and the two version items
constexpr size_t kMinSysEntry = 6;      // name, status, value or line index

// The removal engine overwrites statuses in place with a two-byte item.
constexpr int64_t kStatusItemSize = 2;

// The path of the shared-DLL counters below the registry result's top node.
const char* const kSharedDllsPath[] = {"HKEY_LOCAL_MACHINE", "SOFTWARE", "Microsoft", "Windows",
                                       "CurrentVersion", "SharedDlls"};

bool HasGroup(int32_t state) {
  const int32_t code = StateCode(state);
  return code == stAdded || code == stRemoved || code == stMembersChanged;
}

bool IsAddedOrRemoved(int32_t state) {
  const int32_t code = StateCode(state);
  return code == stAdded || code == stRemoved;
}

// The file seen only up to the end of one value block: counts and lengths read inside
// the block are then checked against the block, not against the rest of the file, and
// a damaged record cannot run on into the next tree. Positions stay absolute.
class BlockStream : public platform::Stream {
 public:
  BlockStream(platform::Stream& file, int64_t end) : file_(file), end_(end) {}

  size_t Read(void* buffer, size_t count) override {
    const int64_t pos = file_.Position();
    if (pos >= end_) return 0;
    const auto left = static_cast<uint64_t>(end_ - pos);
    return file_.Read(buffer, static_cast<size_t>(std::min<uint64_t>(count, left)));
  }
  void Write(const void*, size_t) override { throw platform::EStreamError("read-only block"); }
  int64_t Position() const override { return file_.Position(); }
  void Seek(int64_t position) override { file_.Seek(position); }
  int64_t Size() const override { return end_; }
  std::string Name() const override { return file_.Name(); }

 private:
  platform::Stream& file_;
  int64_t end_;
};

// A small reader on one section's value block of the current result file, opened for
// one request and closed with it, so the file stays free for the in-place updates.
class BlockReader {
 public:
  BlockReader(const ResultFileInfo& info, ResultSection section)
      : file_(info.FileName, platform::FileStream::Mode::Read),
        start_(info.BlockStart(section)),
        block_(file_, BlockEnd(info, section, file_.Size())),
        reader_(block_, kSmallReaderBufferSize) {}

  DataReader& Reader() { return reader_; }
  int64_t Start() const { return start_; }

  // Moves to the group at offset data from the block's first byte.
  void MoveTo(int32_t data) {
    if (data <= 0 || data >= block_.Size() - start_) {
      reader_.SetPosition(start_);
      reader_.Fail(FormatMsg(tr("Der Verweis %d zeigt nicht in den Datenblock"), {std::to_string(data)}));
    }
    reader_.SetPosition(start_ + data);
  }

  // The current position as an offset from the block's first byte.
  int32_t Offset() {
    reader_.Flush();
    return static_cast<int32_t>(reader_.Position() - start_);  // the block is below 2 GiB
  }

 private:
  // Each value block ends where the next result tree begins; the last one at the end
  // of the file.
  static int64_t BlockEnd(const ResultFileInfo& info, ResultSection section, int64_t fileSize) {
    int64_t next = 0;
    if (section == ResultSection::Registry) next = info.DriveTreePos;
    if (section == ResultSection::Drives) next = info.SystemTreePos;
    const int64_t start = info.BlockStart(section);
    const int64_t end = next > start ? std::min(next, fileSize) : fileSize;
    // A block is addressed with 32-bit offsets.
    return std::min<int64_t>(end, start + INT32_MAX);
  }

  platform::FileStream file_;
  int64_t start_;
  BlockStream block_;
  DataReader reader_;
};

// A result is loaded and this section has a value block.
bool HasBlock(const ResultFileInfo& info, ResultSection section) {
  return !info.FileName.empty() && info.BlockStart(section) > 0;
}

int32_t ReadStatus(DataReader& r, NodeRecord& rec) {
  rec.StatusPos = r.Position();
  rec.Status = r.ReadInteger();
  if (r.Position() - rec.StatusPos != kStatusItemSize) {
    r.SetPosition(rec.StatusPos);
    r.Fail(FormatMsg(tr("Ungültiger Status %d"), {std::to_string(rec.Status)}));
  }
  return rec.Status;
}

void ReadValueRecord(DataReader& r, NodeRecord& rec) {
  ReadStatus(r, rec);
  rec.TypeCode = r.ReadInteger();
  if (rec.TypeCode == 1 || rec.TypeCode == 2) {
    rec.Text = r.ReadString();
  } else if (rec.TypeCode == 3) {
    rec.Number = r.ReadInteger();
  } else {
    rec.Bytes = r.ReadRawBytes(r.ReadInteger());
  }
}

void ReadFileRecord(DataReader& r, NodeRecord& rec, bool withVersion) {
  ReadStatus(r, rec);
  rec.Time = r.ReadInteger();
  rec.Size = r.ReadInteger();
  rec.Attributes = r.ReadInteger();
  rec.HasVersion = withVersion;
  if (withVersion) {
    rec.VersionHigh = r.ReadInteger();
    rec.VersionLow = r.ReadInteger();
  }
}

void ReadSysEntryTail(DataReader& r, NodeRecord& rec, int kind) {
  ReadStatus(r, rec);
  if (IsIniKind(kind)) rec.Value = r.ReadString();
  else rec.LineIndex = r.ReadInteger();
}

// n times a name and a record.
template <typename ReadRecord>
void ReadMembers(DataReader& r, size_t minRecord, std::vector<NodeRecord>& out, ReadRecord read) {
  const int32_t n = r.ReadCount(minRecord);
  out.reserve(out.size() + static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    NodeRecord rec;
    rec.Name = r.ReadString();
    read(rec);
    out.push_back(std::move(rec));
  }
}

// The node of the system-file tree's first level a node belongs to, or nullptr for
// the top node.
const TreeNode* SystemFileNode(const TreeNode& node) {
  const TreeNode* n = &node;
  if (n->Parent() == nullptr) return nullptr;
  while (n->Parent()->Parent() != nullptr) n = n->Parent();
  return n;
}

void SetKindImages(Tree& systemResult, const KindImages& images) {
  TreeNode* top = systemResult.First();
  if (top == nullptr) return;
  for (size_t i = 0; i < top->Count(); ++i) {
    TreeNode* file = top->Child(i);
    std::string path;
    int kind;
    try {
      kind = FileKindOf(file->Text(), path, std::string());
    } catch (const EQuitawayError&) {
      continue;  // unknown kind: keeps what it has
    }
    const int32_t image = IsIniKind(kind) ? images.Ini : images.Text;
    file->SetImageIndex(image);
    file->SetSelectedIndex(image);
  }
}

// Reads a value block's length and moves behind the block; returns its first byte.
int64_t SkipBlock(DataReader& r) {
  const int64_t at = r.Position();
  const int32_t length = r.ReadInteger();
  r.Flush();
  const int64_t start = r.Position();
  if (length < 0 || length > r.Remaining()) {
    r.SetPosition(at);
    r.Fail(FormatMsg(tr("Ungültige Länge %d eines Datenblocks"), {std::to_string(length)}));
  }
  r.SetPosition(start + length);
  return start;
}

void SkipResultTree(DataReader& r) {
  r.Flush();
  const int64_t at = r.Position();
  try {
    SkipTree(r);
  } catch (const EDataFileError&) {
    r.SetPosition(at);
    r.Fail(tr("Hier fehlt ein Baum der Ergebnisdatei"));
  }
}

// Walks the whole layout without changing anything, so that a damaged file is
// refused before the trees are replaced. The no-check list and the system block are
// optional, as when loading.
void CheckLayout(DataReader& r) {
  for (int i = 0; i < 3; ++i) SkipResultTree(r);
  r.Flush();
  const int64_t listStart = r.Position();
  try {
    if (r.ReadString() != kNoCheckMarker) throw EDataFileError("no list");
    const int32_t n = r.ReadCount(kMinStringSize);
    for (int32_t i = 0; i < n; ++i) r.ReadString();
  } catch (const std::exception&) {
    r.SetPosition(listStart);
  }
  SkipResultTree(r);
  SkipBlock(r);
  SkipResultTree(r);
  SkipBlock(r);
  SkipResultTree(r);
}

}  // namespace

// ---------------------------------------------------------------- positions

int64_t ResultFileInfo::BlockStart(ResultSection section) const {
  switch (section) {
    case ResultSection::Registry: return RegistryBlockStart;
    case ResultSection::Drives: return DriveBlockStart;
    case ResultSection::SystemFiles: return SystemBlockStart;
  }
  return 0;
}

int64_t ResultFileInfo::TreePos(ResultSection section) const {
  switch (section) {
    case ResultSection::Registry: return RegistryTreePos;
    case ResultSection::Drives: return DriveTreePos;
    case ResultSection::SystemFiles: return SystemTreePos;
  }
  return 0;
}

// ---------------------------------------------------------------- loading

void LoadResultFile(const std::string& fileName, Tree& registrySelection, Tree& driveSelection,
                    Tree& registryResult, Tree& driveResult, Tree& systemSelection, Tree& systemResult,
                    std::vector<std::string>& noCheck, const KindImages& images, ResultFileInfo& info) {
  platform::FileStream file(fileName, platform::FileStream::Mode::Read);
  DataReader r(file);
  const std::string header = r.ReadString();
  if (header != kResultHeader2 && header != kResultHeader)
    throw EDataFileError(FormatMsg(tr("Error: %s\rDas ist keine Protokolldatei"), {fileName}));
  r.Flush();
  const int64_t afterHeader = r.Position();
  CheckLayout(r);
  r.SetPosition(afterHeader);

  ResultFileInfo result;
  result.FileName = fileName;
  result.Versions = header != kResultHeader;
  try {
    LoadSelectionFile(std::string(), &r, registrySelection, driveSelection, systemSelection, noCheck);

    r.Flush();
    result.RegistryTreePos = r.Position();
    LoadTree(std::string(), &r, registryResult, true);
    result.RegistryBlockStart = SkipBlock(r);

    r.Flush();
    result.DriveTreePos = r.Position();
    LoadTree(std::string(), &r, driveResult, true);
    result.DriveBlockStart = SkipBlock(r);

    r.Flush();
    result.SystemTreePos = r.Position();
    LoadTree(std::string(), &r, systemResult, true);
    SetKindImages(systemResult, images);
  } catch (...) {
    // Only when the file changed after the check or could not be read again. No node
    // may point into a file other than the one info names: the results go, and no
    // result is loaded.
    registryResult.Clear();
    driveResult.Clear();
    systemResult.Clear();
    info = ResultFileInfo{};
    throw;
  }
  // Older files may end without the system-file block; they still count as loaded
  // (the system-file nodes then have no records to show).
  try {
    result.SystemBlockStart = SkipBlock(r);
  } catch (const platform::EStreamError&) {
    result.SystemBlockStart = 0;
  }
  info = std::move(result);
}

// ---------------------------------------------------------------- records

int SystemKindOfNode(const TreeNode& node) {
  const TreeNode* file = SystemFileNode(node);
  if (file == nullptr) return -1;
  std::string path;
  return FileKindOf(file->Text(), path, std::string());
}

std::vector<NodeRecord> ReadNodeRecords(const ResultFileInfo& info, ResultSection section,
                                        const TreeNode& node, int systemKind) {
  std::vector<NodeRecord> records;
  if (node.Data() == 0 || !HasGroup(node.StateIndex()) || !HasBlock(info, section)) return records;
  if (section == ResultSection::SystemFiles && (systemKind < sfWindowsIni || systemKind > sfUserText)) {
    const TreeNode* file = SystemFileNode(node);
    throw EQuitawayError(
        FormatMsg(tr("Konnte den Dateityp für %s nicht feststellen"), {file ? file->Text() : node.Text()}));
  }

  BlockReader block(info, section);
  DataReader& r = block.Reader();
  block.MoveTo(node.Data());
  const bool stored = IsAddedOrRemoved(node.StateIndex());
  switch (section) {
    case ResultSection::Registry:
      if (stored) {
        const int32_t subkeys = r.ReadCount(kMinSubRecord);
        for (int32_t i = 0; i < subkeys; ++i) {
          r.ReadString();
          CopyKey(r, nullptr, 0);
        }
      }
      ReadMembers(r, kMinValueRecord, records, [&](NodeRecord& rec) { ReadValueRecord(r, rec); });
      break;
    case ResultSection::Drives: {
      const bool v = info.Versions;
      if (stored) {
        const int32_t folders = r.ReadCount(kMinSubRecord);
        for (int32_t i = 0; i < folders; ++i) {
          r.ReadString();
          CopyDirTree(r, nullptr, 0, v);
        }
      }
      ReadMembers(r, v ? kMinFileRecordV : kMinFileRecord, records,
                  [&](NodeRecord& rec) { ReadFileRecord(r, rec, v); });
      break;
    }
    case ResultSection::SystemFiles:
      // A new or deleted section holds its entry list; a changed one n entries: the
      // same shape.
      ReadMembers(r, kMinSysEntry, records, [&](NodeRecord& rec) { ReadSysEntryTail(r, rec, systemKind); });
      break;
  }
  return records;
}

void ExpandStoredNode(const ResultFileInfo& info, ResultSection section, TreeNode& node) {
  // Only new and deleted keys and folders keep their children in the block; system-file
  // sections have none.
  if (section == ResultSection::SystemFiles || node.Count() > 0 || node.Data() == 0 ||
      !IsAddedOrRemoved(node.StateIndex()) || !HasBlock(info, section))
    return;

  struct Child {
    std::string name;
    int32_t data;
    bool hasChildren;
  };
  std::vector<Child> children;
  {
    BlockReader block(info, section);
    DataReader& r = block.Reader();
    block.MoveTo(node.Data());
    const int32_t n = r.ReadCount(kMinSubRecord);
    children.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
      Child c;
      c.name = r.ReadString();
      c.data = block.Offset();
      c.hasChildren = section == ResultSection::Registry ? CopyKey(r, nullptr, 0)
                                                         : CopyDirTree(r, nullptr, 0, info.Versions);
      children.push_back(std::move(c));
    }
  }
  // Added only once all were read, so a damaged record leaves the node as it was.
  TreeUpdateScope suspended(node.Owner());
  for (Child& c : children) {
    TreeNode* child = node.AddChild(std::move(c.name));
    child->SetData(c.data);
    child->SetHasChildren(c.hasChildren);
    child->SetSelectedIndex(node.SelectedIndex());
    child->SetStateIndex(node.StateIndex());
    if (IsDone(node.StateIndex())) child->SetCut(true);
  }
  if (children.empty()) node.SetHasChildren(false);
}

std::vector<SharedDllEntry> CollectSharedDlls(const ResultFileInfo& info, Tree& registryResult) {
  std::vector<SharedDllEntry> list;
  TreeNode* node = registryResult.First();
  if (info.FileName.empty() || node == nullptr) return list;

  for (const char* part : kSharedDllsPath) {
    if (node->Count() == 0) ExpandStoredNode(info, ResultSection::Registry, *node);
    if (node->Count() > 0) node->Expand();
    TreeNode* found = nullptr;
    for (size_t i = 0; i < node->Count() && found == nullptr; ++i)
      if (platform::SameText(node->Child(i)->Text(), part)) found = node->Child(i);
    if (found == nullptr) return list;
    node = found;
  }
  if (node->Data() == 0) return list;

  std::vector<std::string> seen;
  for (const NodeRecord& rec : ReadNodeRecords(info, ResultSection::Registry, *node)) {
    if (rec.TypeCode != 3) continue;
    std::string upper = platform::UpperCase(rec.Name);
    if (std::find(seen.begin(), seen.end(), upper) != seen.end()) continue;
    seen.push_back(std::move(upper));
    list.push_back({rec.Name, IsDone(rec.Status)});
  }
  return list;
}

// ---------------------------------------------------------------- display

namespace {

bool ValidDate(int year, int month, int day) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

}  // namespace

std::string FormatFileSize(int32_t size) {
  // The stored size is the low 32 bits of the file size: never negative.
  return platform::FormatGroupedNumber(static_cast<uint32_t>(size));
}

std::string FormatFileTime(int32_t packedTime) {
  const auto date = static_cast<uint16_t>(static_cast<uint32_t>(packedTime) >> 16);
  const auto time = static_cast<uint16_t>(static_cast<uint32_t>(packedTime) & 0xFFFF);
  const int day = date & 31, month = (date >> 5) & 15, year = 1980 + (date >> 9);
  const int second = (time & 31) * 2, minute = (time >> 5) & 63, hour = time >> 11;
  // A damaged or never set time shows nothing rather than a made-up date.
  if (!ValidDate(year, month, day) || hour > 23 || minute > 59 || second > 59) return {};
  std::string text = platform::FormatShortDate(year, month, day);
  if (hour != 0 || minute != 0 || second != 0) {
    text += ' ';
    text += platform::FormatLongTime(hour, minute, second);
  }
  return text;
}

std::string FormatAttributes(int32_t attributes) {
  // The file system's attribute bits as stored: archive 32, read-only 1, system 4, hidden 2.
  std::string letters;
  if (attributes & 32) letters += 'A';
  if (attributes & 1) letters += 'R';
  if (attributes & 4) letters += 'S';
  if (attributes & 2) letters += 'H';
  return letters;
}

std::string FormatVersion(int32_t high, int32_t low) {
  const auto h = static_cast<uint32_t>(high), l = static_cast<uint32_t>(low);
  return FormatMsg(tr("Ver. %d.%d.%d.%d"), {std::to_string(h >> 16), std::to_string(h & 0xFFFF),
                                            std::to_string(l >> 16), std::to_string(l & 0xFFFF)});
}

void FillFileColumns(ListRow& row, int32_t time, int32_t size, int32_t attributes) {
  row.SubItems.push_back(FormatFileSize(size));
  row.SubItems.push_back(FormatFileTime(time));
  row.SubItems.push_back(FormatAttributes(attributes));
}

void AddVersionColumn(ListRow& row, int32_t high, int32_t low) { row.SubItems.push_back(FormatVersion(high, low)); }
