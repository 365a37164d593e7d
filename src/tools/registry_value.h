// The registry value editor's engine: one value of a live key loaded as its type and
// bytes, the editor page that can show it as it is, the editors' texts, the bytes
// built from them, and the save with rename and the replace question.
//
// Text is UTF-8 here and UTF-16LE in the registry (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ). Nothing is lost: a value that an editor page could not show byte for
// byte opens in the hex page with its own type, and a value saved without an edit is
// written back with the bytes it had.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The pages of the editor, in the order of its page stack.
enum RegEditPage : int { rpText = 0, rpInteger = 1, rpMultiText = 2, rpBinary = 3 };

// The hex page's size spin goes up to this; a larger value keeps its size.
inline constexpr size_t kMaxBinaryEditSize = 16384;

struct RegValue {
  DWORD Type = REG_SZ;
  std::vector<uint8_t> Bytes;
  bool Exists = false;  // false: a new value or a missing default value
};

// The page the registry type belongs to (REG_SZ and REG_EXPAND_SZ text, the two
// 32-bit numbers integer, REG_MULTI_SZ multi-line text, everything else binary).
RegEditPage PageOfType(DWORD type);
// PageOfType, unless that page would change the bytes: then the hex page.
RegEditPage FaithfulPage(const RegValue& value);

// What the three text editors show for a value (the memo's lines end in "\r\n").
struct EditorTexts {
  std::string Text, Integer, Memo;
};
EditorTexts TextsOf(const RegValue& value);

// The decimal field's text in the hexadecimal field ("%.8X"), and back (signed);
// a text that does not convert counts as 0.
std::string HexOfDecimal(const std::string& decimal);
std::string DecimalOfHex(const std::string& hex);
// The decimal field as 32 bits: -2147483648 to 4294967295, empty is 0; anything else
// raises EConvertError.
uint32_t ParseDecimal(const std::string& decimal);

// The editors as the user leaves them.
struct EditorInput {
  DWORD Type = REG_SZ;           // chosen in the type list
  RegEditPage Page = rpText;     // the page shown for it
  bool Edited = false;           // the shown page's editor was changed
  std::string Text, Integer, Memo;
  std::vector<uint8_t> Binary;   // the hex page's buffer
};
// The bytes to write: the loaded bytes of an existing value while type and editor are
// untouched, else the
// shown page's editor (text + zero, 4 bytes, lines + zeros + zero, the buffer).
std::vector<uint8_t> BytesToSave(const RegValue& loaded, const EditorInput& input);

class RegValueEdit {
 public:
  // Opens root\path for reading; EMyRegistryException with the system's reason.
  RegValueEdit(HKEY root, std::string path);
  ~RegValueEdit();
  RegValueEdit(const RegValueEdit&) = delete;
  RegValueEdit& operator=(const RegValueEdit&) = delete;

  // A new value: the first free name "Neuer Wert #n", type REG_SZ, no bytes.
  void LoadNew();
  // An existing value; a missing default value is an empty REG_SZ. A named value that
  // cannot be read raises "Konnte Daten für '%s' nicht holen".
  void Load(const std::string& name);

  bool IsNew() const { return new_; }
  const std::string& LoadedName() const { return name_; }
  const std::string& ProposedName() const { return proposed_; }
  const RegValue& Value() const { return value_; }
  // The root key's long name, "\" and the key path.
  std::string PathText() const;

  // Writes the value under name (surrounding blanks dropped; isDefault: the unnamed
  // value) with type and bytes. A value renamed or made new over another asks first;
  // false when the user declined (after "Vorgang abgebrochen !"), nothing written.
  // A missing default value left as it was stays missing.
  bool Save(const std::string& name, bool isDefault, DWORD type, const std::vector<uint8_t>& bytes);

 private:
  HKEY OpenForWriting() const;
  bool AskReplace(HKEY key, const std::string& name) const;
  void Write(HKEY key, const std::string& name, DWORD type, const std::vector<uint8_t>& bytes) const;
  void DeleteOld(HKEY key) const;

  HKEY root_;
  std::string path_;
  HKEY key_ = nullptr;
  std::string name_, proposed_;
  bool new_ = false;
  RegValue value_;
};
