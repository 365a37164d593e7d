// The text export of result subtrees and the result-tree walker, on a result file as loaded.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/exceptions.h"
#include "platform/text.h"
#include "removal/export.h"
#include "support/result_builder.h"

namespace {

using Lines = std::vector<std::string>;
const std::string kSoftware = "HKEY_LOCAL_MACHINE\\SOFTWARE";

class ExportTest : public ResultFixture {
 protected:
  void SetUp() override { WriteAndLoad(); }
  // The lines after the eight header lines, whose third names the area and the start.
  Lines Body(TreeNode* start, int treeKind, const std::string& area, uint32_t mask = kAllKinds) {
    const Lines lines = ExportResultText(info, start, mask, treeKind, "Titel", "(Standard)");
    EXPECT_EQ(lines.size() < 8 ? "" : lines[2], "; " + area);
    return Lines(lines.begin() + std::min<ptrdiff_t>(8, std::ssize(lines)), lines.end());
  }
  // The walker's calls: c(hange), h(eader), v(alue), e(nd), kind, last name, level.
  std::string Walk(TreeNode* start, uint32_t mask) {
    std::string log;
    auto add = [&](char call, int kind, const std::string& path, int level) {
      log += (log.empty() ? "" : ", ") + (call + std::to_string(kind)) + " " + path.substr(path.rfind('\\') + 1) + "@" +
             std::to_string(level);
    };
    auto node = [&](char c) { return [=](int kind, const std::string& p, int level, int) { add(c, kind, p, level); }; };
    const ValueCallback value = [&](int kind, const std::string&, const std::string& name, int, int, int level,
                                    const WalkValue&) { add('v', kind, name, level); };
    WalkResultTree(info, start, mask, tkRegistry, value, node('h'), node('c'), node('e'));
    return log;
  }
};

}  // namespace

TEST_F(ExportTest, RegistrySubtreeAsTheUserFindsIt) {
  const Lines expected = {
      "; Velmoria Quitaway 2000 Titel", "; Datei:" + name, "; Registry : HKEY_LOCAL_MACHINE\\SOFTWARE", "; Legende:",
      "; [-]= gelöschter Schlüssel/Dir, [+]= neuer Schlüssel/Dir, [#]= Inhalte dieses Schlüssels/Dir geändert",
      "; [-]= gelöschter Wert/Datei, [+]= neuer Wert/Datei",
      "; [%]= geänderter Wert (alter Wert/Datei), [*]=  geänderter Wert (neuer Wert/Datei)", "; ",
      // Nested keys before the key that holds them.
      "[-][HKEY_LOCAL_MACHINE\\SOFTWARE\\Alt\\Teil]", "  [-]\"Rest\" = \"weg\"",
      "[-][HKEY_LOCAL_MACHINE\\SOFTWARE\\Alt]", "  [-]\"Pfad\" = \"C:\\Alt\"",
      "[+][HKEY_LOCAL_MACHINE\\SOFTWARE\\Neu\\Unter\\Tief]",
      "[+][HKEY_LOCAL_MACHINE\\SOFTWARE\\Neu\\Unter]", "  [+]\"Zahl\" = $0000000A  (10)",
      "[+][HKEY_LOCAL_MACHINE\\SOFTWARE\\Neu]", "  [+]\"(Standard)\" = \"Hallo\"",
      "  [+]\"Name\" = $0000002A  (42)",  // already undone: still in the record
      "[#][HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorhanden]", "  [%]\"Wert\" = $00000005  (5)",
      "  [*]\"Wert\" = $FFFFFFFF  (-1)", "  [+]\"Text\" = \"neu äöü\"", "  [-]\"Pfad\"=hex(2):41,42,00",
      "  [-]\"(Standard)\" = \"alt\"", "  [+]\"Leer\"=hex(3):",
      // 81 characters, but no byte follows: no continuation.
      "  [+]\"Kurz\"=hex(3):AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB",
      "  [+]\"Mittel\"=hex(3):3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,3C,\\",
      "  3C,3C,3C,3C,3C,3C,3C,3C,3C,3C"};
  EXPECT_EQ(ExportResultText(info, &At(reg, kSoftware), kAllKinds, tkRegistry, "Titel", "(Standard)"), expected);
  // The stored subkeys were read from the file, not loaded into the tree.
  EXPECT_EQ(At(reg, kSoftware + "\\Neu").Count(), 0u);
  // Nothing chosen, or no node: the header alone.
  EXPECT_TRUE(Body(&At(reg, kSoftware), tkRegistry, "Registry : " + kSoftware, 0).empty());
  EXPECT_TRUE(Body(nullptr, tkRegistry, "Registry : ").empty());
  EXPECT_TRUE(ui.Texts().empty());
}

TEST_F(ExportTest, FilesWithSizesDatesAttributesAndVersions) {
  EXPECT_EQ(Body(&At(drives, "C: [SYSTEM]"), tkFiles, "Dateistruktur : C: [SYSTEM]"),
            (Lines{"[+][C:\\Programme\\Neu\\bin\\tief\\]", "  [+]\"d.txt\" 3 Bytes, 23.8.2001, [A] Ver. 0.0.0.0",
                   "[+][C:\\Programme\\Neu\\bin\\]",
                   "  [+]\"app.exe\" 1.234.567 Bytes, 17.5.2024 13:45:30, [A] Ver. 5.1.2.3",
                   "[+][C:\\Programme\\Neu\\doc\\]", "[+][C:\\Programme\\Neu\\]",
                   "  [+]\"liesmich.txt\" 100 Bytes, 23.8.2001, [ARSH] Ver. 0.0.0.0", "[#][C:\\Windows\\]",
                   "  [%]\"win.com\" 24.576 Bytes, 23.8.2001, [AR] Ver. 0.0.0.0",
                   "  [*]\"win.com\" 24.580 Bytes, 2.1.2024 08:00:02, [A] Ver. 10.0.19041.1",
                   "  [-]\"alt.dll\" 0 Bytes, 2.1.2024 08:00:02, [] Ver. 0.0.0.0", "[#][C:\\]",
                   "  [+]\"boot.ini\" 1.000 Bytes, 17.5.2024 13:45:30, [SH] Ver. 0.0.0.0"}));
  // An older result has no versions, in the stored copies too.
  ResultSource(false).Write(name);
  Load(name);
  EXPECT_EQ(Body(drives.First(), tkFiles, "Dateistruktur : ")[6], "  [+]\"liesmich.txt\" 100 Bytes, 23.8.2001, [ARSH]");
}

TEST_F(ExportTest, SystemFilesWithIniEntriesAndTextLines) {
  // The entry of unknown kind has no records and is no obstacle.
  EXPECT_EQ(Body(sys.First(), tkSystem, "Systemdateien : "),
            (Lines{"[#][WIN.INI\\[Extensions]]", "  [%]\"txt\" = \"notepad.exe ^.txt\"",
                   "  [*]\"txt\" = \"wordpad.exe ^.txt\"", "[+][WIN.INI\\[Neu]]", "  [+]\"Pfad\" = \"C:\\Neu\"",
                   "[#][AUTOEXEC.BAT]", "  [+]\"PATH C:\\NEU\" = \"5\"",  // lines count from 1
                   "  [-]\"REM alt\" = \"1\"", "[-][C:\\Tools\\app.ini(INI)]"}));
  // A section alone: its file's kind is found from the section too.
  EXPECT_EQ(Body(&At(sys, "WIN.INI\\[Neu]"), tkSystem, "Systemdateien : WIN.INI\\[Neu]"),
            (Lines{"[+][WIN.INI\\[Neu]]", "  [+]\"Pfad\" = \"C:\\Neu\""}));
  // A damaged reference ends the export.
  At(reg, kSoftware + "\\Vorhanden").SetData(0x7FFF0000);
  EXPECT_THROW(Body(reg.First(), tkRegistry, "Registry : "), EReadError);
}

TEST_F(ExportTest, WalkerCallsChangeChildrenHeaderValuesAndEndInOrder) {
  // A deleted key's change call before its children, a new key's after its values; only masked kinds.
  EXPECT_EQ(Walk(&At(reg, kSoftware), (1u << stRemoved) | (1u << stAdded) | (1u << rsNew)),
            "c7 Alt@3, c7 Teil@4, h7 Teil@4, e7 Teil@4, h7 Alt@3, e7 Alt@3, h6 Tief@5, c6 Tief@5, e6 Tief@5, "
            "h6 Unter@4, v9 Zahl@4, c6 Unter@4, e6 Unter@4, h6 Neu@3, v9 @3, v9 Name@3, c6 Neu@3, e6 Neu@3, "
            "v9 Text@3, v9 Leer@3, v9 Kurz@3, v9 Mittel@3");
}

TEST_F(ExportTest, SavedTextIsUtf8WithCrLfAfterEveryLine) {
  const std::string file = folder.File("Export.TXT");
  WriteFileBytes(file, std::string(500, 'x'));  // an older, longer file is replaced
  SaveTextLines(file, {"; Größe", "", "€"});
  EXPECT_EQ(ReadFileBytes(file), "; Gr\xC3\xB6\xC3\x9F" "e\r\n\r\n\xE2\x82\xAC\r\n");
  EXPECT_THROW(SaveTextLines(folder.File("fehlt\\Export.TXT"), {"x"}), platform::EFCreateError);
}

TEST_F(ExportTest, OneWalkReadsOneFileHeldOpenThroughout) {
  // Opened once for the whole walk, not once per node: no other file can take the
  // result's place halfway.
  const std::string other = folder.File("anders.TSL");
  WriteFileBytes(other, "x");
  int values = 0;
  bool replaced = false;
  const ValueCallback value = [&](int, const std::string& path, const std::string&, int, int, int, const WalkValue&) {
    ++values;
    if (!replaced && path.ends_with("\\Vorhanden"))  // a changed key, read after its children
      replaced = MoveFileExW(platform::Utf8ToWide(other).c_str(), platform::Utf8ToWide(name).c_str(),
                             MOVEFILE_REPLACE_EXISTING);
  };
  WalkResultTree(info, reg.First(), kAllKinds, tkRegistry, value, nullptr, nullptr, nullptr);
  EXPECT_FALSE(replaced);
  EXPECT_GT(values, 10);
}
