// The naming information of a TrueType font file: its family name, the best string of
// each of the eight common name kinds for the user's language, every naming record,
// and the bold and italic bits. Font files come from anywhere, so the reader trusts
// no offset, length or count it finds in them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct FontStyle {
  bool Bold = false;
  bool Italic = false;
  bool operator==(const FontStyle&) const = default;
};

struct FontInfoRecord {
  std::string FontName;  // the family name (name identifier 1)
  // One line "<label>:  <string>\r" per name kind 0 to 7 that has a string, the kinds
  // labelled "Copyright", "FontName", "SubName", "Ident", "FullName", "Version",
  // "PostScriptName", "Trademark".
  std::string Summary;
  // One line "ID:<name id> - L:<language>, <string>\r" per naming record of the file.
  std::string Records;
  FontStyle Style;
};

// Reads the font file at path (UTF-8) for the language identifier (a Windows LCID
// such as 0x407). True when the file is a TrueType font (version 1.0) whose tables
// could be read; info then holds what the file says (all text UTF-8). False for any
// other file, a damaged or truncated one, or one larger than kMaxFontFileSize;
// info is then empty.
bool FontInfo(const std::string& path, uint32_t language, FontInfoRecord& info);

// The same on the bytes of a font file held in memory.
bool FontInfoOfBytes(std::string_view file, uint32_t language, FontInfoRecord& info);

// Fonts hold a few megabytes at most; a larger file is not read into memory.
inline constexpr uint64_t kMaxFontFileSize = 64ull << 20;
