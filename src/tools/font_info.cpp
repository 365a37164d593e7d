#include "tools/font_info.h"

#include <windows.h>

#include <cstdio>

#include "platform/text.h"

namespace {

constexpr uint32_t kTrueTypeVersion = 0x00010000;
constexpr int kNameKinds = 8;
constexpr const char* kLabels[kNameKinds] = {"Copyright", "FontName",       "SubName",  "Ident",
                                             "FullName",  "Version",        "PostScriptName", "Trademark"};
constexpr uint64_t kSelectionFlags = 62;  // fsSelection within the OS/2 table

// The file's bytes with big-endian fields; every read is checked against the end,
// positions are 64-bit so that offset plus length never wraps on 32-bit systems.
class FontBytes {
 public:
  explicit FontBytes(std::string_view bytes) : b_(bytes) {}
  uint64_t Size() const { return b_.size(); }
  bool Has(uint64_t at, uint64_t n) const { return at <= b_.size() && n <= b_.size() - at; }
  bool U16(uint64_t at, uint16_t& v) const {
    if (!Has(at, 2)) return false;
    v = static_cast<uint16_t>(Byte(at) << 8 | Byte(at + 1));
    return true;
  }
  bool U32(uint64_t at, uint32_t& v) const {
    uint16_t hi = 0, lo = 0;
    if (!U16(at, hi) || !U16(at + 2, lo)) return false;
    v = static_cast<uint32_t>(hi) << 16 | lo;
    return true;
  }
  std::string_view Slice(uint64_t at, uint64_t n) const { return b_.substr(static_cast<size_t>(at), n); }

 private:
  unsigned Byte(uint64_t at) const { return static_cast<unsigned char>(b_[static_cast<size_t>(at)]); }
  std::string_view b_;
};

struct Tables {
  bool HasName = false, HasOs2 = false;
  uint64_t Name = 0, Os2 = 0;
};

bool SameTag(std::string_view tag, const char* wanted, bool ignoreCase) {
  for (size_t i = 0; i < 4; ++i) {
    char a = tag[i], b = wanted[i];
    if (ignoreCase && a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (ignoreCase && b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

// The table directory; a table the file cannot hold makes the whole file unreadable.
bool ReadDirectory(const FontBytes& f, Tables& t) {
  uint32_t version = 0;
  uint16_t count = 0;
  if (!f.U32(0, version) || version != kTrueTypeVersion || !f.U16(4, count)) return false;
  for (uint64_t entry = 12, i = 0; i < count; ++i, entry += 16) {
    uint32_t offset = 0, length = 0;
    if (!f.Has(entry, 16) || !f.U32(entry + 8, offset) || !f.U32(entry + 12, length)) return false;
    const std::string_view tag = f.Slice(entry, 4);
    const bool name = SameTag(tag, "name", true), os2 = SameTag(tag, "OS/2", false);
    if ((name || os2) && !f.Has(offset, length)) return false;
    if (name) t.HasName = true, t.Name = offset;
    if (os2) t.HasOs2 = true, t.Os2 = offset;
  }
  return true;
}

// A zero character ends a text at the system's boundary and would cut off all that
// follows it in a list; names never mean one, so they are left out.
std::string UnicodeText(std::string_view bigEndian) {
  std::wstring wide;
  wide.reserve(bigEndian.size() / 2);
  for (size_t i = 0; i + 1 < bigEndian.size(); i += 2) {
    const auto unit = static_cast<wchar_t>(static_cast<unsigned char>(bigEndian[i]) << 8 |
                                           static_cast<unsigned char>(bigEndian[i + 1]));
    if (unit != 0) wide += unit;
  }
  return platform::WideToUtf8(wide);
}

// Strings of the other encodings are shown by their bytes, read as the ANSI code page.
std::string RawText(std::string_view bytes) {
  std::string kept;
  kept.reserve(bytes.size());
  for (char c : bytes)
    if (c != '\0') kept += c;
  return platform::Cp1252ToUtf8(kept);
}

// Unicode (platform 0) and the Windows platform's UTF-16 encodings: symbol (0),
// Unicode BMP (1) and full Unicode (10). The symbol fonts (Marlett, Wingdings) store
// their names in UTF-16 as well; read as bytes, every second one would be a zero.
bool IsUnicode(uint16_t platformId, uint16_t encoding) {
  return platformId == 0 || (platformId == 3 && (encoding == 0 || encoding == 1 || encoding == 10));
}

class NameTable {
 public:
  NameTable(const FontBytes& f, uint32_t language, FontInfoRecord& info)
      : f_(f), language_(language), info_(info), budget_(4 * f.Size()) {}

  bool Read(uint64_t table) {
    uint16_t format = 1, count = 0, storage = 0;
    if (!f_.U16(table, format) || format != 0 || !f_.U16(table + 2, count) || !f_.U16(table + 4, storage))
      return false;
    for (uint64_t i = 0, at = table + 6; i < count; ++i, at += 12)
      if (!Record(at, table + storage)) return false;
    for (int kind = 0; kind < kNameKinds; ++kind)
      if (!chosen_[kind].empty()) info_.Summary.append(kLabels[kind]).append(":  ").append(chosen_[kind]).append("\r");
    return true;
  }

 private:
  bool Record(uint64_t at, uint64_t strings) {
    uint16_t field[6] = {};  // platform, encoding, language, name identifier, length, offset
    for (int i = 0; i < 6; ++i)
      if (!f_.U16(at + 2 * i, field[i])) return false;
    const uint16_t nameId = field[3], length = field[4];
    // Records may share their strings; a file whose records claim far more text than
    // it holds is damaged, and its text would fill the memory.
    if (!f_.Has(strings + field[5], length) || length > budget_) return false;
    budget_ -= length;
    const bool unicode = IsUnicode(field[0], field[1]);
    const std::string_view bytes = f_.Slice(strings + field[5], length);
    const std::string text = unicode ? UnicodeText(bytes) : RawText(bytes);
    if (nameId == 1 && (unicode || info_.FontName.empty())) info_.FontName = text;
    if (nameId < kNameKinds && !text.empty()) Choose(nameId, field[2], unicode, text);
    char head[48];
    std::snprintf(head, sizeof head, "ID:%u - L:%u, ", nameId, field[2]);
    info_.Records.append(head).append(text).append("\r");
    return true;
  }

  // The user's language first, then language-neutral strings, then any; among equals
  // a later Unicode string wins.
  void Choose(int kind, uint16_t language, bool unicode, const std::string& text) {
    const int weight = language == language_ ? 3 : language == 0 ? 2 : 1;
    if (weight > weight_[kind] || (weight == weight_[kind] && unicode)) {
      weight_[kind] = weight;
      chosen_[kind] = text;
    }
  }

  const FontBytes& f_;
  uint32_t language_;
  FontInfoRecord& info_;
  uint64_t budget_;
  std::string chosen_[kNameKinds];
  int weight_[kNameKinds] = {};
};

bool ReadStyle(const FontBytes& f, uint64_t os2, FontStyle& style) {
  uint16_t flags = 0;
  if (!f.U16(os2 + kSelectionFlags, flags)) return false;
  style.Italic = (flags & 0x01) != 0;
  style.Bold = (flags & 0x20) != 0;
  return true;
}

// The whole file, or nothing when it cannot be read or is too large to be a font.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
  HANDLE h = CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(h, &size) && size.QuadPart >= 0 && static_cast<uint64_t>(size.QuadPart) <= kMaxFontFileSize;
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0, total = 0;
    // Another writer may shorten the file meanwhile: what was read is all there is.
    while (total < bytes.size() && ReadFile(h, bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &read,
                                            nullptr) && read > 0)
      total += read;
    bytes.resize(total);
  }
  CloseHandle(h);
  return ok;
}

}  // namespace

bool FontInfoOfBytes(std::string_view file, uint32_t language, FontInfoRecord& info) {
  info = {};
  const FontBytes f(file);
  Tables t;
  bool ok = ReadDirectory(f, t);
  // A font without a naming table is still a font, with nothing to tell.
  if (ok && t.HasName) ok = NameTable(f, language, info).Read(t.Name) && (!t.HasOs2 || ReadStyle(f, t.Os2, info.Style));
  if (!ok) info = {};
  return ok;
}

bool FontInfo(const std::string& path, uint32_t language, FontInfoRecord& info) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    info = {};
    return false;
  }
  return FontInfoOfBytes(bytes, language, info);
}
