#include "app/result_lists.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "model/data_codes.h"
#include "model/system_file_kind.h"
#include "model/treetool.h"
#include "model/value_record.h"
#include "platform/files.h"
#include "platform/names.h"
#include "platform/text.h"

namespace {

// The index of a file's small icon in the system's image list: the file's own when it
// exists and asked for, else the one registered for its extension; -1 when none.
int32_t FileIcon(const std::string& path, bool own) {
  SHFILEINFOW info{};
  const std::wstring wide = platform::Utf8ToWide(path);
  if (own && platform::FileExists(path) &&
      SHGetFileInfoW(wide.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
    return info.iIcon;
  if (SHGetFileInfoW(wide.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
    return info.iIcon;
  return -1;
}

}  // namespace

void FillResultValueList(const ResultFileInfo& info, const TreeNode& node, ListModel& list,
                         const std::string& defaultText, const std::string& emptyText) {
  list.Clear();
  for (NodeRecord& rec : ReadNodeRecords(info, ResultSection::Registry, node)) {
    ListRow row;
    row.Caption = rec.Name.empty() ? defaultText : rec.Name;
    if (rec.Name.empty()) row.RawName = std::string();
    row.SubItems = {ValueDisplayText(rec.Value, emptyText)};
    row.Status = rec.Status;
    row.Image = ValueImage(rec.Value);
    list.Add(std::move(row));
  }
}

void FillResultFileList(const ResultFileInfo& info, const TreeNode& node, ListModel& list) {
  list.Clear();
  std::string folder = NodePath(node, true, true);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  for (NodeRecord& rec : ReadNodeRecords(info, ResultSection::Drives, node)) {
    ListRow row;
    row.Caption = rec.Name;
    FillFileColumns(row, rec.File.Time, rec.File.Size, rec.File.Attributes);
    if (info.Versions) AddVersionColumn(row, rec.File.VersionHigh, rec.File.VersionLow);
    row.Status = rec.Status;
    const int32_t code = StateCode(rec.Status);
    row.Image = FileIcon(folder + rec.Name, code == rsNew || code == rsOldOfAltered || code == rsNewOfAltered);
    list.Add(std::move(row));
  }
}

void FillResultSystemList(const ResultFileInfo& info, const TreeNode& node, ListModel& list) {
  list.Clear();
  int kind = -1;
  try {
    kind = SystemKindOfNode(node);
  } catch (const std::exception&) {
    return;  // an entry of unknown kind has nothing to list
  }
  if (kind < 0) return;
  std::vector<NodeRecord> records = ReadNodeRecords(info, ResultSection::SystemFiles, node, kind);
  // By text; an altered entry's two rows keep their order.
  std::stable_sort(records.begin(), records.end(), [](const NodeRecord& a, const NodeRecord& b) {
    return platform::CompareNames(a.Name, b.Name) < 0;
  });
  for (NodeRecord& rec : records) {
    ListRow row;
    row.Caption = rec.Name;
    row.SubItems = {IsIniKind(kind) ? rec.Entry.Value : "Zeile: " + std::to_string(rec.Entry.LineIndex + 1)};
    row.Status = rec.Status;
    list.Add(std::move(row));
  }
}
