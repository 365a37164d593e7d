#include "app/selection_lists.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "core/translate.h"
#include "model/tree_images.h"
#include "model/system_file_kind.h"
#include "model/treetool.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/locale_format.h"
#include "platform/text_file.h"
#include "result/result_file.h"
#include "snapshot/selection_trees.h"
#include "platform/names.h"
#include "platform/text.h"

namespace {

struct RawValue {
  std::wstring name;
  DWORD type = 0;
  std::vector<BYTE> data;
  bool readable = true;
};

std::vector<RawValue> ReadValues(HKEY key) {
  std::vector<RawValue> values;
  DWORD count = 0, maxName = 0, maxData = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData, nullptr,
                       nullptr) != ERROR_SUCCESS)
    return values;
  for (DWORD i = 0; i < count; ++i) {
    std::wstring name(maxName + 2, L'\0');
    RawValue v;
    v.data.resize(maxData + 2);
    DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(v.data.size());
    LONG rc = RegEnumValueW(key, i, name.data(), &nameLen, nullptr, &v.type, v.data.data(), &dataLen);
    if (rc == ERROR_MORE_DATA) {  // grew meanwhile: the name at least
      nameLen = static_cast<DWORD>(name.size());
      rc = RegEnumValueW(key, i, name.data(), &nameLen, nullptr, nullptr, nullptr, nullptr);
      v.readable = false;
    }
    if (rc != ERROR_SUCCESS) continue;
    v.name.assign(name.data(), nameLen);
    v.data.resize(v.readable ? dataLen : 0);
    values.push_back(std::move(v));
  }
  // Sorted by name: the unnamed value (an empty name) comes first.
  platform::SortByName(values, [](const RawValue& v) { return std::wstring_view(v.name); });
  return values;
}

std::string DataText(const RawValue& v, const std::string& emptyText, int32_t& image) {
  if (!v.readable) return tr("Fehler beim Zugriff auf die Registry");
  if (v.type == REG_SZ || v.type == REG_EXPAND_SZ || (v.type == REG_NONE && v.name.empty() && v.data.empty())) {
    image = imgStringValue;
    std::wstring text(reinterpret_cast<const wchar_t*>(v.data.data()), v.data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text.empty() ? emptyText : platform::WideToUtf8(text);
  }
  if (v.type == REG_DWORD && v.data.size() >= 4) {
    image = imgIntegerValue;
    int32_t n;
    std::memcpy(&n, v.data.data(), 4);
    char text[40];
    std::snprintf(text, sizeof text, "$%08X   (%d)", static_cast<unsigned>(n), n);
    return text;
  }
  image = imgBinaryValue;
  std::string text = FormatMsg("Binary(%d), %d bytes: ", {std::to_string(v.type), std::to_string(v.data.size())});
  static const char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < v.data.size() && i < 201; ++i) {
    if (i > 0) text += ' ';
    text += kHex[v.data[i] >> 4];
    text += kHex[v.data[i] & 15];
  }
  return text;
}

// The key of a registry node (level 1 or deeper) opened with access; null when it
// cannot be opened (error says why).
HKEY OpenNodeKey(const TreeNode& node, REGSAM access, LONG& error) {
  error = ERROR_FILE_NOT_FOUND;
  HKEY rootKey = nullptr;
  std::string path;
  if (!RegistryKeyOf(node, rootKey, path)) return nullptr;
  HKEY key = nullptr;
  error = RegOpenKeyExW(rootKey, platform::Utf8ToWide(path).c_str(), 0, access, &key);
  return error == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

bool RegistryKeyOf(const TreeNode& node, HKEY& root, std::string& path) {
  if (node.Level() < RootKeyLevel) return false;
  const TreeNode* top = &node;
  while (top->Level() > RootKeyLevel) top = top->Parent();
  root = RootKeyByIndex(RootKeyIndex(top->Text()));
  path = NodePath(node, false, false);
  return root != nullptr;
}

void CreateRegistryKey(const TreeNode& node, const std::string& name) {
  HKEY root = nullptr;
  std::string path;
  if (!RegistryKeyOf(node, root, path)) return;
  const std::string full = path.empty() ? name : path + "\\" + name;
  const std::string shown = NodePath(node, true, false) + "\\" + name;
  if (name.find('\\') != std::string::npos)
    throw EMyRegistryException(FormatMsg(tr("Ungültiger Schlüsselname: '%s'"), {name}));
  HKEY key = nullptr;
  DWORD made = 0;
  const LONG rc = RegCreateKeyExW(root, platform::Utf8ToWide(full).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ, nullptr, &key, &made);
  if (rc != ERROR_SUCCESS)
    throw EMyRegistryException(FormatMsg(tr("Erzeugung von Schlüssel %s misslungen"), {shown}) + "\r" +
                               platform::ErrorText(static_cast<uint32_t>(rc)));
  RegCloseKey(key);
  if (made == REG_OPENED_EXISTING_KEY)
    throw EMyRegistryException(FormatMsg(tr("Der Schlüssel %s existiert bereits"), {shown}));
}

void DeleteRegistryKey(const TreeNode& node) {
  HKEY root = nullptr;
  std::string path;
  if (node.Level() <= RootKeyLevel || !RegistryKeyOf(node, root, path))
    throw EQuitawayError(tr("Dieser Eintrag kann nicht gelöscht werden"));
  TMyRegistry registry(raFull);
  registry.SetRootKey(root);
  if (!registry.DeleteKey("\\" + path))
    throw EMyRegistryException(
        FormatMsg(tr("Der Schlüssel %s konnte nicht gelöscht werden"), {NodePath(node, true, false)}));
}

void FillRegistryValueList(const TreeNode& node, ListModel& list, const std::string& defaultText,
                           const std::string& emptyText) {
  list.Clear();
  LONG error = 0;
  HKEY key = OpenNodeKey(node, KEY_READ, error);
  if (key == nullptr) return;
  const std::vector<RawValue> values = ReadValues(key);
  RegCloseKey(key);
  if (values.empty()) {
    ListRow row;
    row.Caption = defaultText;
    row.SubItems = {emptyText};
    row.Image = imgStringValue;
    row.Data = rvNone;
    list.Add(std::move(row));
    return;
  }
  for (const RawValue& v : values) {
    ListRow row;
    row.Caption = v.name.empty() ? defaultText : platform::WideToUtf8(v.name);
    row.Data = v.name.empty() ? rvUnnamed : rvNamed;
    row.SubItems = {DataText(v, emptyText, row.Image)};
    list.Add(std::move(row));
  }
}

bool RawValueName(const ListRow& row, std::string& name) {
  if (row.Data == rvNone) return false;
  name = row.Data == rvUnnamed ? std::string() : row.Caption;
  return true;
}

void DeleteRegistryValues(const TreeNode& node, const std::vector<std::string>& names) {
  LONG error = 0;
  HKEY key = OpenNodeKey(node, KEY_WRITE, error);  // 0x20006
  if (key == nullptr)
    throw EMyRegistryException(
        FormatMsg(tr("Der Schlüssel %s konnte nicht geöffnet werden:\r%s"),
                  {NodePath(node, true, false), platform::ErrorText(static_cast<uint32_t>(error))}));
  for (const std::string& name : names) {
    error = RegDeleteValueW(key, platform::Utf8ToWide(name).c_str());
    if (error != ERROR_SUCCESS) {
      RegCloseKey(key);
      throw EMyRegistryException(FormatMsg(tr("Der Wert %s konnte nicht gelöscht werden:\r%s"),
                                           {name, platform::ErrorText(static_cast<uint32_t>(error))}));
    }
  }
  RegCloseKey(key);
}

void RemoveUserSystemFile(TreeNode& node) {
  int kind = -1;
  try {
    if (node.Level() == 1) kind = KindOfEntry(node.Text());
  } catch (const EQuitawayError&) {
  }
  if (kind != sfUserIni && kind != sfUserText) throw EQuitawayError(tr("Dieser Eintrag kann nicht gelöscht werden"));
  node.Delete();
}

namespace {

uint64_t FileTimeOf(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

}  // namespace

void FillDriveFileList(const TreeNode& node, ListModel& list) {
  list.Clear();
  if (node.Level() < RootKeyLevel) return;
  std::string folder = NodePath(node, true, true);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  struct Found {
    std::wstring name;
    WIN32_FIND_DATAW data;
  };
  std::vector<Found> files;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(platform::Utf8ToWide(folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back({data.cFileName, data});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  platform::SortByName(files, [](const Found& f) { return std::wstring_view(f.name); });
  for (const Found& f : files) {
    ListRow row;
    row.Caption = platform::WideToUtf8(f.name);
    const uint64_t size = (static_cast<uint64_t>(f.data.nFileSizeHigh) << 32) | f.data.nFileSizeLow;
    row.SubItems = {platform::FormatGroupedSize(size),
                    FormatFileTime(platform::PackedLocalTime(FileTimeOf(f.data.ftLastWriteTime))),
                    FormatAttributes(static_cast<int32_t>(f.data.dwFileAttributes))};
    SHFILEINFOW info{};
    if (SHGetFileInfoW(platform::Utf8ToWide(folder + row.Caption).c_str(), 0, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
      row.Image = info.iIcon;
    list.Add(std::move(row));
  }
}

void FillSystemFileList(const TreeNode& node, ListModel& list, const std::string& pathToSystemFiles) {
  list.Clear();
  const TreeNode* fileNode = node.Level() == 2 ? node.Parent() : &node;
  if (fileNode == nullptr || fileNode->Level() != 1) return;
  std::string path;
  const int kind = FileKindOf(fileNode->Text(), path, pathToSystemFiles);
  if (node.Level() == 1 && !IsIniKind(kind)) {
    std::vector<std::string> lines;
    std::string error;
    if (!platform::ReadTextFileLines(path, lines, error)) return;
    int number = 0;
    for (const std::string& line : lines) {
      if (platform::TrimBlanks(line).empty()) continue;
      ListRow row;
      row.Caption = tr("Zeile: ") + std::to_string(++number);
      row.SubItems = {line};
      list.Add(std::move(row));
    }
    return;
  }
  if (node.Level() != 2 || !IsIniKind(kind)) return;
  const std::string section = IniSectionName(node.Text());
  if (section.empty()) {
    ShowMessage(FormatMsg(tr("In Datei '%s' ist ein Abschnitt, dessen Name leer ist.\rDie Werte des Abschnitts "
                             "können nicht gelesen werden"),
                          {path}));
    return;
  }
  for (const auto& [key, value] : platform::ReadIniSection(path, section)) {
    ListRow row;
    row.Caption = key;
    row.SubItems = {value};
    list.Add(std::move(row));
  }
}
