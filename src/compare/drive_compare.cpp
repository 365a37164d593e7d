#include "compare/drive_compare.h"

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "model/copy_records.h"
#include "model/data_codes.h"
#include "model/treetool.h"

namespace {

// Reads a drive header; true for today's form (file records with versions).
bool ReadDrivesHeader(DataReader& r, const char* message, const std::string& fileName) {
  const std::string header = r.ReadString();
  if (header != kDrivesHeader && header != kDrivesHeader2)
    throw EDataFileError(FormatMsg(tr(message), {fileName}));
  return header == kDrivesHeader2;
}

// The next drive text, or a single blank at the list end (drives match by their
// first character).
std::string NextDrive(DataReader& r, bool& end) {
  end = r.EndOfList();
  if (end) return " ";
  std::string text = r.ReadString();
  return text.empty() ? std::string(" ") : text;
}

}  // namespace

DriveCompare::DriveCompare(DataReader& o, DataReader& n, Tree& selection, Tree& result,
                           const std::vector<std::string>& noCheck)
    : NestedCompare(o, n, selection, result, kFilesHeader, "ERROR in ReadNextStr:"), no_check_(noCheck) {}

void DriveCompare::Run(const std::string& oldFile, const std::string& newFile) {
  CompareProgress(0, 0);
  CompareStatus(" Vergleiche Dateistruktur");
  CompareKeepAlive();
  old_versions_ = ReadDrivesHeader(o_, "Fehler: %s\rDies ist keine Dateistruktur-Datei: OldFile", oldFile);
  new_versions_ = ReadDrivesHeader(n_, "Fehler: %s\rDies ist keine Dateistruktur-Datei: NewFile", newFile);

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
      CompareNested(true);
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
  CompareStatus(" Status");
  CompareProgress(0, 0);
  CompareKeepAlive();
  o_.ReadListEnd();
  n_.ReadListEnd();
}

void DriveCompare::DriveOnOneSide(const std::string& text, int32_t state, DataReader& side, bool withVersion) {
  const int32_t image = side.ReadInteger();
  path_.push_back(text);
  TreeNode* node = FindOrCreatePath(path_, result_, 0, state, 1);
  path_.pop_back();
  node->SetImageIndex(image);
  node->SetSelectedIndex(image);
  CopyDirTree(side, nullptr, 0, withVersion);
}

void DriveCompare::SkipChild(DataReader& side) { CopyDirTree(side, nullptr, 0, VersionsOf(side)); }

void DriveCompare::LevelStarted() {
  CompareStatus(" Vergleiche Dateistruktur - " + path_[1]);
  CompareKeepAlive();
}

void DriveCompare::BeforeStep(const NameMerge& merge) {
  CompareProgress(merge.NewCount(), (merge.OldIndex() + merge.NewIndex()) / 2);
}

void DriveCompare::ChildOnOneSide(const std::string& name, int32_t selectionState, bool isNew) {
  DataReader& side = isNew ? n_ : o_;
  if (selectionState == stUnchecked) {
    SkipChild(side);
    return;
  }
  TreeNode* node = AddedOrRemovedChild(name, isNew ? stAdded : stRemoved, 0, 0);
  node->SetHasChildren(CopyDirTree(side, &pending_, isNew ? rsNew : rsDeleted, VersionsOf(side)));
}

TreeNode* DriveCompare::ChangedFolderNode() {
  TreeNode* node = PathNode();
  node->SetStateIndex(stMembersChanged);
  SetDataIfZero(node);
  return node;
}

// The files of the folder just compared; the program's own files (the no-check list)
// never count.
void DriveCompare::LevelFinished() {
  records_ = 0;
  FileData oldFile, newFile;
  MergeNames(
      [&](const std::string& name) {
        ReadFileRecord(o_, old_versions_, oldFile);
        ReadFileRecord(n_, new_versions_, newFile);
        if (oldFile == newFile || IsNoCheckFile(no_check_, path_, name)) return;
        ChangedFolderNode();
        pending_.WriteString(name);
        WriteFileRecord(pending_, rsOldOfAltered, oldFile);
        pending_.WriteString(name);
        WriteFileRecord(pending_, rsNewOfAltered, newFile);
        records_ += 2;
      },
      [&](const std::string& name) { FileOnOneSide(name, n_, rsNew); },
      [&](const std::string& name) { FileOnOneSide(name, o_, rsDeleted); });
  FinishMembers();
  if (depth_ == 1) {
    UI().SetStatusPosition(StatusControl::ProgressBar1, 0);
    CompareStatus(" Status");
    CompareKeepAlive();
  }
}

void DriveCompare::FileOnOneSide(const std::string& name, DataReader& side, int32_t status) {
  if (IsNoCheckFile(no_check_, path_, name)) {
    CopyFileRecord(side, nullptr, 0, VersionsOf(side));
    return;
  }
  ChangedFolderNode();
  pending_.WriteString(name);
  CopyFileRecord(side, &pending_, status, VersionsOf(side));
  records_ += 1;
}
