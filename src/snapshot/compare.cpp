#include "snapshot/compare.h"

#include <memory>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/file_stream.h"
#include "platform/names.h"
#include "snapshot/copy_records.h"
#include "snapshot/data_codes.h"
#include "snapshot/system_files.h"
#include "snapshot/treetool.h"

namespace {

// Smallest stored element of a counted name sequence: a name and one more item.
constexpr size_t kMinElement = 4;

void Status(const std::string& text) { UI().SetStatusText(StatusControl::Statuspanel, text); }
void Progress(int maximum, int position) {
  UI().SetStatusMax(StatusControl::ProgressBar1, maximum);
  UI().SetStatusPosition(StatusControl::ProgressBar1, position);
}
void KeepAlive() { UI().ProcessMessages(); }

// Names are the same entry when the ordering calls them equal; identical bytes need
// no locale call (the common case: most names stand on both sides).
int CompareEntryNames(const std::string& a, const std::string& b) {
  if (a == b) return 0;
  return platform::CompareNames(a, b);
}

// A registry value record as stored, after its status.
struct ValueData {
  int32_t code = 0;
  std::string text;
  int32_t number = 0;
  std::vector<uint8_t> bytes;
};

ValueData ReadValue(DataReader& r) {
  ValueData v;
  r.ReadInteger();  // status
  v.code = r.ReadInteger();
  if (v.code == 1 || v.code == 2) v.text = r.ReadString();
  else if (v.code == 3) v.number = r.ReadInteger();
  else r.ReadRawInto(v.bytes, r.ReadInteger());  // starts empty: ends up exactly that long
  return v;
}

bool SameValue(const ValueData& a, const ValueData& b) {
  if (a.code == 3 && b.code == 3) return a.number == b.number;
  const bool aText = a.code == 1 || a.code == 2;
  const bool bText = b.code == 1 || b.code == 2;
  if (aText && bText) return a.text == b.text;
  return a.code == b.code && !aText && a.code != 3 && a.bytes == b.bytes;
}

void WriteValue(DataWriter& w, const ValueData& v, int32_t status) {
  w.WriteInteger(status);
  w.WriteInteger(v.code);
  if (v.code == 1 || v.code == 2) {
    w.WriteString(v.text);
  } else if (v.code == 3) {
    w.WriteInteger(v.number);
  } else {
    w.WriteInteger(static_cast<int32_t>(v.bytes.size()));
    w.WriteRaw(v.bytes.data(), v.bytes.size());
  }
}

// A file record as stored, after its status; old-form records carry no versions.
struct FileData {
  int32_t time = 0, size = 0, attributes = 0, high = 0, low = 0;
  bool operator==(const FileData&) const = default;
};

FileData ReadFile(DataReader& r, bool withVersion) {
  FileData f;
  r.ReadInteger();  // status
  f.time = r.ReadInteger();
  f.size = r.ReadInteger();
  f.attributes = r.ReadInteger();
  if (withVersion) {
    f.high = r.ReadInteger();
    f.low = r.ReadInteger();
  }
  return f;
}

void WriteFile(DataWriter& w, const FileData& f, int32_t status) {
  w.WriteInteger(status);
  w.WriteInteger(f.time);
  w.WriteInteger(f.size);
  w.WriteInteger(f.attributes);
  w.WriteInteger(f.high);
  w.WriteInteger(f.low);
}

// What every section comparison shares: both readers, the section's value block,
// the pending buffer and the path of the level being compared.
//
// A node's Data is where its record group will stand in the block: the block's
// position plus the pending buffer's at the moment the node gets its first record.
// Copies of new and deleted subtrees wait in the pending buffer until the subtree
// merge of their level has ended; member records are counted and written behind
// their count. Everything pending is appended before a group that follows it.
class SectionCompare {
 public:
  SectionCompare(DataReader& oldReader, DataReader& newReader, Tree& result, const char* blockHeader,
                 const char* readErrorPrefix)
      : o_(oldReader), n_(newReader), result_(result), read_error_prefix_(readErrorPrefix) {
    block_.WriteString(blockHeader);
  }

  // Writes the section's result tree and block into the result file.
  void WriteResult(DataWriter& out, int64_t& treePos, int64_t& blockStart, bool storeImages) {
    out.Flush();
    treePos = out.Position();
    SaveTree(std::string(), &out, result_, false, true, storeImages);
    block_.Flush();
    out.WriteInteger(static_cast<int32_t>(block_stream_.Size()));
    out.Flush();
    blockStart = out.Position();
    out.WriteRaw(block_stream_.Bytes().data(), block_stream_.Bytes().size());
  }

 protected:
  int32_t NextGroupOffset() { return static_cast<int32_t>(block_.Position() + pending_.Position()); }

  void SetDataIfZero(TreeNode* node) {
    if (node->Data() == 0) node->SetData(NextGroupOffset());
  }

  void AppendPending() {
    pending_.Flush();
    block_.WriteRaw(pending_stream_.Bytes().data(), pending_stream_.Bytes().size());
    pending_stream_.Clear();
    pending_.SetPosition(0);
  }

  // The member records of a level: their count, then the records.
  void FinishMembers() {
    if (records_ > 0) {
      block_.WriteInteger(records_);
      AppendPending();
    }
    records_ = 0;
  }

  // The merge of two counted name sequences stored in the same order. Handlers read
  // the entry's own data before the next name is read, so both streams stay in step.
  template <typename Both, typename NewOnly, typename OldOnly, typename Step>
  void Merge(Both both, NewOnly newOnly, OldOnly oldOnly, Step step) {
    const int32_t oldCount = o_.ReadCount(kMinElement);
    const int32_t newCount = n_.ReadCount(kMinElement);
    int32_t oi = 0, ni = 0;
    std::string oldName, newName;
    bool oldEnd = ReadNextStr(o_, oldName, oldCount, oi, read_error_prefix_);
    bool newEnd = ReadNextStr(n_, newName, newCount, ni, read_error_prefix_);
    while (!oldEnd || !newEnd) {
      step(oldCount, newCount, oi, ni);
      if (!oldEnd && !newEnd) {
        const int c = CompareEntryNames(oldName, newName);
        if (c == 0) {
          both(newName);
          oldEnd = ReadNextStr(o_, oldName, oldCount, oi, read_error_prefix_);
          newEnd = ReadNextStr(n_, newName, newCount, ni, read_error_prefix_);
        } else if (c > 0) {
          newOnly(newName);
          newEnd = ReadNextStr(n_, newName, newCount, ni, read_error_prefix_);
        } else {
          oldOnly(oldName);
          oldEnd = ReadNextStr(o_, oldName, oldCount, oi, read_error_prefix_);
        }
      } else if (!newEnd) {
        newOnly(newName);
        newEnd = ReadNextStr(n_, newName, newCount, ni, read_error_prefix_);
      } else {
        oldOnly(oldName);
        oldEnd = ReadNextStr(o_, oldName, oldCount, oi, read_error_prefix_);
      }
    }
  }

  template <typename Both, typename NewOnly, typename OldOnly>
  void Merge(Both both, NewOnly newOnly, OldOnly oldOnly) {
    Merge(both, newOnly, oldOnly, [](int32_t, int32_t, int32_t, int32_t) {});
  }

  // The node of the current path, made when missing (a path node: images 0/1).
  TreeNode* PathNode() { return FindOrCreatePath(path_, result_, 0, stNeutral, 1); }

  // A new or deleted child of the current path, with its group's offset.
  TreeNode* AddedOrRemovedChild(const std::string& name, int32_t state, int32_t image, int32_t selected) {
    TreeNode* parent = PathNode();
    TreeNode* node = parent->FindChild(name);
    if (node == nullptr) node = parent->AddChild(name);
    node->SetImageIndex(image);
    node->SetSelectedIndex(selected);
    node->SetStateIndex(state);
    node->SetData(NextGroupOffset());
    return node;
  }

  DataReader& o_;
  DataReader& n_;
  Tree& result_;
  platform::MemoryStream block_stream_;
  DataWriter block_{block_stream_};
  platform::MemoryStream pending_stream_;
  DataWriter pending_{pending_stream_};
  std::vector<std::string> path_;
  int32_t records_ = 0;
  int depth_ = 0;
  std::string read_error_prefix_;
};

// ---------------------------------------------------------------- registry

class RegistryCompare : public SectionCompare {
 public:
  RegistryCompare(DataReader& o, DataReader& n, Tree& selection, Tree& result)
      : SectionCompare(o, n, result, kValuesHeader, "ERROR in ReadNextStr:"), selection_(selection) {}

  void Run() {
    result_.Clear();
    TreeNode* top = result_.AddTop(kRegistryTop);
    top->SetImageIndex(2);
    top->SetSelectedIndex(2);
    path_ = {kRegistryTop};
    o_.ReadListBegin();
    n_.ReadListBegin();
    bool oldEnd, newEnd;
    std::string oldName = NextRoot(o_, oldEnd), newName = NextRoot(n_, newEnd);
    while (!oldEnd || !newEnd) {
      if (!oldEnd && !newEnd && oldName == newName) {
        Status(" Vergleiche Registry :" + oldName);
        UI().SetStatusPosition(StatusControl::ProgressBar1, 0);
        KeepAlive();
        path_.push_back(newName);
        PathNode();
        CompareKey(true);
        path_.pop_back();
        oldName = NextRoot(o_, oldEnd);
        newName = NextRoot(n_, newEnd);
      } else if ((!oldEnd && !newEnd && newName < oldName) || (oldEnd && !newEnd)) {
        RootOnOneSide(newName, stAdded, n_);
        newName = NextRoot(n_, newEnd);
      } else {
        RootOnOneSide(oldName, stRemoved, o_);
        oldName = NextRoot(o_, oldEnd);
      }
    }
    o_.ReadListEnd();
    n_.ReadListEnd();
    Status(" Status");
    Progress(0, 0);
  }

 private:
  static std::string NextRoot(DataReader& r, bool& end) {
    end = r.EndOfList();
    return end ? std::string(" ") : platform::UpperCase(r.ReadString());
  }

  // A root key stored on one side only: its node shows it; no records are written.
  void RootOnOneSide(const std::string& name, int32_t state, DataReader& side) {
    path_.push_back(name);
    FindOrCreatePath(path_, result_, 0, state, 1);
    path_.pop_back();
    CopyKey(side, nullptr, 0);
  }

  int32_t StateOf(const std::string& name, bool filter) {
    return filter ? GetSelectionState(path_, name, selection_) : stChecked;
  }

  void CompareKey(bool filter) {
    ++depth_;
    Merge(
        [&](const std::string& name) {
          const int32_t state = StateOf(name, filter);
          if (state == stUnchecked) {
            CopyKey(o_, nullptr, 0);
            CopyKey(n_, nullptr, 0);
            return;
          }
          path_.push_back(name);
          CompareKey(state == stPartial);
          path_.pop_back();
        },
        [&](const std::string& name) { KeyOnOneSide(name, StateOf(name, filter), n_, stAdded, rsNew); },
        [&](const std::string& name) { KeyOnOneSide(name, StateOf(name, filter), o_, stRemoved, rsDeleted); },
        [&](int32_t, int32_t newCount, int32_t oldIndex, int32_t) {
          if (depth_ != 1) return;
          Progress(newCount, oldIndex);
        });
    AppendPending();
    CompareValues();
    --depth_;
  }

  void KeyOnOneSide(const std::string& name, int32_t selectionState, DataReader& side, int32_t state,
                    int32_t status) {
    if (selectionState == stUnchecked) {
      CopyKey(side, nullptr, 0);
      return;
    }
    TreeNode* node = AddedOrRemovedChild(name, state, 0, 1);
    node->SetHasChildren(CopyKey(side, &pending_, status));
  }

  TreeNode* ChangedKeyNode() {
    TreeNode* node = PathNode();
    node->SetSelectedIndex(1);
    node->SetStateIndex(stMembersChanged);
    SetDataIfZero(node);
    return node;
  }

  void CompareValues() {
    records_ = 0;
    Merge(
        [&](const std::string& name) {
          const ValueData oldValue = ReadValue(o_);
          const ValueData newValue = ReadValue(n_);
          if (SameValue(oldValue, newValue)) return;
          ChangedKeyNode();
          pending_.WriteString(name);
          WriteValue(pending_, oldValue, rsOldOfAltered);
          pending_.WriteString(name);
          WriteValue(pending_, newValue, rsNewOfAltered);
          records_ += 2;
        },
        [&](const std::string& name) { ValueOnOneSide(name, n_, rsNew); },
        [&](const std::string& name) { ValueOnOneSide(name, o_, rsDeleted); });
    FinishMembers();
  }

  void ValueOnOneSide(const std::string& name, DataReader& side, int32_t status) {
    ChangedKeyNode();
    pending_.WriteString(name);
    CopyValue(side, &pending_, status);
    records_ += 1;
  }

  Tree& selection_;
};

// ---------------------------------------------------------------- drives

class DriveCompare : public SectionCompare {
 public:
  DriveCompare(DataReader& o, DataReader& n, Tree& selection, Tree& result,
               const std::vector<std::string>& noCheck)
      : SectionCompare(o, n, result, kFilesHeader, "ERROR in ReadNextStr:"),
        selection_(selection),
        no_check_(noCheck) {}

  void Run(const std::string& oldFile, const std::string& newFile) {
    Progress(0, 0);
    Status(" Vergleiche Dateistruktur");
    KeepAlive();
    old_versions_ = ReadHeader(o_, "Fehler: %s\rDies ist keine Dateistruktur-Datei: OldFile", oldFile);
    new_versions_ = ReadHeader(n_, "Fehler: %s\rDies ist keine Dateistruktur-Datei: NewFile", newFile);

    result_.Clear();
    TreeNode* top = result_.AddTop(kDrivesTop);
    top->SetImageIndex(2);
    top->SetSelectedIndex(2);
    path_ = {kDrivesTop};
    o_.ReadListBegin();
    n_.ReadListBegin();
    bool oldEnd, newEnd;
    std::string oldText = NextDrive(o_, oldEnd), newText = NextDrive(n_, newEnd);
    while (!oldEnd || !newEnd) {
      if (!oldEnd && !newEnd && oldText[0] == newText[0]) {
        path_.push_back(newText);
        TreeNode* node = PathNode();
        const int32_t image = n_.ReadInteger();
        o_.ReadInteger();
        node->SetImageIndex(image);
        node->SetSelectedIndex(image);
        depth_ = 0;
        CompareFolder(true);
        path_.pop_back();
        oldText = NextDrive(o_, oldEnd);
        newText = NextDrive(n_, newEnd);
      } else if ((!oldEnd && !newEnd && newText[0] < oldText[0]) || (oldEnd && !newEnd)) {
        DriveOnOneSide(newText, stAdded, n_, new_versions_);
        newText = NextDrive(n_, newEnd);
      } else {
        DriveOnOneSide(oldText, stRemoved, o_, old_versions_);
        oldText = NextDrive(o_, oldEnd);
      }
    }
    Status(" Status");
    Progress(0, 0);
    KeepAlive();
    o_.ReadListEnd();
    n_.ReadListEnd();
  }

 private:
  static bool ReadHeader(DataReader& r, const char* message, const std::string& fileName) {
    const std::string header = r.ReadString();
    if (header != kDrivesHeader && header != kDrivesHeader2)
      throw EDataFileError(FormatMsg(tr(message), {fileName}));
    return header == kDrivesHeader2;
  }

  static std::string NextDrive(DataReader& r, bool& end) {
    end = r.EndOfList();
    if (end) return " ";
    std::string text = r.ReadString();
    return text.empty() ? std::string(" ") : text;
  }

  void DriveOnOneSide(const std::string& text, int32_t state, DataReader& side, bool withVersion) {
    const int32_t image = side.ReadInteger();
    path_.push_back(text);
    TreeNode* node = FindOrCreatePath(path_, result_, 0, state, 1);
    path_.pop_back();
    node->SetImageIndex(image);
    node->SetSelectedIndex(image);
    CopyDirTree(side, nullptr, 0, withVersion);
  }

  int32_t StateOf(const std::string& name, bool filter) {
    return filter ? GetSelectionState(path_, name, selection_) : stChecked;
  }

  void CompareFolder(bool filter) {
    ++depth_;
    Status(" Vergleiche Dateistruktur - " + path_[1]);
    KeepAlive();
    Merge(
        [&](const std::string& name) {
          const int32_t state = StateOf(name, filter);
          if (state == stUnchecked) {
            CopyDirTree(o_, nullptr, 0, old_versions_);
            CopyDirTree(n_, nullptr, 0, new_versions_);
            return;
          }
          path_.push_back(name);
          CompareFolder(state == stPartial);
          path_.pop_back();
        },
        [&](const std::string& name) {
          FolderOnOneSide(name, StateOf(name, filter), n_, new_versions_, stAdded, rsNew);
        },
        [&](const std::string& name) {
          FolderOnOneSide(name, StateOf(name, filter), o_, old_versions_, stRemoved, rsDeleted);
        },
        [&](int32_t, int32_t newCount, int32_t oldIndex, int32_t newIndex) {
          if (depth_ != 1) return;
          Progress(newCount, (oldIndex + newIndex) / 2);
        });
    AppendPending();
    CompareFiles();
    if (depth_ == 1) {
      UI().SetStatusPosition(StatusControl::ProgressBar1, 0);
      Status(" Status");
      KeepAlive();
    }
    --depth_;
  }

  void FolderOnOneSide(const std::string& name, int32_t selectionState, DataReader& side, bool withVersion,
                       int32_t state, int32_t status) {
    if (selectionState == stUnchecked) {
      CopyDirTree(side, nullptr, 0, withVersion);
      return;
    }
    TreeNode* node = AddedOrRemovedChild(name, state, 0, 0);
    node->SetHasChildren(CopyDirTree(side, &pending_, status, withVersion));
  }

  TreeNode* ChangedFolderNode() {
    TreeNode* node = PathNode();
    node->SetStateIndex(stMembersChanged);
    SetDataIfZero(node);
    return node;
  }

  void CompareFiles() {
    records_ = 0;
    Merge(
        [&](const std::string& name) {
          const FileData oldFile = ReadFile(o_, old_versions_);
          const FileData newFile = ReadFile(n_, new_versions_);
          if (oldFile == newFile || IsNoCheckFile(no_check_, path_, name)) return;
          ChangedFolderNode();
          pending_.WriteString(name);
          WriteFile(pending_, oldFile, rsOldOfAltered);
          pending_.WriteString(name);
          WriteFile(pending_, newFile, rsNewOfAltered);
          records_ += 2;
        },
        [&](const std::string& name) { FileOnOneSide(name, n_, new_versions_, rsNew); },
        [&](const std::string& name) { FileOnOneSide(name, o_, old_versions_, rsDeleted); });
    FinishMembers();
  }

  void FileOnOneSide(const std::string& name, DataReader& side, bool withVersion, int32_t status) {
    if (IsNoCheckFile(no_check_, path_, name)) {
      CopyFileRecord(side, nullptr, 0, withVersion);
      return;
    }
    ChangedFolderNode();
    pending_.WriteString(name);
    CopyFileRecord(side, &pending_, status, withVersion);
    records_ += 1;
  }

  Tree& selection_;
  const std::vector<std::string>& no_check_;
  bool old_versions_ = true;
  bool new_versions_ = true;
};

// ---------------------------------------------------------------- system files

class SystemCompare : public SectionCompare {
 public:
  SystemCompare(DataReader& o, DataReader& n, Tree& selection, Tree& result, const KindImages& images)
      : SectionCompare(o, n, result, kSystemFilesHeader, "FEHLER in ReadNextStr:"),
        selection_(selection),
        images_(images) {}

  void Run(const std::string& oldFile, const std::string& newFile) {
    Progress(100, 0);
    Status("  Vergleiche Systemdateien");
    KeepAlive();
    ReadHeader(o_, "FEHLER: %s\rDies ist kein System-File: OldFile", oldFile);
    ReadHeader(n_, "FEHLER: %s\rDies ist kein System-File: NewFile", newFile);

    result_.Clear();
    result_.AddTop(kSystemTop);
    path_ = {kSystemTop};
    o_.ReadListBegin();
    n_.ReadListBegin();
    bool oldEnd, newEnd;
    std::string oldName = NextFile(o_, oldEnd), newName = NextFile(n_, newEnd);
    while (!oldEnd || !newEnd) {
      if (!oldEnd && !newEnd && oldName == newName) {
        Status("  Vergleiche Systemdateien : " + newName);
        Progress(100, 0);
        KeepAlive();
        const int kind = KindOf(newName);
        path_.push_back(newName);
        FindOrCreatePath(path_, result_, KindImage(kind), stNeutral, KindImage(kind));
        if (IsIniKind(kind)) CompareSections(kind);
        else CompareEntries(kind);
        path_.pop_back();
        oldName = NextFile(o_, oldEnd);
        newName = NextFile(n_, newEnd);
      } else if ((!oldEnd && !newEnd && newName < oldName) || (oldEnd && !newEnd)) {
        FileOnOneSide(newName, stAdded, n_);
        newName = NextFile(n_, newEnd);
      } else {
        FileOnOneSide(oldName, stRemoved, o_);
        oldName = NextFile(o_, oldEnd);
      }
    }
    Status(" Status");
    Progress(100, 0);
    KeepAlive();
    o_.ReadListEnd();
    n_.ReadListEnd();
  }

 private:
  static void ReadHeader(DataReader& r, const char* message, const std::string& fileName) {
    if (r.ReadString() != kSystemFilesHeader) throw EDataFileError(FormatMsg(tr(message), {fileName}));
  }

  static std::string NextFile(DataReader& r, bool& end) {
    end = r.EndOfList();
    return end ? std::string(" ") : platform::UpperCase(r.ReadString());
  }

  static int KindOf(const std::string& name) {
    std::string path;
    return FileKindOf(name, path, std::string());
  }

  int32_t KindImage(int kind) const { return IsIniKind(kind) ? images_.Ini : images_.Text; }

  void FileOnOneSide(const std::string& name, int32_t state, DataReader& side) {
    const int kind = KindOf(name);
    path_.push_back(name);
    FindOrCreatePath(path_, result_, KindImage(kind), state, KindImage(kind));
    path_.pop_back();
    CopySysTree(side, nullptr, 0, IsIniKind(kind), kind);
  }

  void CompareSections(int kind) {
    Merge(
        [&](const std::string& name) {
          const int32_t state = GetSelectionState(path_, name, selection_);
          if (state == stUnchecked) {
            CopySysTree(o_, nullptr, 0, false, kind);
            CopySysTree(n_, nullptr, 0, false, kind);
            return;
          }
          // Copies of new and deleted sections found so far go to the block first, so
          // that this section's count stands right before its own records.
          AppendPending();
          path_.push_back(name);
          CompareEntries(kind);
          path_.pop_back();
        },
        [&](const std::string& name) { SectionOnOneSide(name, kind, n_, stAdded, rsNew); },
        [&](const std::string& name) { SectionOnOneSide(name, kind, o_, stRemoved, rsDeleted); });
    AppendPending();
  }

  void SectionOnOneSide(const std::string& name, int kind, DataReader& side, int32_t state, int32_t status) {
    if (GetSelectionState(path_, name, selection_) == stUnchecked) {
      CopySysTree(side, nullptr, 0, false, kind);
      return;
    }
    FindOrCreatePath(path_, result_, KindImage(kind), stNeutral, KindImage(kind));
    TreeNode* node = AddedOrRemovedChild(name, state, images_.Text, images_.Text);
    CopySysTree(side, &pending_, status, false, kind);
    node->SetHasChildren(false);
  }

  TreeNode* ChangedNode(int kind) {
    TreeNode* node = FindOrCreatePath(path_, result_, KindImage(kind), stNeutral, KindImage(kind));
    node->SetStateIndex(stMembersChanged);
    SetDataIfZero(node);
    return node;
  }

  void CompareEntries(int kind) {
    records_ = 0;
    std::string lastKeyOnBothSides;
    Merge(
        [&](const std::string& name) {
          if (!IsIniKind(kind)) {  // a line on both sides is unchanged wherever it moved
            o_.ReadInteger();
            o_.ReadInteger();
            n_.ReadInteger();
            n_.ReadInteger();
            return;
          }
          o_.ReadInteger();
          const std::string oldValue = o_.ReadString();
          n_.ReadInteger();
          const std::string newValue = n_.ReadString();
          const bool repeated = !name.empty() && name == lastKeyOnBothSides;
          lastKeyOnBothSides = name;
          if (platform::SameTextLocale(oldValue, newValue)) return;
          TreeNode* node = ChangedNode(kind);
          if (repeated)
            MessageDlg(tr("Nicht INI-gerechten Wert gefunden :") + NodePath(*node, true, false) + "\\" + name +
                           tr("\rDiese Werte können nicht in Installdateien exportiert werden"),
                       mtWarning, mbOK);
          pending_.WriteString(name);
          pending_.WriteInteger(rsOldOfAltered);
          pending_.WriteString(oldValue);
          pending_.WriteString(name);
          pending_.WriteInteger(rsNewOfAltered);
          pending_.WriteString(newValue);
          records_ += 2;
        },
        [&](const std::string& name) { EntryOnOneSide(name, kind, n_, rsNew); },
        [&](const std::string& name) { EntryOnOneSide(name, kind, o_, rsDeleted); });
    FinishMembers();
  }

  void EntryOnOneSide(const std::string& name, int kind, DataReader& side, int32_t status) {
    ChangedNode(kind);
    pending_.WriteString(name);
    CopySysEntry(side, &pending_, status, kind);
    records_ += 1;
  }

  Tree& selection_;
  KindImages images_;
};

// ---------------------------------------------------------------- the whole

// The program's own files stand in the no-check list while the drives are compared.
class NoCheckScope {
 public:
  explicit NoCheckScope(std::vector<std::string>& list) : list_(list), size_(list.size()) {}
  void Add(const std::string& path) { list_.push_back(path); }
  ~NoCheckScope() {
    if (list_.size() > size_) list_.resize(size_);
  }

 private:
  std::vector<std::string>& list_;
  size_t size_;
};

void CheckHeaders(DataReader& o, DataReader& n, const std::string& oldFile, const std::string& newFile) {
  try {
    const std::string oldHeader = o.ReadString();
    const std::string newHeader = n.ReadString();
    if (oldHeader == kRegistrationHeaderV2 || newHeader == kRegistrationHeaderV2) {
      MessageDlg(tr("Diese Version des Programmes verarbeitet keine *.TSD der Versionen 1.4 oder früher!"),
                 mtError, mbOK);
      throw EAbort();
    }
    for (const auto& [header, file] : {std::pair{oldHeader, oldFile}, std::pair{newHeader, newFile}}) {
      if (header != kRegistrationHeader) {
        MessageDlg(FormatMsg(tr("Error: %s\rDies ist keine gültige Datei, oder eine inkompatible Version "), {file}),
                   mtError, mbOK);
        throw EAbort();
      }
    }
  } catch (const std::exception&) {
    MessageDlg(tr("Fehler beim Einlesen der Dateien, Abbruch"), mtError, mbOK);
    throw EAbort();
  }
}

}  // namespace

void CompareConfigurations(const std::string& oldFile, const std::string& newFile,
                           const std::string& resultFile, const CompareTrees& trees,
                           std::vector<std::string>& noCheck, const KindImages& images,
                           ResultFileInfo& info) {
  platform::FileStream oldStream(oldFile, platform::FileStream::Mode::Read);
  platform::FileStream newStream(newFile, platform::FileStream::Mode::Read);
  platform::FileStream resultStream(resultFile, platform::FileStream::Mode::Create);
  DataReader o(oldStream);
  DataReader n(newStream);
  DataWriter out(resultStream);
  TreeUpdateScope s1(trees.RegistryResult), s2(trees.DriveResult), s3(trees.SystemResult);
  NoCheckScope ownFiles(noCheck);

  CheckHeaders(o, n, oldFile, newFile);

  ResultFileInfo result;
  result.FileName = resultFile;
  result.Versions = true;
  out.WriteString(kResultHeader2);

  RegistryCompare registry(o, n, trees.RegistrySelection, trees.RegistryResult);
  registry.Run();
  SaveSelectionFile(std::string(), &out, trees.RegistrySelection, trees.DriveSelection, trees.SystemSelection,
                    noCheck);
  registry.WriteResult(out, result.RegistryTreePos, result.RegistryBlockStart, true);

  ownFiles.Add(oldFile);
  ownFiles.Add(newFile);
  ownFiles.Add(resultFile);

  DriveCompare drives(o, n, trees.DriveSelection, trees.DriveResult, noCheck);
  drives.Run(oldFile, newFile);
  drives.WriteResult(out, result.DriveTreePos, result.DriveBlockStart, true);

  SystemCompare system(o, n, trees.SystemSelection, trees.SystemResult, images);
  system.Run(oldFile, newFile);
  system.WriteResult(out, result.SystemTreePos, result.SystemBlockStart, false);
  out.Flush();
  info = result;
}
