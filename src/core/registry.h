// The registry access layer: every registry access of the program outside the
// snapshot walk and the value editor goes through TMyRegistry.
//
// Names, paths and string data are UTF-8; the layer calls the W functions. Data
// types are the layer's own codes (RegDataType): the registry's numbers with 3 and 4
// exchanged, so 3 is a 32-bit number and 4 binary.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

enum TRegDataType : int {
  rdUnknown = 0,
  rdString = 1,
  rdExpandString = 2,
  rdInteger = 3,
  rdBinary = 4,
  rdBigEndianInteger = 5,
  rdLink = 6,
  rdMultiString = 7,
  rdResourceList = 8,
  rdFullResourceDescriptor = 9,
  rdResourceRequirementList = 10,
  rdQWord = 11,
};

// Code <-> registry type; both raise EMyRegistryException "unknown Datatype of the
// Registry" above 11 (the code after masking to 7 bits).
DWORD RegDataTypeToRegType(int code);
int RegTypeToRegDataType(DWORD type);

// Access modes (RegAccess) and the masks they open keys with.
enum : uint8_t { raRead = 0, raWrite = 1, raRead2 = 2, raFull = 3 };
inline constexpr REGSAM kReadMask = 0x20019;
inline constexpr REGSAM kWriteMask = 0x2001F;
inline constexpr REGSAM kFullMask = 0xF003F;

struct TRegKeyInfo {
  DWORD NumSubKeys = 0;
  DWORD MaxSubKeyLen = 0;
  DWORD NumValues = 0;
  DWORD MaxValueLen = 0;
  DWORD MaxDataLen = 0;
  FILETIME FileTime{};
};

class TMyRegistry {
 public:
  TMyRegistry() = default;
  explicit TMyRegistry(uint8_t access) : RegAccess(access) {}
  virtual ~TMyRegistry();
  TMyRegistry(const TMyRegistry&) = delete;
  TMyRegistry& operator=(const TMyRegistry&) = delete;

  // Mode used by the next OpenKey/CreateKey: 0 read, 1 write, 2 read, 3 full.
  uint8_t RegAccess = raRead;
  // On: closing a key releases it; off: closing only flushes it.
  bool LazyWrite = true;

  HKEY RootKey() const { return root_key_; }
  void SetRootKey(HKEY root);
  HKEY CurrentKey() const { return current_key_; }
  const std::string& CurrentPath() const { return current_path_; }

  // A path beginning with "\" is absolute below the root; others are relative to the
  // open key (or the root). With create the key is made when missing.
  bool OpenKey(const std::string& path, bool create);
  void CreateKey(const std::string& path);
  void CloseKey();
  // Deletes the key with all its subkeys.
  bool DeleteKey(const std::string& path);
  bool DeleteValue(const std::string& name);

  bool GetKeyInfo(TRegKeyInfo& info) const;
  bool HasSubKeys() const;
  void GetKeyNames(std::vector<std::string>& names) const;
  void GetValueNames(std::vector<std::string>& names) const;
  bool KeyExists(const std::string& path);

  bool ValueExists(const std::string& name) const;
  int GetDataType(const std::string& name) const;  // 0 when missing
  int GetDataSize(const std::string& name) const;  // -1 when missing

  std::string ReadString(const std::string& name, bool expand = false) const;
  void WriteString(const std::string& name, const std::string& value, int dataType = rdString);
  int32_t ReadInteger(const std::string& name) const;
  void WriteInteger(const std::string& name, int32_t value);
  bool ReadBool(const std::string& name) const;
  void WriteBool(const std::string& name, bool value);
  double ReadFloat(const std::string& name) const;
  void WriteFloat(const std::string& name, double value);
  // Returns the stored size; a missing value gives 0.
  int ReadBinaryData(const std::string& name, void* buffer, int bufferSize) const;
  void WriteBinaryData(const std::string& name, const void* buffer, int dataType, int size);

 protected:
  REGSAM AccessMask(const char* unknownMessage) const;

 private:
  HKEY OpenOrCreate(const std::string& path, bool create, bool& ok);
  bool QueryValue(const std::string& name, DWORD& type, std::vector<uint8_t>& data) const;
  void PutData(const std::string& name, const void* data, DWORD size, DWORD regType);
  static HKEY BaseOf(const TMyRegistry& self, const std::string& path, std::wstring& relative);

  HKEY current_key_ = nullptr;
  HKEY root_key_ = HKEY_CURRENT_USER;
  std::string current_path_;
  bool close_root_ = false;
  uint8_t open_access_ = raRead;
};

// Section/ident access below a base key of HKEY_CURRENT_USER (window placements).
class TMyRegIniFile : public TMyRegistry {
 public:
  explicit TMyRegIniFile(const std::string& basePath);
  const std::string& FileName() const { return base_path_; }

  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& defaultValue);
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  // Decimal or "0x" hexadecimal text; anything else (or nothing) gives the default.
  int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t defaultValue);
  void WriteInteger(const std::string& section, const std::string& ident, int32_t value);
  void EraseSection(const std::string& section);

 private:
  bool OpenSection(const std::string& section, bool create);
  std::string base_path_;
};

// The subkey names of an open key in enumeration order, at most count of them (the
// counts of RegQueryInfoKeyW: no closing failed call, each call is a round trip to the
// registry server under Wine). A name that grew meanwhile is read again with a larger
// buffer; keys deleted meanwhile end the list.
std::vector<std::wstring> EnumerateSubkeyNames(HKEY key, DWORD count, DWORD longest);

// The text of one value of a key opened for reading, expanded with expand; empty when
// the key or the value is missing. Raises as TMyRegistry::ReadString for other types.
std::string ReadRegistryString(HKEY root, const std::string& key, const std::string& name, bool expand = false);

// Root keys: index = handle - 0x80000000.
inline constexpr int kRootKeyCount = 7;
// "HKEY_CLASSES_ROOT" ... ; empty for an unknown handle.
std::string RootKeyName(HKEY root);
// "HKCR" ... ; empty for an unknown handle.
std::string RootKeyShortName(HKEY root);
// Index of a long or short name (compared in capitals), -1 when none matches.
int RootKeyIndex(const std::string& name);
HKEY RootKeyByIndex(int index);
