// The TrueType reader: Wine's own fonts as their files name themselves, fonts built
// here to pin down which naming record wins, and damaged copies that must be refused
// without a read outside the file.
#include <gtest/gtest.h>

#include "platform/text_file.h"
#include "support/temp_folder.h"
#include "tools/font_info.h"

namespace {

std::string WineFont(const std::string& file) { return platform::WindowsFolder() + "\\Fonts\\" + file; }

std::string Be16(unsigned v) { return {static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)}; }
std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }
std::string Utf16(const std::string& ascii) {
  std::string s;
  for (char c : ascii) s += Be16(static_cast<unsigned char>(c));
  return s;
}

struct Name {
  unsigned platform, encoding, language, id;
  std::string text;  // ASCII; written as UTF-16 for the Unicode encodings
};

// A font of two tables: "name" in format 0 with the records, and "OS/2" with the flags.
std::string BuildFont(const std::vector<Name>& names, unsigned flags) {
  std::string records, strings;
  for (const Name& n : names) {
    const bool unicode = n.platform == 0 || (n.platform == 3 && n.encoding == 1);
    const std::string s = unicode ? Utf16(n.text) : n.text;
    records += Be16(n.platform) + Be16(n.encoding) + Be16(n.language) + Be16(n.id) + Be16(s.size()) +
               Be16(strings.size());
    strings += s;
  }
  const std::string name = Be16(0) + Be16(names.size()) + Be16(6 + records.size()) + records + strings;
  const std::string os2 = std::string(62, '\0') + Be16(flags) + std::string(32, '\0');
  const uint32_t at = 12 + 32;
  return Be32(0x00010000) + Be16(2) + std::string(6, '\0') + "name" + Be32(0) + Be32(at) + Be32(name.size()) +
         "OS/2" + Be32(0) + Be32(at + name.size()) + Be32(os2.size()) + name + os2;
}

TEST(FontInfo, WineFontsAsTheirFilesSay) {
  struct Case {
    const char* file;
    uint32_t language;
    const char* name;
    FontStyle style;
    const char* line;  // one line of the summary
  } cases[] = {
      {"tahoma.ttf", 0x407, "Tahoma", {}, "SubName:  Regular\r"},          // language 0 before English
      {"tahoma.ttf", 0x40E, "Tahoma", {}, "SubName:  Normál\r"},           // the Hungarian record
      {"tahomabd.ttf", 0x407, "Tahoma", {true, false}, "FullName:  Tahoma Bold\r"},
      {"tahomabd.ttf", 0x40E, "Tahoma", {true, false}, "FullName:  Tahoma Félkövér\r"},
      {"courier.ttf", 0x409, "Courier", {}, "Version:  Version 001.000\r"},
      {"marlett.ttf", 0x407, "Marlett", {}, "PostScriptName:  marlett\r"},
  };
  for (const Case& c : cases) {
    FontInfoRecord info;
    ASSERT_TRUE(FontInfo(WineFont(c.file), c.language, info)) << c.file;
    EXPECT_EQ(info.FontName, c.name) << c.file;
    EXPECT_EQ(info.Style, c.style) << c.file;
    EXPECT_NE(info.Summary.find(c.line), std::string::npos) << c.file << "\n" << info.Summary;
    EXPECT_EQ(info.Summary.find("Copyright:  "), 0u) << c.file;
  }
  // Marlett's symbol-encoded records are UTF-16 like the others.
  FontInfoRecord info;
  FontInfo(WineFont("marlett.ttf"), 0x407, info);
  EXPECT_NE(info.Records.find("\rID:1 - L:1033, Marlett\rID:2 - L:1033, Regular\r"), std::string::npos);
  EXPECT_EQ(info.Records.find('\0'), std::string::npos);
}

TEST(FontInfo, WhichRecordWins) {
  const Name de{3, 1, 0x407, 4, "Deutsch"}, en{3, 1, 0x409, 4, "English"}, any{3, 1, 0, 4, "Neutral"},
      mac{1, 0, 0, 4, "Mac"};
  struct Case {
    std::vector<Name> names;
    uint32_t language;
    const char* fullName;
  } cases[] = {
      {{en, de, any}, 0x407, "Deutsch"},
      {{en, de, any}, 0x40C, "Neutral"},
      {{de, en}, 0x40C, "English"},        // equal weight: the later Unicode string
      {{any, mac}, 0x407, "Neutral"},      // a later byte string never replaces an equal one
      {{mac, any}, 0x407, "Neutral"},
      {{mac, {1, 0, 0, 4, "Zweiter"}}, 0x407, "Mac"},
      {{{1, 0, 0, 4, "Schrift\xE4"}}, 0x407, "Schriftä"},  // bytes read as ANSI
  };
  for (const Case& c : cases) {
    FontInfoRecord info;
    ASSERT_TRUE(FontInfoOfBytes(BuildFont(c.names, 0), c.language, info));
    EXPECT_EQ(info.Summary, std::string("FullName:  ") + c.fullName + "\r") << c.fullName;
  }
  // The family name: any Unicode record 1 sets it, a byte string only the first time.
  FontInfoRecord info;
  ASSERT_TRUE(FontInfoOfBytes(
      BuildFont({{1, 0, 0, 1, "Mac"}, {3, 1, 0x409, 1, "Win"}, {1, 0, 0, 1, "Mac2"}, {3, 1, 0x407, 9, "X"}}, 0x21),
      0x407, info));
  EXPECT_EQ(info.FontName, "Win");
  EXPECT_EQ(info.Records, "ID:1 - L:0, Mac\rID:1 - L:1033, Win\rID:1 - L:0, Mac2\rID:9 - L:1031, X\r");
  EXPECT_EQ(info.Summary, "FontName:  Mac\r");  // language 0 outweighs 0x409 for 0x407
  for (auto [flags, style] : {std::pair{0x01u, FontStyle{false, true}}, {0x20u, FontStyle{true, false}},
                              {0x21u, FontStyle{true, true}}, {0x40u, FontStyle{}}}) {
    FontInfoOfBytes(BuildFont({de}, flags), 0, info);
    EXPECT_EQ(info.Style, style) << flags;
  }
}

TEST(FontInfo, DamagedFontsAreRefused) {
  const std::string good = BuildFont({{3, 1, 0x407, 1, "Gut"}, {3, 1, 0x407, 4, "Gut Fett"}}, 0x20);
  const size_t name = 44, records = name + 6, os2 = good.size() - 96;
  auto with = [&](size_t at, const std::string& bytes) { return std::string(good).replace(at, bytes.size(), bytes); };
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"leer", ""}, {"Version halb", good.substr(0, 3)}, {"Verzeichnis halb", good.substr(0, 30)},
      {"Namenstabelle halb", good.substr(0, records + 8)}, {"Zeichenketten halb", good.substr(0, os2 - 3)},
      {"ohne Stilbits", good.substr(0, os2 + 63)}, {"Version 2", with(0, Be32(0x00020000))},
      {"OpenType", with(0, "OTTO")}, {"Tabelle hinter dem Ende", with(20, Be32(0x7FFFFFF0))},
      {"Tabelle zu lang", with(24, Be32(0xFFFFFFFF))}, {"Format 1", with(name, Be16(1))},
      {"zu viele Sätze", with(name + 2, Be16(0xFFFF))}, {"Speicher dahinter", with(name + 4, Be16(0xFFF0))},
      {"Zeichenkette dahinter", with(records + 10, Be16(0xFF00))}, {"zu lang", with(records + 8, Be16(0xFFFF))},
  };
  for (const Case& c : cases) {
    FontInfoRecord info;
    info.FontName = "alt";
    EXPECT_FALSE(FontInfoOfBytes(c.bytes, 0x407, info)) << c.what;
    EXPECT_EQ(info.FontName + info.Summary + info.Records, "") << c.what;
  }
  // Records may share a string, but not claim more text than the file could hold.
  for (auto [count, read] : {std::pair{3, true}, {2000, false}}) {
    std::vector<Name> names(count, Name{1, 0, 0, 13, ""});
    names[0].text = std::string(65535, 'x');
    std::string font = BuildFont(names, 0);
    for (int i = 0; i < count; ++i) font.replace(records + 12 * i + 8, 4, Be16(0xFFFF) + Be16(0));
    FontInfoRecord info;
    EXPECT_EQ(FontInfoOfBytes(font, 0, info), read) << count;
  }
  // A truncated file on disk, read by its path.
  TempFolder dir;
  WriteFileBytes(dir.File("kurz.ttf"), good.substr(0, records + 8));
  FontInfoRecord info;
  EXPECT_FALSE(FontInfo(dir.File("kurz.ttf"), 0x407, info));
  EXPECT_FALSE(FontInfo(dir.File("fehlt.ttf"), 0x407, info));
}

}  // namespace
