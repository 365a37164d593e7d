#include "tools/registry_value.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "core/translate.h"
#include "platform/errors.h"
#include "platform/text.h"

using platform::Utf8ToWide;
using platform::WideToUtf8;

namespace {

// The bytes as UTF-16 characters (an odd last byte left out).
std::wstring WideOf(const std::vector<uint8_t>& bytes) {
  std::wstring text(bytes.size() / 2, L'\0');
  if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * 2);
  return text;
}

std::vector<uint8_t> BytesOf(const std::wstring& text) {
  std::vector<uint8_t> bytes(text.size() * 2);
  if (!bytes.empty()) std::memcpy(bytes.data(), text.data(), bytes.size());
  return bytes;
}

std::string UpToZero(const std::vector<uint8_t>& bytes) {
  const std::wstring text = WideOf(bytes);
  return WideToUtf8(std::wstring_view(text.c_str()));
}

// A string an edit control shows and gives back unchanged: no zero, no line break,
// and UTF-16 that survives the way through UTF-8.
bool Showable(const std::wstring& text) {
  if (text.find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) return false;
  return Utf8ToWide(WideToUtf8(text)) == text;
}

// The strings of a REG_MULTI_SZ without its final zero; every zero ends one.
std::vector<std::wstring> MultiStrings(std::wstring text) {
  if (!text.empty() && text.back() == L'\0') text.pop_back();
  std::vector<std::wstring> strings;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find(L'\0', start), text.size());
    strings.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return strings;
}

bool FaithfulText(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return true;
  const std::wstring text = WideOf(bytes);
  return bytes.size() % 2 == 0 && text.back() == L'\0' && Showable(text.substr(0, text.size() - 1));
}

// Only non-empty showable strings, each with its zero, then one more zero (or a lone
// zero for the empty list).
bool FaithfulMulti(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return true;
  const std::wstring text = WideOf(bytes);
  if (bytes.size() % 2 != 0 || text.back() != L'\0') return false;
  if (text.size() == 1) return true;
  if (text[text.size() - 2] != L'\0') return false;
  for (const std::wstring& s : MultiStrings(text.substr(0, text.size() - 1)))
    if (s.empty() || !Showable(s)) return false;
  return true;
}

uint32_t First32(const std::vector<uint8_t>& bytes) {
  uint32_t n = 0;
  if (bytes.size() >= 4) std::memcpy(&n, bytes.data(), 4);
  return n;
}

uint32_t Reversed(uint32_t n) {
  return (n >> 24) | ((n >> 8) & 0xFF00) | ((n << 8) & 0xFF0000) | (n << 24);
}

std::string SignedText(uint32_t n) { return std::to_string(static_cast<int32_t>(n)); }

// The number a text begins with (blanks skipped); 0 when there is none or it is too big.
std::string LeadingNumber(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return "0";
  const size_t start = i;
  if (text[i] == '-') ++i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
  long long n = 0;
  if (std::sscanf(text.substr(start, i - start).c_str(), "%lld", &n) != 1 || n < INT32_MIN || n > INT32_MAX)
    return "0";
  return std::to_string(n);
}

bool DecimalValue(const std::string& text, uint32_t& value) {
  if (text.empty()) {
    value = 0;
    return true;
  }
  const size_t digits = text[0] == '-' ? 1 : 0;
  if (text.size() == digits || text.size() > 11 ||
      text.find_first_not_of("0123456789", digits) != std::string::npos)
    return false;
  const long long n = std::stoll(text);
  if (n < INT32_MIN || n > 0xFFFFFFFFLL) return false;
  value = static_cast<uint32_t>(n);
  return true;
}

std::string JoinLines(const std::vector<std::wstring>& strings) {
  std::wstring memo;
  for (size_t i = 0; i < strings.size(); ++i) memo += (i > 0 ? L"\r\n" : L"") + strings[i];
  return WideToUtf8(memo);
}

// The memo's lines as a REG_MULTI_SZ; a line break at the very end starts no line.
std::vector<uint8_t> MultiBytes(const std::string& memo) {
  std::wstring text = Utf8ToWide(memo), out;
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, L"\r\n") == 0) text.resize(text.size() - 2);
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find(L"\r\n", start), text.size());
    out += text.substr(start, end - start);
    out += L'\0';
    start = end + 2;
  }
  out += L'\0';
  return BytesOf(out);
}

[[noreturn]] void RaiseKeyError(const std::string& path, LONG error) {
  throw EMyRegistryException(FormatMsg(tr("Der Schlüssel %s konnte nicht geöffnet werden:\r%s"),
                                       {path, platform::ErrorText(static_cast<uint32_t>(error))}));
}

bool Exists(HKEY key, const std::string& name) {
  return RegQueryValueExW(key, Utf8ToWide(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// Type and bytes of a value; the value may grow between asking its size and reading it.
LONG Query(HKEY key, const std::string& name, RegValue& value) {
  const std::wstring wname = Utf8ToWide(name);
  for (;;) {
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key, wname.c_str(), nullptr, &value.Type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return rc;
    value.Bytes.assign(size, 0);
    rc = RegQueryValueExW(key, wname.c_str(), nullptr, &value.Type, value.Bytes.empty() ? nullptr : value.Bytes.data(),
                          &size);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc == ERROR_SUCCESS) value.Bytes.resize(size);
    return rc;
  }
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  const std::wstring wa = Utf8ToWide(a), wb = Utf8ToWide(b);
  return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                              TRUE) == CSTR_EQUAL;
}

}  // namespace

RegEditPage PageOfType(DWORD type) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return rpText;
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: return rpInteger;
    case REG_MULTI_SZ: return rpMultiText;
    default: return rpBinary;
  }
}

RegEditPage FaithfulPage(const RegValue& value) {
  const RegEditPage page = PageOfType(value.Type);
  const bool faithful = page == rpText      ? FaithfulText(value.Bytes)
                        : page == rpInteger ? value.Bytes.size() == 4
                        : page == rpMultiText ? FaithfulMulti(value.Bytes)
                                              : true;
  return faithful ? page : rpBinary;
}

EditorTexts TextsOf(const RegValue& value) {
  EditorTexts texts;
  switch (PageOfType(value.Type)) {
    case rpInteger: {
      const uint32_t n = value.Bytes.size() == 4 ? First32(value.Bytes) : 0;
      texts.Integer = SignedText(value.Type == REG_DWORD_BIG_ENDIAN ? Reversed(n) : n);
      texts.Text = texts.Memo = texts.Integer;
      return texts;
    }
    case rpMultiText: {
      std::wstring text = WideOf(value.Bytes);
      if (text.size() >= 2 && text.back() == L'\0') text.pop_back();  // the list's end
      texts.Text = texts.Memo = JoinLines(MultiStrings(text));
      texts.Integer = LeadingNumber(texts.Text);
      return texts;
    }
    case rpText:
      texts.Text = texts.Memo = UpToZero(value.Bytes);
      texts.Integer = LeadingNumber(texts.Text);
      return texts;
    default:
      texts.Text = texts.Memo = UpToZero(value.Bytes);
      texts.Integer = SignedText(First32(value.Bytes));
      return texts;
  }
}

std::string HexOfDecimal(const std::string& decimal) {
  uint32_t n = 0;
  if (!DecimalValue(decimal, n)) n = 0;
  char text[16];
  std::snprintf(text, sizeof text, "%.8X", static_cast<unsigned>(n));
  return text;
}

std::string DecimalOfHex(const std::string& hex) {
  if (hex.empty() || hex.size() > 8 || hex.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
    return "0";
  return SignedText(static_cast<uint32_t>(std::stoul(hex, nullptr, 16)));
}

uint32_t ParseDecimal(const std::string& decimal) {
  uint32_t n = 0;
  if (!DecimalValue(decimal, n))
    throw EConvertError(FormatMsg(tr("'%s' ist kein gültiger Integerwert"), {decimal}));
  return n;
}

std::vector<uint8_t> BytesToSave(const RegValue& loaded, const EditorInput& input) {
  if (input.Page == rpBinary) return input.Binary;
  if (loaded.Exists && !input.Edited && input.Type == loaded.Type) return loaded.Bytes;
  switch (input.Page) {
    case rpText: return BytesOf(Utf8ToWide(input.Text) + L'\0');
    case rpInteger: {
      uint32_t n = ParseDecimal(input.Integer);
      if (input.Type == REG_DWORD_BIG_ENDIAN) n = Reversed(n);
      std::vector<uint8_t> bytes(4);
      std::memcpy(bytes.data(), &n, 4);
      return bytes;
    }
    default: return MultiBytes(input.Memo);
  }
}

// ---------------------------------------------------------------- RegValueEdit

RegValueEdit::RegValueEdit(HKEY root, std::string path) : root_(root), path_(std::move(path)) {
  const LONG rc = RegOpenKeyExW(root_, Utf8ToWide(path_).c_str(), 0, KEY_READ, &key_);
  if (rc != ERROR_SUCCESS) RaiseKeyError(PathText(), rc);
}

RegValueEdit::~RegValueEdit() {
  if (key_ != nullptr) RegCloseKey(key_);
}

std::string RegValueEdit::PathText() const { return path_.empty() ? RootKeyName(root_) : RootKeyName(root_) + "\\" + path_; }

void RegValueEdit::LoadNew() {
  new_ = true;
  name_.clear();
  value_ = RegValue{};
  for (int n = 1;; ++n) {
    proposed_ = "Neuer Wert #" + std::to_string(n);
    if (!Exists(key_, proposed_)) return;
  }
}

void RegValueEdit::Load(const std::string& name) {
  new_ = false;
  name_ = name;
  value_ = RegValue{};
  if (Query(key_, name, value_) == ERROR_SUCCESS) {
    value_.Exists = true;
    return;
  }
  value_ = RegValue{};
  if (!name.empty())
    throw EMyRegistryException(FormatMsg(tr("Konnte Daten für '%s' nicht holen"), {path_ + "\\" + name}));
}

HKEY RegValueEdit::OpenForWriting() const {
  HKEY key = nullptr;
  const LONG rc = RegOpenKeyExW(root_, Utf8ToWide(path_).c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
  if (rc != ERROR_SUCCESS) RaiseKeyError(PathText(), rc);
  return key;
}

bool RegValueEdit::AskReplace(HKEY key, const std::string& name) const {
  const bool sameValue = !new_ && SameIgnoringCase(name, name_);
  if (sameValue || !Exists(key, name)) return true;
  if (MessageDlg(FormatMsg(tr("Soll der bestehende Wert: '%s' ersetzt werden ?"), {name}), mtConfirmation,
                 mbYes | mbCancel) == mrYes)
    return true;
  ShowMessage(tr("Vorgang abgebrochen !"));
  return false;
}

namespace {

// The system adds a text's terminating zero when it finds one just behind the data;
// two non-zero bytes there keep the bytes as they are.
LONG SetValue(HKEY key, const std::string& name, DWORD type, const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> padded(bytes);
  padded.insert(padded.end(), 2, 0xFF);
  return RegSetValueExW(key, Utf8ToWide(name).c_str(), 0, type, padded.data(), static_cast<DWORD>(bytes.size()));
}

}  // namespace

void RegValueEdit::Write(HKEY key, const std::string& name, DWORD type, const std::vector<uint8_t>& bytes) const {
  const LONG rc = SetValue(key, name, type, bytes);
  if (rc != ERROR_SUCCESS)
    throw EMyRegistryException(FormatMsg(tr("Konnte Daten für '%s' nicht setzen"), {path_ + "\\" + name}) + "\r" +
                               platform::ErrorText(static_cast<uint32_t>(rc)));
}

void RegValueEdit::DeleteOld(HKEY key) const {
  const LONG rc = RegDeleteValueW(key, Utf8ToWide(name_).c_str());
  if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)  // gone meanwhile: nothing to remove
    throw EMyRegistryException(FormatMsg(tr("Der Wert %s konnte nicht gelöscht werden:\r%s"),
                                         {name_, platform::ErrorText(static_cast<uint32_t>(rc))}));
}

bool RegValueEdit::Save(const std::string& name, bool isDefault, DWORD type, const std::vector<uint8_t>& bytes) {
  const std::string target = isDefault ? std::string() : std::string(platform::TrimBlanks(name));
  const bool renamed = !new_ && !name_.empty() && target != name_;
  // A missing default value saved as the empty text it showed stays missing.
  const std::vector<uint8_t> emptyText(2, 0);
  if (!new_ && !renamed && !value_.Exists && type == REG_SZ && bytes == emptyText) return true;
  struct Key {
    HKEY h;
    ~Key() { RegCloseKey(h); }
  } key{OpenForWriting()};
  if ((new_ || renamed) && !AskReplace(key.h, target)) return false;
  if (renamed && SameIgnoringCase(target, name_)) {
    // Only the letter case changes: the registry keeps a name's first spelling, so the
    // old value goes first and comes back if the new one cannot be written.
    DeleteOld(key.h);
    try {
      Write(key.h, target, type, bytes);
    } catch (...) {
      if (value_.Exists) SetValue(key.h, name_, value_.Type, value_.Bytes);
      throw;
    }
  } else {
    Write(key.h, target, type, bytes);  // the new one first: a failure leaves the old one
    if (renamed) DeleteOld(key.h);
  }
  new_ = false;
  name_ = target;
  value_ = {type, bytes, true};
  return true;
}
