// The TrueType reader: Wine's own fonts as their files name themselves, fonts built
// here to pin down which naming record wins, and damaged copies that must be refused.
#include <gtest/gtest.h>

#include "platform/text_file.h"
#include "tools/font_info.h"

namespace {

std::string Be16(size_t v) { return {static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)}; }
std::string Be32(size_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }

struct Name { unsigned platform, encoding, language, id; std::string text; };  // text: ASCII

// A font of two tables: "name" (format 0) with the records, and "OS/2" with the flags.
std::string BuildFont(const std::vector<Name>& names, unsigned flags) {
  std::string records, strings;
  for (const Name& n : names) {
    std::string s;
    for (char c : n.text) s += n.platform == 1 ? std::string(1, c) : Be16(static_cast<unsigned char>(c));
    records += Be16(n.platform) + Be16(n.encoding) + Be16(n.language) + Be16(n.id) + Be16(s.size()) +
               Be16(strings.size());
    strings += s;
  }
  const std::string name = Be16(0) + Be16(names.size()) + Be16(6 + records.size()) + records + strings;
  return Be32(0x00010000) + Be16(2) + std::string(6, '\0') + "name" + Be32(0) + Be32(44) + Be32(name.size()) +
         "OS/2" + Be32(0) + Be32(44 + name.size()) + Be32(96) + name + std::string(62, '\0') + Be16(flags) +
         std::string(32, '\0');
}

std::string Styled(const FontInfoRecord& r) {
  return std::string(r.Style.Bold ? " fett" : "") + (r.Style.Italic ? " kursiv" : "");
}

TEST(FontInfo, WineFontsAsTheirFilesSay) {
  struct { const char *file; uint32_t language; const char *name, *line; } cases[] = {
      {"tahoma.ttf", 0x407, "Tahoma", "SubName:  Regular\r"},  // language 0 before English
      {"tahoma.ttf", 0x40E, "Tahoma", "SubName:  Normál\r"},
      {"tahomabd.ttf", 0x40E, "Tahoma fett", "FullName:  Tahoma Félkövér\r"},
      {"marlett.ttf", 0x407, "Marlett", "PostScriptName:  marlett\r"},
  };
  for (const auto& c : cases) {
    FontInfoRecord info;
    ASSERT_TRUE(FontInfo(platform::WindowsFolder() + "\\Fonts\\" + c.file, c.language, info)) << c.file;
    EXPECT_EQ(info.FontName + Styled(info), c.name);
    EXPECT_NE(info.Summary.find(c.line), std::string::npos) << c.file << "\n" << info.Summary;
  }
}

TEST(FontInfo, WhichRecordWins) {
  const Name de{3, 1, 0x407, 4, "Deutsch"}, en{3, 1, 0x409, 4, "English"}, any{3, 1, 0, 4, "Neutral"},
      mac{1, 0, 0, 4, "Mac"};
  struct { std::vector<Name> names; uint32_t language; unsigned flags; const char *fullName, *style; } cases[] = {
      {{en, de, any}, 0x407, 0x21, "Deutsch", " fett kursiv"}, {{en, de, any}, 0x40C, 0x20, "Neutral", " fett"},
      {{de, en}, 0x40C, 0x01, "English", " kursiv"},  // equal weight: the later Unicode string
      {{any, mac}, 0x407, 0x40, "Neutral", ""}, {{mac, any}, 0x407, 0, "Neutral", ""},
      {{mac, {1, 0, 0, 4, "Zweiter"}}, 0x407, 0, "Mac", ""},  // a later byte string never replaces
      {{any, {3, 0, 0, 4, "Symbol"}}, 0x407, 0, "Symbol", ""},  // symbol fonts' names: UTF-16 as well
      {{{1, 0, 0, 4, "Schrift\xE4"}}, 0x407, 0, "Schriftä", ""},    // bytes read as ANSI
  };
  FontInfoRecord info;
  for (const auto& c : cases) {
    ASSERT_TRUE(FontInfoOfBytes(BuildFont(c.names, c.flags), c.language, info));
    EXPECT_EQ(info.Summary + "|" + Styled(info), std::string("FullName:  ") + c.fullName + "\r|" + c.style);
  }
  // The family name: any Unicode record 1 sets it, a byte string only the first time.
  ASSERT_TRUE(FontInfoOfBytes(
      BuildFont({{1, 0, 0, 1, "Mac"}, {3, 1, 0x409, 1, "Win"}, {1, 0, 0, 1, "Mac2"}, {3, 1, 0x407, 9, "X"}}, 0), 0x407,
      info));
  EXPECT_EQ(info.FontName + "|" + info.Summary, "Win|FontName:  Mac\r");
  EXPECT_EQ(info.Records, "ID:1 - L:0, Mac\rID:1 - L:1033, Win\rID:1 - L:0, Mac2\rID:9 - L:1031, X\r");
}

TEST(FontInfo, DamagedFontsAreRefused) {
  const std::string good = BuildFont({{3, 1, 0x407, 1, "Gut"}, {3, 1, 0x407, 4, "Gut Fett"}}, 0x20);
  const size_t name = 44, records = 50, os2 = good.size() - 96;
  auto with = [&](size_t at, const std::string& bytes) { return std::string(good).replace(at, bytes.size(), bytes); };
  const std::pair<const char*, std::string> cases[] = {
      {"leer", ""}, {"Version halb", good.substr(0, 3)}, {"Verzeichnis halb", good.substr(0, 30)},
      {"Namenstabelle halb", good.substr(0, records + 8)}, {"Zeichenketten halb", good.substr(0, os2 - 3)},
      {"ohne Stilbits", good.substr(0, os2 + 63)}, {"Version 2", with(0, Be32(0x00020000))},
      {"OpenType", with(0, "OTTO")}, {"Tabelle hinter dem Ende", with(20, Be32(0x7FFFFFF0))},
      {"Tabelle zu lang", with(24, Be32(0xFFFFFFFF))}, {"Format 1", with(name, Be16(1))},
      {"zu viele Sätze", with(name + 2, Be16(0xFFFF))}, {"Speicher dahinter", with(name + 4, Be16(0xFFF0))},
      {"Zeichenkette dahinter", with(records + 10, Be16(0xFF00))}, {"zu lang", with(records + 8, Be16(0xFFFF))},
  };
  for (const auto& [what, bytes] : cases) {
    FontInfoRecord info{"alt", "", "", {}};
    EXPECT_FALSE(FontInfoOfBytes(bytes, 0x407, info)) << what;
    EXPECT_EQ(info.FontName + info.Summary + info.Records, "") << what;
  }
  FontInfoRecord scratch;
  for (auto [count, read] : {std::pair{3, true}, {2000, false}}) {  // shared strings, not beyond the file's size
    std::vector<Name> names(count, Name{1, 0, 0, 13, ""});
    names[0].text = std::string(65535, 'x');
    std::string font = BuildFont(names, 0);
    for (int i = 0; i < count; ++i) font.replace(records + 12 * i + 8, 4, Be16(0xFFFF) + Be16(0));
    EXPECT_EQ(FontInfoOfBytes(font, 0, scratch), read) << count;
  }
}

}  // namespace
