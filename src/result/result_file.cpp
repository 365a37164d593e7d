#include "result/result_file.h"


#include <algorithm>
#include <iterator>
#include <utility>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/translate.h"
#include "model/copy_records.h"
#include "model/data_codes.h"
#include "model/data_stream.h"
#include "model/system_file_kind.h"
#include "model/treetool.h"
#include "platform/file_stream.h"
#include "platform/locale_format.h"
#include "platform/names.h"
#include "platform/text.h"

namespace {

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

// A result is loaded and this section has a value block.
bool HasBlock(const ResultFileInfo& info, ResultSection section) {
  return !info.FileName.empty() && info.BlockStart(section) > 0;
}

// Each value block ends where the next result tree begins; the last one at the end of
// the file. A block is addressed with 32-bit offsets.
int64_t BlockEnd(const ResultFileInfo& info, ResultSection section, int64_t fileSize) {
  int64_t next = 0;
  if (section == ResultSection::Registry) next = info.DriveTreePos;
  if (section == ResultSection::Drives) next = info.SystemTreePos;
  const int64_t start = info.BlockStart(section);
  const int64_t end = next > start ? std::min(next, fileSize) : fileSize;
  return std::min<int64_t>(end, start + INT32_MAX);
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
    int kind;
    try {
      kind = KindOfEntry(file->Text());
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

  // Everything is read aside first: a file that cannot be read to its end changes
  // neither the trees nor the current result.
  ResultFileInfo result;
  result.FileName = fileName;
  result.Versions = header != kResultHeader;
  Tree selection[3], results[3];
  std::vector<std::string> list = noCheck;
  LoadSelectionFile(std::string(), &r, selection[0], selection[1], selection[2], list);

  int64_t* treePos[3] = {&result.RegistryTreePos, &result.DriveTreePos, &result.SystemTreePos};
  int64_t* blockStart[3] = {&result.RegistryBlockStart, &result.DriveBlockStart, &result.SystemBlockStart};
  for (int i = 0; i < 3; ++i) {
    r.Flush();
    *treePos[i] = r.Position();
    LoadTree(std::string(), &r, results[i], true);
    if (i == 2) break;
    *blockStart[i] = SkipBlock(r);
  }
  // Older files may end without the system-file block; they still count as loaded
  // (the system-file nodes then have no records to show).
  try {
    result.SystemBlockStart = SkipBlock(r);
  } catch (const platform::EStreamError&) {
    result.SystemBlockStart = 0;
  }
  SetKindImages(results[2], images);

  Tree* selectionTargets[3] = {&registrySelection, &driveSelection, &systemSelection};
  Tree* resultTargets[3] = {&registryResult, &driveResult, &systemResult};
  for (int i = 0; i < 3; ++i) {
    selectionTargets[i]->Adopt(selection[i]);
    selectionTargets[i]->SetModified(false);
    resultTargets[i]->Adopt(results[i]);
  }
  noCheck = std::move(list);
  info = std::move(result);
}

// ---------------------------------------------------------------- records

int SystemKindOfNode(const TreeNode& node) {
  const TreeNode* file = SystemFileNode(node);
  if (file == nullptr) return -1;
  return KindOfEntry(file->Text());
}

// One section's value block, read through a small reader that ends with the block.
class ResultReader::Block {
 public:
  Block(platform::FileStream& file, const ResultFileInfo& info, ResultSection section)
      : start_(info.BlockStart(section)),
        stream_(file, BlockEnd(info, section, file.Size())),
        reader_(stream_, kSmallReaderBufferSize) {}

  DataReader& Reader() { return reader_; }

  // Moves to the group at offset data from the block's first byte.
  void MoveTo(int32_t data) {
    if (data <= 0 || data >= stream_.Size() - start_) {
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
  int64_t start_;
  BlockStream stream_;
  DataReader reader_;
};

ResultReader::ResultReader(const ResultFileInfo& info) : info_(info) {}

ResultReader::~ResultReader() = default;

ResultReader::Block& ResultReader::BlockOf(ResultSection section) {
  auto& block = blocks_[static_cast<int>(section)];
  if (!file_) file_ = std::make_unique<platform::FileStream>(info_.FileName, platform::FileStream::Mode::Read);
  if (!block) block = std::make_unique<Block>(*file_, info_, section);
  return *block;
}

// n times a name and a record of the section's kind.
void ResultReader::ReadMembers(Block& block, ResultSection section, int systemKind, std::vector<NodeRecord>& out) {
  DataReader& r = block.Reader();
  const bool versions = info_.Versions;
  size_t minRecord = kMinEntryRecord;
  if (section == ResultSection::Registry) minRecord = kMinValueRecord;
  if (section == ResultSection::Drives) minRecord = MinFileRecord(versions);
  // No reserve from the count: memory grows only with records really read.
  const int32_t n = r.ReadCount(kMinItemSize + minRecord);
  for (int32_t i = 0; i < n; ++i) {
    NodeRecord& rec = out.emplace_back();
    rec.Name = r.ReadString();
    switch (section) {
      case ResultSection::Registry: rec.Status = ReadValueRecord(r, rec.Value, &rec.StatusPos); break;
      case ResultSection::Drives:
        rec.Status = ReadFileRecord(r, versions, rec.File, &rec.StatusPos);
        rec.HasVersion = versions;
        break;
      case ResultSection::SystemFiles: rec.Status = ReadEntryRecord(r, systemKind, rec.Entry, &rec.StatusPos); break;
    }
  }
}

std::vector<NodeRecord> ResultReader::Records(ResultSection section, const TreeNode& node, int systemKind) {
  std::vector<NodeRecord> records;
  if (node.Data() == 0 || !HasGroup(node.StateIndex()) || !HasBlock(info_, section)) return records;
  if (section == ResultSection::SystemFiles && !IsKnownKind(systemKind)) {
    const TreeNode* file = SystemFileNode(node);
    throw EQuitawayError(
        FormatMsg(tr("Konnte den Dateityp für %s nicht feststellen"), {file ? file->Text() : node.Text()}));
  }
  Block& block = BlockOf(section);
  block.MoveTo(node.Data());
  // A new or deleted section holds its entry list; a changed one n entries: the same
  // shape. New and deleted keys and folders hold their nested ones first.
  if (section != ResultSection::SystemFiles && IsAddedOrRemoved(node.StateIndex())) {
    DataReader& r = block.Reader();
    const int32_t nested = r.ReadCount(kMinNamedNested);
    for (int32_t i = 0; i < nested; ++i) {
      r.ReadString();
      if (section == ResultSection::Registry) CopyKey(r, nullptr, 0);
      else CopyDirTree(r, nullptr, 0, info_.Versions);
    }
  }
  ReadMembers(block, section, systemKind, records);
  return records;
}

std::vector<ResultReader::StoredChild> ResultReader::StoredChildren(ResultSection section, const TreeNode& node) {
  std::vector<StoredChild> children;
  if (section == ResultSection::SystemFiles || node.Data() == 0 || !IsAddedOrRemoved(node.StateIndex()) ||
      !HasBlock(info_, section))
    return children;
  Block& block = BlockOf(section);
  DataReader& r = block.Reader();
  block.MoveTo(node.Data());
  const int32_t n = r.ReadCount(kMinNamedNested);
  for (int32_t i = 0; i < n; ++i) {
    StoredChild& c = children.emplace_back();
    c.Name = r.ReadString();
    c.Data = block.Offset();
    c.HasChildren = section == ResultSection::Registry ? CopyKey(r, nullptr, 0)
                                                       : CopyDirTree(r, nullptr, 0, info_.Versions);
  }
  return children;
}

void ResultReader::WalkStoredCopy(ResultSection section, const TreeNode& node,
                                  const std::function<void(const std::string&)>& onEnter,
                                  const std::function<void(std::vector<NodeRecord>&)>& onLeave) {
  if (section == ResultSection::SystemFiles || node.Data() == 0 || !IsAddedOrRemoved(node.StateIndex()) ||
      !HasBlock(info_, section))
    return;
  Block& block = BlockOf(section);
  DataReader& r = block.Reader();
  block.MoveTo(node.Data());
  // Nested keys or folders still to read, per level; iterative, as deep as the copy is.
  std::vector<int32_t> left{r.ReadCount(kMinNamedNested)};
  while (!left.empty()) {
    if (left.back() > 0) {
      --left.back();
      onEnter(r.ReadString());
      left.push_back(r.ReadCount(kMinNamedNested));
      continue;
    }
    std::vector<NodeRecord> records;
    ReadMembers(block, section, 0, records);
    left.pop_back();
    onLeave(records);
  }
}

std::vector<NodeRecord> ReadNodeRecords(const ResultFileInfo& info, ResultSection section,
                                        const TreeNode& node, int systemKind) {
  if (node.Data() == 0 || !HasGroup(node.StateIndex()) || !HasBlock(info, section)) return {};
  ResultReader reader(info);
  return reader.Records(section, node, systemKind);
}

namespace {

// Adds the children read from a stored copy; the node's own look and state pass on.
// Added one by one: a view shows them as they come (suspending the tree would make it
// build itself anew, in the middle of the expansion that asked for them).
void AddStoredChildren(TreeNode& node, std::vector<ResultReader::StoredChild>& children) {
  for (ResultReader::StoredChild& c : children) {
    TreeNode* child = node.AddChild(std::move(c.Name));
    child->SetData(c.Data);
    child->SetHasChildren(c.HasChildren);
    child->SetImageIndex(node.ImageIndex());  // a key or folder like its parent
    child->SetSelectedIndex(node.SelectedIndex());
    child->SetStateIndex(node.StateIndex());
    if (IsDone(node.StateIndex())) child->SetCut(true);
  }
  if (children.empty()) node.SetHasChildren(false);
}

bool HasStoredChildren(const ResultFileInfo& info, ResultSection section, const TreeNode& node) {
  // Only new and deleted keys and folders keep their children in the block; system-file
  // sections have none.
  return section != ResultSection::SystemFiles && node.Count() == 0 && node.Data() != 0 &&
         IsAddedOrRemoved(node.StateIndex()) && HasBlock(info, section);
}

}  // namespace

void ExpandStoredNode(const ResultFileInfo& info, ResultSection section, TreeNode& node) {
  if (!HasStoredChildren(info, section, node)) return;
  std::vector<ResultReader::StoredChild> children;
  {
    ResultReader reader(info);
    children = reader.StoredChildren(section, node);
  }
  // Added only once all were read, so a damaged record leaves the node as it was.
  AddStoredChildren(node, children);
}

void ExpandStoredSubtree(ResultReader& reader, ResultSection section, TreeNode& node) {
  std::vector<TreeNode*> pending{&node};
  while (!pending.empty()) {
    TreeNode* n = pending.back();
    pending.pop_back();
    if (HasStoredChildren(reader.Info(), section, *n)) {
      std::vector<ResultReader::StoredChild> children = reader.StoredChildren(section, *n);
      AddStoredChildren(*n, children);
    }
    for (size_t i = 0; i < n->Count(); ++i) pending.push_back(n->Child(i));
  }
}

void MarkDoneInResultFile(const ResultFileInfo& info, ResultSection section, const std::vector<DoneRecord>& records,
                          Tree& tree) {
  platform::MemoryStream block;
  {
    DataWriter w(block);
    SaveTree(std::string(), &w, tree, false, true, section != ResultSection::SystemFiles);
  }
  platform::FileStream file(info.FileName, platform::FileStream::Mode::Update);
  const int64_t treePos = info.TreePos(section);
  {
    DataReader r(file);
    r.SetPosition(treePos);
    SkipTree(r);
    if (r.Position() - treePos != block.Size())
      throw EQuitawayError(FormatMsg(
          tr("Die Ergebnisdatei %s passt nicht mehr zum angezeigten Ergebnis und wurde nicht fortgeschrieben"),
          {info.FileName}));
  }
  DataWriter w(file);
  for (const DoneRecord& record : records) {
    w.SetPosition(record.StatusPos);
    w.WriteInteger(record.Status | flDone);  // two bytes, as the status read there
  }
  w.SetPosition(treePos);
  w.WriteRaw(block.Bytes().data(), block.Bytes().size());
  w.Flush();
}

namespace {

// The node below the top node of a result tree that the names lead to, expanding
// stored nodes on the way; nothing when one is missing. A drive node is found by
// its first two characters ("C:"), as its text may carry the drive's label.
TreeNode* FindResultNode(const ResultFileInfo& info, ResultSection section, Tree& tree,
                         const std::vector<std::string>& names) {
  TreeNode* node = tree.First();
  if (info.FileName.empty() || node == nullptr) return nullptr;
  for (const std::string& name : names) {
    if (node->Count() == 0) ExpandStoredNode(info, section, *node);
    if (node->Count() > 0) node->Expand();
    TreeNode* found = nullptr;
    for (size_t i = 0; i < node->Count() && found == nullptr; ++i) {
      std::string text = node->Child(i)->Text();
      if (section == ResultSection::Drives && node == tree.First()) text = std::string(platform::TrimBlanks(text).substr(0, 2));
      if (platform::SameText(text, name)) found = node->Child(i);
    }
    if (found == nullptr) return nullptr;
    node = found;
  }
  return node;
}

}  // namespace

bool RecordsNewFile(const ResultFileInfo& info, Tree& driveResult, const std::string& path) {
  std::vector<std::string> names;
  for (size_t start = 0;;) {
    const size_t slash = path.find('\\', start);
    names.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  const std::string file = names.back();
  names.pop_back();
  if (names.empty() || file.empty()) return false;
  TreeNode* folder = FindResultNode(info, ResultSection::Drives, driveResult, names);
  if (folder == nullptr || folder->Data() == 0) return false;
  for (const NodeRecord& rec : ReadNodeRecords(info, ResultSection::Drives, *folder))
    if (platform::SameText(rec.Name, file) && (rec.Status & 15) == rsNew) return true;
  return false;
}

std::vector<SharedDllEntry> CollectSharedDlls(const ResultFileInfo& info, Tree& registryResult) {
  std::vector<SharedDllEntry> list;
  TreeNode* node = FindResultNode(info, ResultSection::Registry, registryResult,
                                  std::vector<std::string>(std::begin(kSharedDllsPath), std::end(kSharedDllsPath)));
  if (node == nullptr || node->Data() == 0) return list;

  std::vector<std::string> seen;
  for (const NodeRecord& rec : ReadNodeRecords(info, ResultSection::Registry, *node)) {
    if (rec.Value.TypeCode != kCodeNumber) continue;
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
