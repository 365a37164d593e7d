#include "core/registry.h"

#include <algorithm>
#include <cstring>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/translate.h"
#include "platform/names.h"
#include "platform/text.h"

using platform::Utf8ToWide;
using platform::WideToUtf8;

namespace {

[[noreturn]] void Raise(const std::string& message) { throw EMyRegistryException(message); }

[[noreturn]] void RaiseFor(const char* pattern, const std::string& name) {
  Raise(FormatMsg(tr(pattern), {name}));
}

constexpr char kWrongType[] = "Ungültiger Datentyp für '%s'";
constexpr char kReadFailed[] = "Konnte Daten für '%s' nicht holen";
constexpr char kWriteFailed[] = "Konnte Daten für '%s' nicht setzen";

// Deletes name below parent with all its subkeys, depth first. Names are gathered
// before deleting, because deleting shifts the enumeration.
bool DeleteTree(HKEY parent, const std::wstring& name, REGSAM mask) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, name.c_str(), 0, mask, &key) == ERROR_SUCCESS) {
    DWORD count = 0, longest = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    std::vector<std::wstring> children;
    std::vector<wchar_t> buffer(longest + 1);
    for (DWORD i = 0;; ++i) {
      DWORD len = static_cast<DWORD>(buffer.size());
      const LONG rc = RegEnumKeyExW(key, i, buffer.data(), &len, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_MORE_DATA) {  // a name grew meanwhile
        buffer.resize(buffer.size() * 2 + 256);
        --i;
        continue;
      }
      if (rc != ERROR_SUCCESS) break;
      children.emplace_back(buffer.data(), len);
    }
    for (const auto& child : children) DeleteTree(key, child, mask);
    RegCloseKey(key);
  }
  return RegDeleteKeyW(parent, name.c_str()) == ERROR_SUCCESS;
}

std::string JoinPath(const std::string& base, const std::string& rel) {
  if (base.empty()) return rel;
  if (rel.empty()) return base;
  return base + "\\" + rel;
}

}  // namespace

// ---------------------------------------------------------------- type codes

DWORD RegDataTypeToRegType(int code) {
  const int masked = code & 0x7F;
  if (masked > 11) Raise("unknown Datatype of the Registry");
  if (masked == rdInteger) return REG_DWORD;
  if (masked == rdBinary) return REG_BINARY;
  return static_cast<DWORD>(masked);
}

int RegTypeToRegDataType(DWORD type) {
  if (type > 11) Raise("unknown Datatype of the Registry");
  if (type == REG_DWORD) return rdInteger;
  if (type == REG_BINARY) return rdBinary;
  return static_cast<int>(type);
}

// ---------------------------------------------------------------- TMyRegistry

TMyRegistry::~TMyRegistry() {
  CloseKey();
  if (close_root_) RegCloseKey(root_key_);
}

REGSAM TMyRegistry::AccessMask(const char* unknownMessage) const {
  switch (RegAccess) {
    case raRead:
    case raRead2: return kReadMask;
    case raWrite: return kWriteMask;
    case raFull: return kFullMask;
    default: Raise(unknownMessage);
  }
}

void TMyRegistry::SetRootKey(HKEY root) {
  if (root == root_key_) return;
  if (close_root_) {
    RegCloseKey(root_key_);
    close_root_ = false;
  }
  root_key_ = root;
  CloseKey();
}

HKEY TMyRegistry::BaseOf(const TMyRegistry& self, const std::string& path, std::wstring& relative) {
  const bool absolute = !path.empty() && path[0] == '\\';
  relative = Utf8ToWide(absolute ? path.substr(1) : path);
  if (absolute || self.current_key_ == nullptr) return self.root_key_;
  return self.current_key_;
}

HKEY TMyRegistry::OpenOrCreate(const std::string& path, bool create, bool& ok) {
  std::wstring relative;
  HKEY base = BaseOf(*this, path, relative);
  HKEY key = nullptr;
  LONG rc;
  if (create && !relative.empty()) {
    rc = RegCreateKeyExW(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                         AccessMask("unknown Accesstype"), nullptr, &key, nullptr);
  } else {
    rc = RegOpenKeyExW(base, relative.c_str(), 0, AccessMask("unknown Accesstype"), &key);
  }
  ok = rc == ERROR_SUCCESS;
  return key;
}

bool TMyRegistry::OpenKey(const std::string& path, bool create) {
  bool ok = false;
  HKEY key = OpenOrCreate(path, create, ok);
  if (!ok) return false;
  const bool absolute = !path.empty() && path[0] == '\\';
  const bool relativeToKey = !absolute && current_key_ != nullptr;
  const std::string newPath =
      absolute ? path.substr(1) : (relativeToKey ? JoinPath(current_path_, path) : path);
  CloseKey();
  current_key_ = key;
  open_access_ = RegAccess;
  current_path_ = newPath;
  return true;
}

void TMyRegistry::CreateKey(const std::string& path) {
  std::wstring relative;
  HKEY base = BaseOf(*this, path, relative);
  HKEY key = nullptr;
  const LONG rc = RegCreateKeyExW(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  AccessMask("TMyRegistry.CreateKey: unknown Accesstype"), nullptr,
                                  &key, nullptr);
  if (rc != ERROR_SUCCESS) RaiseFor("Erzeugung von Schlüssel %s misslungen", path);
  RegCloseKey(key);
}

void TMyRegistry::CloseKey() {
  if (current_key_ == nullptr) return;
  if (!LazyWrite) RegFlushKey(current_key_);
  RegCloseKey(current_key_);  // released in both cases: a flushed key must not leak
  current_key_ = nullptr;
  current_path_.clear();
}

bool TMyRegistry::DeleteKey(const std::string& path) {
  std::wstring relative;
  HKEY base = BaseOf(*this, path, relative);
  if (relative.empty()) return false;  // never the open key or the root itself
  while (!relative.empty() && relative.back() == L'\\') relative.pop_back();
  return DeleteTree(base, relative, AccessMask("TMyRegistry.GetKey: unknown Accesstype"));
}

bool TMyRegistry::DeleteValue(const std::string& name) {
  HKEY key = current_key_ ? current_key_ : root_key_;
  return RegDeleteValueW(key, Utf8ToWide(name).c_str()) == ERROR_SUCCESS;
}

bool TMyRegistry::KeyExists(const std::string& path) {
  std::wstring relative;
  HKEY base = BaseOf(*this, path, relative);
  HKEY key = nullptr;
  if (RegOpenKeyExW(base, relative.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool TMyRegistry::GetKeyInfo(TRegKeyInfo& info) const {
  info = TRegKeyInfo{};
  HKEY key = current_key_ ? current_key_ : root_key_;
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &info.NumSubKeys, &info.MaxSubKeyLen,
                          nullptr, &info.NumValues, &info.MaxValueLen, &info.MaxDataLen, nullptr,
                          &info.FileTime) == ERROR_SUCCESS;
}

bool TMyRegistry::HasSubKeys() const {
  TRegKeyInfo info;
  return GetKeyInfo(info) && info.NumSubKeys > 0;
}

namespace {

// Names by index up to count; a name longer than reported is read once more with the
// size the registry gives. enumerate(i, buffer, len) is RegEnumKeyExW or RegEnumValueW.
template <typename Enumerate>
void EnumerateNames(DWORD count, DWORD longest, std::vector<std::string>& names, Enumerate enumerate) {
  std::vector<wchar_t> buffer(longest + 1);
  for (DWORD i = 0; i < count; ++i) {
    DWORD len = static_cast<DWORD>(buffer.size());
    LONG rc = enumerate(i, buffer.data(), &len);
    if (rc == ERROR_MORE_DATA) {
      buffer.resize(std::max<size_t>(len + 1, buffer.size() * 2));
      len = static_cast<DWORD>(buffer.size());
      rc = enumerate(i, buffer.data(), &len);
    }
    if (rc != ERROR_SUCCESS) break;
    names.push_back(WideToUtf8(std::wstring_view(buffer.data(), len)));
  }
}

}  // namespace

void TMyRegistry::GetKeyNames(std::vector<std::string>& names) const {
  names.clear();
  TRegKeyInfo info;
  if (!GetKeyInfo(info)) return;
  HKEY key = current_key_ ? current_key_ : root_key_;
  EnumerateNames(info.NumSubKeys, info.MaxSubKeyLen, names, [key](DWORD i, wchar_t* buffer, DWORD* len) {
    return RegEnumKeyExW(key, i, buffer, len, nullptr, nullptr, nullptr, nullptr);
  });
}

void TMyRegistry::GetValueNames(std::vector<std::string>& names) const {
  names.clear();
  TRegKeyInfo info;
  if (!GetKeyInfo(info)) return;
  HKEY key = current_key_ ? current_key_ : root_key_;
  EnumerateNames(info.NumValues, info.MaxValueLen, names, [key](DWORD i, wchar_t* buffer, DWORD* len) {
    return RegEnumValueW(key, i, buffer, len, nullptr, nullptr, nullptr, nullptr);
  });
}

bool TMyRegistry::QueryValue(const std::string& name, DWORD& type, std::vector<uint8_t>& data) const {
  HKEY key = current_key_ ? current_key_ : root_key_;
  const std::wstring wname = Utf8ToWide(name);
  for (int attempt = 0; attempt < 4; ++attempt) {  // the value may grow between the calls
    DWORD size = 0;
    if (RegQueryValueExW(key, wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return false;
    data.resize(size);
    const LONG rc = RegQueryValueExW(key, wname.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
    if (rc == ERROR_SUCCESS) {
      data.resize(size);
      return true;
    }
    if (rc != ERROR_MORE_DATA) return false;
  }
  return false;
}

bool TMyRegistry::ValueExists(const std::string& name) const { return GetDataSize(name) >= 0; }

int TMyRegistry::GetDataType(const std::string& name) const {
  HKEY key = current_key_ ? current_key_ : root_key_;
  DWORD type = 0;
  if (RegQueryValueExW(key, Utf8ToWide(name).c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
    return rdUnknown;
  return RegTypeToRegDataType(type);
}

int TMyRegistry::GetDataSize(const std::string& name) const {
  HKEY key = current_key_ ? current_key_ : root_key_;
  DWORD size = 0;
  if (RegQueryValueExW(key, Utf8ToWide(name).c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return -1;
  return static_cast<int>(size);
}

std::string TMyRegistry::ReadString(const std::string& name, bool expand) const {
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryValue(name, type, data) || data.empty()) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) RaiseFor(kWrongType, name);
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  text.resize(std::wcslen(text.c_str()));  // ends at the first zero
  if (type == REG_EXPAND_SZ && expand) {
    std::vector<wchar_t> expanded(text.size() + 100);
    DWORD n = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    if (n > expanded.size()) {  // longer than the usual margin: ask again with the size needed
      expanded.resize(n);
      n = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    }
    if (n != 0) text = expanded.data();
  }
  return WideToUtf8(text);
}

void TMyRegistry::PutData(const std::string& name, const void* data, DWORD size, DWORD regType) {
  if (current_key_ == nullptr || (open_access_ != raWrite && open_access_ != raFull))
    Raise("TMyRegistry.PutData: You need WriteAccess to write Data, please use property REGACCESS "
          "before OPENKEY");
  if (RegSetValueExW(current_key_, Utf8ToWide(name).c_str(), 0, regType,
                     static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
    RaiseFor(kWriteFailed, name);
}

void TMyRegistry::WriteString(const std::string& name, const std::string& value, int dataType) {
  if (dataType != rdString && dataType != rdExpandString)
    Raise("MyRegistry.WriteString: RegDataType must be rdString or rdExpandString");
  const std::wstring wide = Utf8ToWide(value);
  PutData(name, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)),
          RegDataTypeToRegType(dataType));
}

int32_t TMyRegistry::ReadInteger(const std::string& name) const {
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryValue(name, type, data)) RaiseFor(kReadFailed, name);
  if (type != REG_DWORD || data.size() != 4) RaiseFor(kWrongType, name);
  int32_t value;
  std::memcpy(&value, data.data(), 4);
  return value;
}

void TMyRegistry::WriteInteger(const std::string& name, int32_t value) {
  PutData(name, &value, 4, REG_DWORD);
}

bool TMyRegistry::ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }
void TMyRegistry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

double TMyRegistry::ReadFloat(const std::string& name) const {
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryValue(name, type, data)) RaiseFor(kReadFailed, name);
  if (type != REG_BINARY || data.size() != sizeof(double)) RaiseFor(kWrongType, name);
  double value;
  std::memcpy(&value, data.data(), sizeof value);
  return value;
}

void TMyRegistry::WriteFloat(const std::string& name, double value) {
  PutData(name, &value, sizeof value, REG_BINARY);
}

int TMyRegistry::ReadBinaryData(const std::string& name, void* buffer, int bufferSize) const {
  DWORD type = 0;
  std::vector<uint8_t> data;
  if (!QueryValue(name, type, data)) return 0;
  if (static_cast<int64_t>(data.size()) > bufferSize) RaiseFor(kWrongType, name);
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return static_cast<int>(data.size());
}

void TMyRegistry::WriteBinaryData(const std::string& name, const void* buffer, int dataType, int size) {
  PutData(name, buffer, static_cast<DWORD>(std::max(size, 0)), RegDataTypeToRegType(dataType));
}

// ---------------------------------------------------------------- TMyRegIniFile

TMyRegIniFile::TMyRegIniFile(const std::string& basePath)
    : TMyRegistry(raFull), base_path_(!basePath.empty() && basePath[0] == '\\' ? basePath.substr(1) : basePath) {
  SetRootKey(HKEY_CURRENT_USER);
  OpenKey("\\" + base_path_, true);
}

bool TMyRegIniFile::OpenSection(const std::string& section, bool create) {
  std::string path = "\\";
  path += JoinPath(base_path_, section);
  return OpenKey(path, create);
}

std::string TMyRegIniFile::ReadString(const std::string& section, const std::string& ident,
                                      const std::string& defaultValue) {
  if (!OpenSection(section, false)) return defaultValue;
  if (!ValueExists(ident)) return defaultValue;
  return TMyRegistry::ReadString(ident);
}

void TMyRegIniFile::WriteString(const std::string& section, const std::string& ident,
                                const std::string& value) {
  if (!OpenSection(section, true)) RaiseFor("Erzeugung von Schlüssel %s misslungen", section);
  TMyRegistry::WriteString(ident, value);
}

int32_t TMyRegIniFile::ReadInteger(const std::string& section, const std::string& ident,
                                   int32_t defaultValue) {
  if (!OpenSection(section, false) || !ValueExists(ident)) return defaultValue;
  if (GetDataType(ident) == rdInteger) return TMyRegistry::ReadInteger(ident);
  if (GetDataType(ident) != rdString && GetDataType(ident) != rdExpandString) return defaultValue;
  const std::string text = TMyRegistry::ReadString(ident);
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty()) return defaultValue;
  try {
    size_t used = 0;
    const long long value = std::stoll(digits, &used, hex ? 16 : 10);
    if (used != digits.size() || (hex && (digits[0] == '-' || digits[0] == '+'))) return defaultValue;
    if (hex ? (value < 0 || value > 0xFFFFFFFFLL) : (value < INT32_MIN || value > INT32_MAX))
      return defaultValue;
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  } catch (const std::exception&) {
    return defaultValue;
  }
}

void TMyRegIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value) {
  WriteString(section, ident, std::to_string(value));
}

void TMyRegIniFile::EraseSection(const std::string& section) {
  OpenSection("", false);
  DeleteKey(section);
}

std::vector<std::wstring> EnumerateSubkeyNames(HKEY key, DWORD count, DWORD longest) {
  std::vector<std::wstring> names;
  names.reserve(count);
  std::vector<wchar_t> buffer(longest + 2);
  for (DWORD i = 0; i < count; ++i) {
    DWORD len = static_cast<DWORD>(buffer.size());
    const LONG rc = RegEnumKeyExW(key, i, buffer.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA && buffer.size() < 65536) {
      buffer.resize(buffer.size() * 2 + 256);
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(buffer.data(), len);
  }
  return names;
}

// ---------------------------------------------------------------- root keys

namespace {
struct RootKeyRow { const char* name; const char* shortName; };
constexpr RootKeyRow kRootKeys[kRootKeyCount] = {
    {"HKEY_CLASSES_ROOT", "HKCR"},     {"HKEY_CURRENT_USER", "HKCU"},   {"HKEY_LOCAL_MACHINE", "HKLM"},
    {"HKEY_USERS", "HKU"},             {"HKEY_PERFORMANCE_DATA", "HKPD"}, {"HKEY_CURRENT_CONFIG", "HKCC"},
    {"HKEY_DYN_DATA", "HKDD"}};

int IndexOf(HKEY root) {
  for (int i = 0; i < kRootKeyCount; ++i)
    if (root == RootKeyByIndex(i)) return i;
  return -1;
}
}  // namespace

HKEY RootKeyByIndex(int index) {
  if (index < 0 || index >= kRootKeyCount) return nullptr;
  return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(0x80000000u + index)));
}

std::string ReadRegistryString(HKEY root, const std::string& key, const std::string& name, bool expand) {
  TMyRegistry reg;
  reg.SetRootKey(root);
  return reg.OpenKey(key, false) ? reg.ReadString(name, expand) : "";
}

std::string RootKeyName(HKEY root) {
  const int i = IndexOf(root);
  return i < 0 ? std::string() : kRootKeys[i].name;
}

std::string RootKeyShortName(HKEY root) {
  const int i = IndexOf(root);
  return i < 0 ? std::string() : kRootKeys[i].shortName;
}

int RootKeyIndex(const std::string& name) {
  const std::string upper = platform::UpperCase(name);
  for (int i = 0; i < kRootKeyCount; ++i)
    if (upper == kRootKeys[i].name || upper == kRootKeys[i].shortName) return i;
  return -1;
}
