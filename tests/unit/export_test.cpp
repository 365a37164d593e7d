// The text export of result subtrees and the result-tree walker: result files are
// built record by record, written in their layout, loaded as the program loads them
// and exported; the expected lines are the text a user finds in the file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "platform/file_stream.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "removal/export.h"
#include "model/data_codes.h"
#include "model/data_stream.h"
#include "result/result_file.h"
#include "model/treetool.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

const char kTitle[] = "Installation von Beispiel 1.0";
const char kDefault[] = "(Standard)";

int32_t Packed(int year, int month, int day, int hour, int minute, int second) {
  const auto date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  const auto time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return static_cast<int32_t>((date << 16) | time);
}
const int32_t kAppTime = Packed(2024, 5, 17, 13, 45, 30);
const int32_t kOldTime = Packed(2001, 8, 23, 0, 0, 0);
const int32_t kNewTime = Packed(2024, 1, 2, 8, 0, 2);

Bytes Sequence(uint8_t first, size_t count) {
  Bytes b(count);
  for (size_t i = 0; i < count; ++i) b[i] = static_cast<uint8_t>(first + i);
  return b;
}

// A value block in the making. Offsets count from its first byte, where the header
// string stands, as the nodes' Data do.
class Block {
 public:
  Block(const char* header, bool versions = true) : w_(stream_), versions_(versions) { w_.WriteString(header); }

  int32_t Here() const { return static_cast<int32_t>(w_.Position()); }
  Block& Int(int32_t v) {
    w_.WriteInteger(v);
    return *this;
  }
  Block& Str(const std::string& s) {
    w_.WriteString(s);
    return *this;
  }
  // Registry value records after their name.
  Block& Text(const std::string& name, int32_t status, int32_t type, const std::string& text) {
    return Str(name).Int(status).Int(type).Str(text);
  }
  Block& Number(const std::string& name, int32_t status, int32_t value) { return Str(name).Int(status).Int(3).Int(value); }
  Block& Binary(const std::string& name, int32_t status, int32_t type, const Bytes& bytes) {
    Str(name).Int(status).Int(type).Int(static_cast<int32_t>(bytes.size()));
    w_.WriteRaw(bytes.data(), bytes.size());
    return *this;
  }
  // A file record with its name; the version items only in today's form.
  Block& File(const std::string& name, int32_t status, int32_t time, int32_t size, int32_t attributes,
              int32_t high = 0, int32_t low = 0) {
    Str(name).Int(status).Int(time).Int(size).Int(attributes);
    if (versions_) Int(high).Int(low);
    return *this;
  }

  Bytes Content() {
    w_.Flush();
    return stream_.Bytes();
  }

 private:
  platform::MemoryStream stream_;
  DataWriter w_;
  bool versions_;
};

TreeNode* Add(TreeNode* parent, const std::string& text, int32_t state, int32_t data = 0) {
  TreeNode* n = parent->AddChild(text);
  n->SetStateIndex(state);
  n->SetData(data);
  return n;
}

// A result as the comparison leaves it: selection, three result trees (children of
// new and deleted keys and folders only in the blocks) and three value blocks.
struct ResultSource {
  explicit ResultSource(bool versions)
      : versions(versions), driveBlock(kFilesHeader, versions) {
    Add(regSel.AddTop(kRegistryTop), "HKEY_LOCAL_MACHINE", stChecked);
    Add(driveSel.AddTop(kDrivesTop), "C: [SYSTEM]", stChecked);
    Add(sysSel.AddTop(kSystemTop), "WIN.INI", stChecked);
    reg.AddTop(kRegistryTop);
    drives.AddTop(kDrivesTop);
    sys.AddTop(kSystemTop);
    BuildRegistry();
    BuildDrives();
    BuildSystemFiles();
  }

  // HKEY_LOCAL_MACHINE\SOFTWARE: a deleted key with a deleted subkey, a new key with a
  // new subkey, and a key with changed values of every data form.
  void BuildRegistry() {
    Block& b = regBlock;
    // Key record: subkeys (name, key record)..., then values (name, value record)...
    const int32_t alt = b.Here();
    b.Int(1).Str("Teil").Int(0).Int(1).Text("Rest", rsDeleted, 1, "weg");
    b.Int(1).Text("Pfad", rsDeleted, 1, "C:\\Alt");
    const int32_t neu = b.Here();
    b.Int(1).Str("Unter").Int(0).Int(1).Number("Zahl", rsNew, 10);
    b.Int(2).Text("", rsNew, 1, "Hallo").Number("Name", rsNew, 10);
    const int32_t changed = b.Here();
    b.Int(14)
        .Number("Wert", rsOldOfAltered, 5)
        .Number("Wert", rsNewOfAltered, -1)
        .Text("Text", rsNew, 1, "neu äöü")
        .Text("Pfad", rsDeleted, 2, "AB")
        .Text("", rsDeleted, 1, "alt")
        .Binary("Leer", rsNew, 4, {})
        .Binary("Kurz", rsNew, 4, Sequence(0xA0, 21))
        .Binary("Mittel", rsNew, 4, Sequence(0x30, 30))
        .Binary("Lang", rsOldOfAltered, 4, {1, 2, 3})
        .Binary("Lang", rsNewOfAltered, 4, Sequence(0, 100))
        .Binary("Liste", rsNew, 7, {'a', 0, 0})
        .Text("Fertig", rsNew + flDone, 1, "x")
        .Text("Leerer Text", rsNew, 1, "")
        .Text("Umgebung", rsNew, 2, "%TEMP%\\ä");

    TreeNode* software = Add(Add(reg.First(), "HKEY_LOCAL_MACHINE", stNeutral), "SOFTWARE", stNeutral);
    Add(software, "Alt", stRemoved, alt)->SetHasChildren(true);
    Add(software, "Neu", stAdded, neu)->SetHasChildren(true);
    Add(software, "Vorhanden", stMembersChanged, changed);
  }

  // C:\Programme\Neu new with a subfolder; C:\Windows and the drive's root changed.
  void BuildDrives() {
    Block& b = driveBlock;
    const int32_t neu = b.Here();
    b.Int(1).Str("bin").Int(0).Int(1).File("app.exe", rsNew, kAppTime, 1234567, 0x20, 0x00050001, 0x00020003);
    b.Int(1).File("liesmich.txt", rsNew, kOldTime, 100, 0x27);
    const int32_t windows = b.Here();
    b.Int(3)
        .File("win.com", rsOldOfAltered, kOldTime, 24576, 0x21)
        .File("win.com", rsNewOfAltered, kNewTime, 24580, 0x20, 0x000A0000, 0x4A610001)
        .File("alt.dll", rsDeleted, kNewTime, 0, 0);
    const int32_t root = b.Here();
    b.Int(1).File("boot.ini", rsNew, kAppTime, 1000, 0x06);

    TreeNode* drive = Add(drives.First(), "C: [SYSTEM]", stMembersChanged, root);
    Add(Add(drive, "Programme", stNeutral), "Neu", stAdded, neu)->SetHasChildren(true);
    Add(drive, "Windows", stMembersChanged, windows);
  }

  // WIN.INI with a changed and a new section, AUTOEXEC.BAT and a user text file with
  // changed lines, a deleted user INI file and an entry of unknown kind.
  void BuildSystemFiles() {
    Block& b = sysBlock;
    const int32_t extensions = b.Here();
    b.Int(2)
        .Str("txt").Int(rsOldOfAltered).Str("notepad.exe ^.txt")
        .Str("txt").Int(rsNewOfAltered).Str("wordpad.exe ^.txt");
    const int32_t section = b.Here();
    b.Int(1).Str("Pfad").Int(rsNew).Str("C:\\Neu");
    const int32_t autoexec = b.Here();
    b.Int(2).Str("SET PATH=C:\\NEU").Int(rsNew).Int(4).Str("REM alt").Int(rsDeleted).Int(0);
    const int32_t log = b.Here();
    b.Int(1).Str("Zeile drei").Int(rsNew).Int(2);

    TreeNode* win = Add(sys.First(), "WIN.INI", stNeutral);
    Add(win, "[Extensions]", stMembersChanged, extensions);
    Add(win, "[Neu]", stAdded, section);
    Add(sys.First(), "AUTOEXEC.BAT", stMembersChanged, autoexec);
    Add(sys.First(), "C:\\Tools\\log.txt(TXT)", stMembersChanged, log);
    Add(sys.First(), "C:\\Tools\\app.ini(INI)", stRemoved);
    Add(sys.First(), "notes.dat", stNeutral);
  }

  void Write(const std::string& fileName) {
    platform::FileStream file(fileName, platform::FileStream::Mode::Create);
    DataWriter w(file);
    w.WriteString(versions ? kResultHeader2 : kResultHeader);
    SaveSelectionFile("", &w, regSel, driveSel, sysSel, {"C:\\TEMP\\A.TSL"});
    auto section = [&](Tree& tree, bool images, Block& block) {
      SaveTree("", &w, tree, false, true, images);
      const Bytes bytes = block.Content();
      w.WriteInteger(static_cast<int32_t>(bytes.size()));
      w.WriteRaw(bytes.data(), bytes.size());
    };
    section(reg, true, regBlock);
    section(drives, true, driveBlock);
    section(sys, false, sysBlock);
    w.Flush();
  }

  bool versions;
  Tree regSel, driveSel, sysSel, reg, drives, sys;
  Block regBlock{kValuesHeader}, driveBlock, sysBlock{kSystemFilesHeader};
};

// The result loaded back, with the result views' loaders on its trees.
struct LoadedResult {
  void Load(const std::string& fileName) {
    LoadResultFile(fileName, regSel, driveSel, reg, drives, sysSel, sys, noCheck, KindImages{}, info);
    reg.SetLoader([this](TreeNode& n) { ExpandStoredNode(info, ResultSection::Registry, n); });
    drives.SetLoader([this](TreeNode& n) { ExpandStoredNode(info, ResultSection::Drives, n); });
    sys.SetLoader([this](TreeNode& n) { ExpandStoredNode(info, ResultSection::SystemFiles, n); });
  }

  Tree regSel, driveSel, sysSel, reg, drives, sys;
  std::vector<std::string> noCheck;
  ResultFileInfo info;
};

// The node at a path below the top node (a text with backslashes: one child of it).
TreeNode* At(Tree& tree, const std::string& path) {
  TreeNode* node = tree.First()->FindChild(path);
  if (node == nullptr) node = FindNodeByPath(path, tree, false, false);
  if (node == nullptr) throw std::runtime_error("no node " + path);
  return node;
}

std::string Joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

class ExportTest : public ::testing::Test {
 protected:
  void Prepare(bool versions = true) {
    ResultSource source(versions);
    source.Write(name);
    result.Load(name);
  }

  // The eight lines every export starts with.
  Lines Header(const std::string& area) const {
    return {std::string("; Velmoria Quitaway 2000 ") + kTitle,
            "; Datei:" + name,
            "; " + area,
            "; Legende:",
            "; [-]= gelöschter Schlüssel/Dir, [+]= neuer Schlüssel/Dir, [#]= Inhalte dieses Schlüssels/Dir geändert",
            "; [-]= gelöschter Wert/Datei, [+]= neuer Wert/Datei",
            "; [%]= geänderter Wert (alter Wert/Datei), [*]=  geänderter Wert (neuer Wert/Datei)",
            "; "};
  }
  static Lines Plus(Lines head, const Lines& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  }

  TempFolder folder;
  ScriptedInteraction ui;
  std::string name = folder.File("Beispiel.TSL");
  LoadedResult result;
};

// What the walker reported, one text per call.
struct WalkLog {
  Lines calls;
  std::vector<WalkValue> values;

  NodeCallback Node(const std::string& what) {
    return [this, what](int kind, const std::string& path, int level, int treeKind) {
      calls.push_back(what + " " + std::to_string(kind) + " " + path + " @" + std::to_string(level) + " t" +
                      std::to_string(treeKind));
    };
  }
  ValueCallback Value() {
    return [this](int kind, const std::string& path, const std::string& name, int treeKind, int dataType, int level,
                  const WalkValue& value) {
      calls.push_back("value " + std::to_string(kind) + " " + path + " \"" + name + "\" type " +
                      std::to_string(dataType) + " @" + std::to_string(level) + " t" + std::to_string(treeKind));
      values.push_back(value);
    };
  }
  void Walk(const ResultFileInfo& info, TreeNode* start, uint32_t mask, int treeKind) {
    WalkResultTree(info, start, mask, treeKind, Value(), Node("header"), Node("change"), Node("end"));
  }
};

}  // namespace

// ---------------------------------------------------------------- export text

TEST_F(ExportTest, RegistrySubtreeAsTheUserFindsItInTheFile) {
  Prepare();
  TreeNode* software = At(result.reg, "HKEY_LOCAL_MACHINE\\SOFTWARE");
  const Lines lines = ExportResultText(result.info, software, kAllKinds, tkRegistry, kTitle, kDefault);

  const Lines expected = Plus(
      Header("Registry : HKEY_LOCAL_MACHINE\\SOFTWARE"),
      {
          // A deleted subkey comes before its deleted key, a new one before its new key.
          "[-][HKEY_LOCAL_MACHINE\\SOFTWARE\\Alt\\Teil]",
          "  [-]\"Rest\" = \"weg\"",
          "[-][HKEY_LOCAL_MACHINE\\SOFTWARE\\Alt]",
          "  [-]\"Pfad\" = \"C:\\Alt\"",
          "[+][HKEY_LOCAL_MACHINE\\SOFTWARE\\Neu\\Unter]",
          "  [+]\"Zahl\" = $0000000A  (10)",
          "[+][HKEY_LOCAL_MACHINE\\SOFTWARE\\Neu]",
          "  [+]\"(Standard)\" = \"Hallo\"",
          "  [+]\"Name\" = $0000000A  (10)",
          "[#][HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorhanden]",
          "  [%]\"Wert\" = $00000005  (5)",
          "  [*]\"Wert\" = $FFFFFFFF  (-1)",
          "  [+]\"Text\" = \"neu äöü\"",
          "  [-]\"Pfad\"=hex(2):41,42,00",
          "  [-]\"(Standard)\" = \"alt\"",
          "  [+]\"Leer\"=hex(3):",
          // 81 characters, but no byte follows: no continuation.
          "  [+]\"Kurz\"=hex(3):A0,A1,A2,A3,A4,A5,A6,A7,A8,A9,AA,AB,AC,AD,AE,AF,B0,B1,B2,B3,B4",
          "  [+]\"Mittel\"=hex(3):30,31,32,33,34,35,36,37,38,39,3A,3B,3C,3D,3E,3F,40,41,42,43,\\",
          "  44,45,46,47,48,49,4A,4B,4C,4D",
          "  [%]\"Lang\"=hex(3):01,02,03",
          "  [*]\"Lang\"=hex(3):00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,\\",
          "  15,16,17,18,19,1A,1B,1C,1D,1E,1F,20,21,22,23,24,25,26,27,28,29,2A,2B,2C,2D,2E,2F,\\",
          "  30,31,32,33,34,35,36,37,38,39,3A,3B,3C,3D,3E,3F,40,41,42,43,44,45,46,47,48,49,4A,\\",
          "  4B,4C,4D,4E,4F,50,51,52,53,54,55,56,57,58,59,5A,5B,5C,5D,5E,5F,60,61,62,63",
          "  [+]\"Liste\"=hex(7):61,00,00",
          "  [+]\"Fertig\" = \"x\"",  // already undone: still part of the record
          "  [+]\"Leerer Text\" = \"\"",
          "  [+]\"Umgebung\"=hex(2):25,54,45,4D,50,25,5C,C3,A4,00",
      });
  EXPECT_EQ(lines, expected);

  // Saved, the file holds exactly these lines.
  const std::string file = folder.File("Beispiel_REG.TXT");
  SaveTextLines(file, lines);
  EXPECT_EQ(ReadFileBytes(file), Joined(expected));

  // The stored subkeys were read from the file, not loaded into the tree.
  EXPECT_EQ(At(result.reg, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Neu")->Count(), 0u);
  EXPECT_TRUE(ui.Texts().empty());
}

TEST_F(ExportTest, MaskChoosesTheKindsOfChange) {
  Prepare();
  TreeNode* software = At(result.reg, "HKEY_LOCAL_MACHINE\\SOFTWARE");

  // Nothing chosen: the header alone.
  EXPECT_EQ(ExportResultText(result.info, software, 0, tkRegistry, kTitle, kDefault),
            Header("Registry : HKEY_LOCAL_MACHINE\\SOFTWARE"));

  // Deleted keys and values only: the deleted values of a changed key come without
  // its header line, which is of another kind.
  const uint32_t deleted = (1u << stRemoved) | (1u << rsDeleted);
  EXPECT_EQ(ExportResultText(result.info, software, deleted, tkRegistry, kTitle, kDefault),
            Plus(Header("Registry : HKEY_LOCAL_MACHINE\\SOFTWARE"),
                 {
                     "[-][HKEY_LOCAL_MACHINE\\SOFTWARE\\Alt\\Teil]",
                     "  [-]\"Rest\" = \"weg\"",
                     "[-][HKEY_LOCAL_MACHINE\\SOFTWARE\\Alt]",
                     "  [-]\"Pfad\" = \"C:\\Alt\"",
                     "  [-]\"Pfad\"=hex(2):41,42,00",
                     "  [-]\"(Standard)\" = \"alt\"",
                 }));

  // The altered pair's new half and changed keys.
  const uint32_t altered = (1u << stMembersChanged) | (1u << rsNewOfAltered);
  const Lines lines = ExportResultText(result.info, At(result.reg, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorhanden"),
                                       altered, tkRegistry, "", kDefault);
  ASSERT_EQ(lines.size(), 8u + 6u);
  EXPECT_EQ(lines[0], "; Velmoria Quitaway 2000 ");
  EXPECT_EQ(lines[2], "; Registry : HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorhanden");
  EXPECT_EQ(lines[8], "[#][HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorhanden]");
  EXPECT_EQ(lines[9], "  [*]\"Wert\" = $FFFFFFFF  (-1)");
  EXPECT_EQ(lines[10], "  [*]\"Lang\"=hex(3):00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,\\");

  // No node: the header with an empty path.
  EXPECT_EQ(ExportResultText(result.info, nullptr, kAllKinds, tkRegistry, kTitle, kDefault), Header("Registry : "));
}

TEST_F(ExportTest, FileStructureWithSizesDatesAttributesAndVersions) {
  Prepare();
  TreeNode* drive = At(result.drives, "C: [SYSTEM]");
  EXPECT_EQ(ExportResultText(result.info, drive, kAllKinds, tkFiles, kTitle, kDefault),
            Plus(Header("Dateistruktur : C: [SYSTEM]"),
                 {
                     "[+][C:\\Programme\\Neu\\bin\\]",
                     "  [+]\"app.exe\" 1.234.567 Bytes, 17.5.2024 13:45:30, [A] Ver. 5.1.2.3",
                     "[+][C:\\Programme\\Neu\\]",
                     "  [+]\"liesmich.txt\" 100 Bytes, 23.8.2001, [ARSH] Ver. 0.0.0.0",
                     "[#][C:\\Windows\\]",
                     "  [%]\"win.com\" 24.576 Bytes, 23.8.2001, [AR] Ver. 0.0.0.0",
                     "  [*]\"win.com\" 24.580 Bytes, 2.1.2024 08:00:02, [A] Ver. 10.0.19041.1",
                     "  [-]\"alt.dll\" 0 Bytes, 2.1.2024 08:00:02, [] Ver. 0.0.0.0",
                     "[#][C:\\]",
                     "  [+]\"boot.ini\" 1.000 Bytes, 17.5.2024 13:45:30, [SH] Ver. 0.0.0.0",
                 }));
}

TEST_F(ExportTest, FilesOfAnOlderResultHaveNoVersions) {
  Prepare(false);
  ASSERT_FALSE(result.info.Versions);
  TreeNode* programme = At(result.drives, "C: [SYSTEM]\\Programme");
  EXPECT_EQ(ExportResultText(result.info, programme, kAllKinds, tkFiles, kTitle, kDefault),
            Plus(Header("Dateistruktur : C: [SYSTEM]\\Programme"),
                 {
                     "[+][C:\\Programme\\Neu\\bin\\]",
                     "  [+]\"app.exe\" 1.234.567 Bytes, 17.5.2024 13:45:30, [A]",
                     "[+][C:\\Programme\\Neu\\]",
                     "  [+]\"liesmich.txt\" 100 Bytes, 23.8.2001, [ARSH]",
                 }));
}

TEST_F(ExportTest, SystemFilesWithIniEntriesAndTextLines) {
  Prepare();
  // The entry of unknown kind has no records and is no obstacle.
  EXPECT_EQ(ExportResultText(result.info, result.sys.First(), kAllKinds, tkSystem, kTitle, kDefault),
            Plus(Header("Systemdateien : "),
                 {
                     "[#][WIN.INI\\[Extensions]]",
                     "  [%]\"txt\" = \"notepad.exe ^.txt\"",
                     "  [*]\"txt\" = \"wordpad.exe ^.txt\"",
                     "[+][WIN.INI\\[Neu]]",
                     "  [+]\"Pfad\" = \"C:\\Neu\"",
                     "[#][AUTOEXEC.BAT]",
                     "  [+]\"SET PATH=C:\\NEU\" = \"5\"",
                     "  [-]\"REM alt\" = \"1\"",
                     "[#][C:\\Tools\\log.txt(TXT)]",
                     "  [+]\"Zeile drei\" = \"3\"",
                     "[-][C:\\Tools\\app.ini(INI)]",
                 }));

  // A section alone: its file's kind is found from the section too.
  EXPECT_EQ(ExportResultText(result.info, At(result.sys, "WIN.INI\\[Neu]"), kAllKinds, tkSystem, kTitle, kDefault),
            Plus(Header("Systemdateien : WIN.INI\\[Neu]"), {"[+][WIN.INI\\[Neu]]", "  [+]\"Pfad\" = \"C:\\Neu\""}));
}

TEST_F(ExportTest, DamagedReferenceEndsTheExportWithAReadError) {
  Prepare();
  At(result.reg, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorhanden")->SetData(0x7FFF0000);
  EXPECT_THROW(ExportResultText(result.info, At(result.reg, "HKEY_LOCAL_MACHINE"), kAllKinds, tkRegistry, kTitle,
                                kDefault),
               EReadError);
}

// ---------------------------------------------------------------- walker

TEST_F(ExportTest, WalkerCallsChangeChildrenHeaderValuesAndEndInOrder) {
  Prepare();
  const std::string alt = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Alt";
  const std::string neu = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Neu";

  // Deleted: the change call comes first, before the children.
  WalkLog deleted;
  deleted.Walk(result.info, At(result.reg, alt), kAllKinds, tkRegistry);
  EXPECT_EQ(deleted.calls, (Lines{
                               "change 7 " + alt + " @3 t0",
                               "change 7 " + alt + "\\Teil @4 t0",
                               "header 7 " + alt + "\\Teil @4 t0",
                               "value 10 " + alt + "\\Teil \"Rest\" type 1 @4 t0",
                               "end 7 " + alt + "\\Teil @4 t0",
                               "header 7 " + alt + " @3 t0",
                               "value 10 " + alt + " \"Pfad\" type 1 @3 t0",
                               "end 7 " + alt + " @3 t0",
                           }));

  // New: the change call follows the values.
  WalkLog added;
  added.Walk(result.info, At(result.reg, neu), kAllKinds, tkRegistry);
  EXPECT_EQ(added.calls, (Lines{
                             "header 6 " + neu + "\\Unter @4 t0",
                             "value 9 " + neu + "\\Unter \"Zahl\" type 3 @4 t0",
                             "change 6 " + neu + "\\Unter @4 t0",
                             "end 6 " + neu + "\\Unter @4 t0",
                             "header 6 " + neu + " @3 t0",
                             "value 9 " + neu + " \"\" type 1 @3 t0",
                             "value 9 " + neu + " \"Name\" type 3 @3 t0",
                             "change 6 " + neu + " @3 t0",
                             "end 6 " + neu + " @3 t0",
                         }));

  // Each call only for the kinds in the mask; neutral nodes are kind 0.
  WalkLog masked;
  masked.Walk(result.info, At(result.reg, "HKEY_LOCAL_MACHINE"), (1u << stNeutral) | (1u << stRemoved), tkRegistry);
  EXPECT_EQ(masked.calls, (Lines{
                              "change 7 " + alt + " @3 t0",
                              "change 7 " + alt + "\\Teil @4 t0",
                              "header 7 " + alt + "\\Teil @4 t0",
                              "end 7 " + alt + "\\Teil @4 t0",
                              "header 7 " + alt + " @3 t0",
                              "end 7 " + alt + " @3 t0",
                              "header 0 HKEY_LOCAL_MACHINE\\SOFTWARE @2 t0",
                              "end 0 HKEY_LOCAL_MACHINE\\SOFTWARE @2 t0",
                              "header 0 HKEY_LOCAL_MACHINE @1 t0",
                              "end 0 HKEY_LOCAL_MACHINE @1 t0",
                          }));

  // Files: folders as full paths; a deleted system file without records still gets
  // its change call; no node, no call.
  WalkLog files;
  files.Walk(result.info, At(result.drives, "C: [SYSTEM]\\Windows"), kAllKinds, tkFiles);
  ASSERT_EQ(files.calls.size(), 5u);
  EXPECT_EQ(files.calls[0], "header 8 C:\\Windows\\ @2 t1");
  EXPECT_EQ(files.calls[1], "value 11 C:\\Windows\\ \"win.com\" type 0 @2 t1");
  EXPECT_EQ(files.calls[4], "end 8 C:\\Windows\\ @2 t1");
  WalkLog removedFile;
  removedFile.Walk(result.info, At(result.sys, "C:\\Tools\\app.ini(INI)"), kAllKinds, tkSystem);
  EXPECT_EQ(removedFile.calls, (Lines{"change 7 C:\\Tools\\app.ini(INI) @1 t2",
                                      "header 7 C:\\Tools\\app.ini(INI) @1 t2",
                                      "end 7 C:\\Tools\\app.ini(INI) @1 t2"}));
  WalkLog none;
  none.Walk(result.info, nullptr, kAllKinds, tkRegistry);
  EXPECT_TRUE(none.calls.empty());
}

TEST_F(ExportTest, WalkerHandsOverValuesInTheirStoredForms) {
  Prepare();
  WalkLog reg;
  reg.Walk(result.info, At(result.reg, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorhanden"), (1u << rsNew) | (1u << rsDeleted),
           tkRegistry);
  ASSERT_EQ(reg.values.size(), 10u);
  EXPECT_EQ(std::get<std::string>(reg.values[0]), "neu äöü");
  EXPECT_EQ(std::get<Bytes>(reg.values[1]), (Bytes{'A', 'B', 0}));  // expandable: characters and a zero
  EXPECT_EQ(std::get<std::string>(reg.values[2]), "alt");
  EXPECT_TRUE(std::get<Bytes>(reg.values[3]).empty());
  EXPECT_EQ(std::get<Bytes>(reg.values[4]), Sequence(0xA0, 21));
  EXPECT_EQ(std::get<Bytes>(reg.values[6]), (Bytes{'a', 0, 0}));
  EXPECT_EQ(std::get<Bytes>(reg.values[9]), (Bytes{'%', 'T', 'E', 'M', 'P', '%', '\\', 0xC3, 0xA4, 0}));
  WalkLog numbers;
  numbers.Walk(result.info, At(result.reg, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorhanden"), 1u << rsOldOfAltered,
               tkRegistry);
  ASSERT_EQ(numbers.values.size(), 2u);
  EXPECT_EQ(std::get<int32_t>(numbers.values[0]), 5);
  EXPECT_EQ(std::get<Bytes>(numbers.values[1]), (Bytes{1, 2, 3}));

  // Files: date, size, attributes and the two version words.
  WalkLog files;
  files.Walk(result.info, At(result.drives, "C: [SYSTEM]\\Windows"), 1u << rsNewOfAltered, tkFiles);
  ASSERT_EQ(files.values.size(), 1u);
  EXPECT_EQ(std::get<std::vector<int32_t>>(files.values[0]),
            (std::vector<int32_t>{kNewTime, 24580, 0x20, 0x000A0000, 0x4A610001}));

  // System files: INI values as text, lines as their number counted from 1.
  WalkLog sys;
  sys.Walk(result.info, result.sys.First(), 1u << rsNew, tkSystem);
  ASSERT_EQ(sys.values.size(), 3u);
  EXPECT_EQ(std::get<std::string>(sys.values[0]), "C:\\Neu");
  EXPECT_EQ(std::get<int32_t>(sys.values[1]), 5);
  EXPECT_EQ(std::get<int32_t>(sys.values[2]), 3);
}

// ---------------------------------------------------------------- saving

TEST_F(ExportTest, SavedTextIsUtf8WithoutByteOrderMarkAndCrLfAfterEveryLine) {
  const std::string file = folder.File("Export.TXT");
  WriteFileBytes(file, std::string(500, 'x'));  // an older, longer file is replaced
  SaveTextLines(file, {"; Kopf", "  [+]\"Größe\" = \"€\"", "", "Ende"});
  EXPECT_EQ(ReadFileBytes(file), std::string("; Kopf\r\n"
                                             "  [+]\"Gr\xC3\xB6\xC3\x9F" "e\" = \"\xE2\x82\xAC\"\r\n"
                                             "\r\n"
                                             "Ende\r\n"));
  SaveTextLines(file, {});
  EXPECT_NE(GetFileAttributesW(platform::Utf8ToWide(file).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadFileBytes(file), "");

  const std::string unreachable = folder.File("fehlt\\Export.TXT");
  try {
    SaveTextLines(unreachable, {"x"});
    ADD_FAILURE() << "saved into a missing folder";
  } catch (const platform::EFCreateError& e) {
    EXPECT_NE(std::string(e.what()).find(unreachable), std::string::npos) << e.what();
  }
}
