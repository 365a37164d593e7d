// The result file: loading all or nothing, records through a node's Data offset, stored
// keys and folders, shared-DLL counters, damaged files, display. The export reads contents.
#include <gmock/gmock.h>

#include "core/exceptions.h"
#include "support/result_builder.h"

namespace {

using Names = std::vector<std::string>;
using ::testing::HasSubstr, ::testing::ThrowsMessage;
using enum ResultSection;
const std::string kSoftware = "HKEY_LOCAL_MACHINE\\SOFTWARE\\", kNeuDir = "C: [SYSTEM]\\Programme\\Neu";
const char kWindows[] = "C: [SYSTEM]\\Windows";

// Raises a read error whose message ends in this detail.
auto ReadError(const std::string& detail) { return ThrowsMessage<EReadError>(HasSubstr(":\r" + detail)); }

// The children: text, "+" with children of their own, state, image/selected, done look.
std::string Kids(const TreeNode& node) {
  std::string text;
  for (size_t i = 0; i < node.Count(); ++i) {
    const TreeNode& c = *node.Child(i);
    text += (i ? ", " : "") + c.Text() + (c.HasChildren() ? "+ " : " ") + std::to_string(c.StateIndex()) + " " +
            std::to_string(c.ImageIndex()) + "/" + std::to_string(c.SelectedIndex()) + (c.Cut() ? " cut" : "");
  }
  return text;
}

class ResultFileTest : public ResultFixture {
 protected:
  // "name=status" per record, marked unless the file holds that status item at StatusPos.
  std::string Records(ResultSection section, const std::string& path, int systemKind = 0) {
    const std::string bytes = ReadFileBytes(name);
    std::string text;
    Tree& tree = section == Registry ? reg : section == Drives ? drives : sys;
    for (const NodeRecord& r : ReadNodeRecords(info, section, At(tree, path), systemKind)) {
      const auto at = static_cast<size_t>(r.StatusPos);
      const bool there = at + 1 < bytes.size() && uint8_t(bytes[at]) == tagInt8 && uint8_t(bytes[at + 1]) == r.Status;
      text += (text.empty() ? "" : " ") + r.Name + "=" + std::to_string(r.Status) + (there ? "" : "(StatusPos?)");
    }
    return text;
  }
};

}  // namespace

TEST_F(ResultFileTest, LoadsSelectionTreesPositionsAndKindImages) {
  WriteAndLoad();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(info.TreePos(ResultSection(i)), src.treePos[i]) << i;
    EXPECT_EQ(info.BlockStart(ResultSection(i)), src.blockPos[i]) << i;
  }
  EXPECT_EQ(noCheck, src.noCheck);
  EXPECT_EQ(At(sysSel, "WIN.INI").StateIndex(), stChecked);
  // Children of new and deleted nodes stay in the block; undone nodes get the done look.
  EXPECT_EQ(Kids(*At(reg, "HKEY_LOCAL_MACHINE").Child(0)), "Alt+ 23 -1/-1 cut, Neu+ 6 -1/-1, Vorhanden 8 -1/-1");
  EXPECT_EQ(Kids(*drives.First()), "C: [SYSTEM]+ 8 3/-1");
  // System-file images come from the kinds, not the file; unknown entries and sections have none.
  EXPECT_EQ(Kids(*sys.First()), "WIN.INI+ 0 7/7, AUTOEXEC.BAT 8 8/8, C:\\Tools\\app.ini(INI) 7 7/7, notes.dat 0 -1/-1");
  EXPECT_EQ(Kids(At(sys, "WIN.INI")), "[Extensions] 8 -1/-1, [Neu] 6 -1/-1");
  // Without the system block's length it still loads, and reads nothing of another section.
  WriteAndLoad(false);
  EXPECT_EQ(info.SystemBlockStart, 0);
  EXPECT_EQ(Records(SystemFiles, "AUTOEXEC.BAT", 1), "");
  EXPECT_EQ(Records(Drives, kWindows), "win.com=11 win.com=12 alt.dll=26");
}

TEST_F(ResultFileTest, OtherAndDamagedFilesChangeNothing) {
  const std::string tss = folder.File("Auswahl.TSS");
  SaveSelectionFile(tss, nullptr, src.regSel, src.driveSel, src.sysSel, {});
  EXPECT_THAT([&] { Load(tss); }, ThrowsMessage<EDataFileError>("Error: " + tss + "\rDas ist keine Protokolldatei"));
  // A registry block longer than the file: refused before anything is replaced.
  WriteAndLoad();
  Tree* trees[] = {&regSel, &driveSel, &sysSel, &reg, &drives, &sys};
  for (Tree* t : trees) t->First()->SetText("geladen");
  noCheck = {"geladen"};
  std::string bytes = ReadFileBytes(name);
  const auto lengthItem = static_cast<size_t>(src.blockPos[0] - 3);  // tag 3 and two bytes
  ASSERT_EQ(static_cast<uint8_t>(bytes[lengthItem]), tagInt16);
  WriteFileBytes(name, bytes.replace(lengthItem, 3, std::string("\x04\x00\x00\x00\x10", 5)));
  EXPECT_THAT([&] { Load(name); }, ReadError("Ungültige Länge 268435456 eines Datenblocks"));
  for (Tree* t : trees) EXPECT_EQ(t->First()->Text(), "geladen");
  EXPECT_EQ(noCheck, Names{"geladen"});
  EXPECT_EQ(info.DriveBlockStart, src.blockPos[1]);
}

TEST_F(ResultFileTest, RecordsOfANode) {
  WriteAndLoad();
  const std::tuple<ResultSection, std::string, int, const char*> nodes[] = {
      {Registry, kSoftware + "Vorhanden", 0, "Wert=11 Wert=12 Text=9 Pfad=10 =10 Leer=9 Kurz=9 Mittel=9"},
      {Registry, kSoftware + "Neu", 0, "=9 Name=25"},  // the stored subkeys passed over
      {Registry, "HKEY_LOCAL_MACHINE", 0, ""},          // no group of its own
      {Drives, kNeuDir, 0, "liesmich.txt=9"},
      {SystemFiles, "WIN.INI\\[Extensions]", 0, "txt=11 txt=12"},
      {SystemFiles, "AUTOEXEC.BAT", 1, "PATH C:\\NEU=9 REM alt=26"}};
  for (const auto& [section, path, kind, expected] : nodes) EXPECT_EQ(Records(section, path, kind), expected) << path;
  EXPECT_TRUE(ReadNodeRecords(ResultFileInfo{}, Registry, At(reg, kSoftware + "Alt")).empty());  // none loaded
  // An entry of unknown kind, and records asked without a known kind.
  EXPECT_THROW(SystemKindOfNode(At(sys, "notes.dat")), EQuitawayError);
  EXPECT_THROW(Records(SystemFiles, "AUTOEXEC.BAT", -1), EQuitawayError);

  // The older form, whose file records end after the attributes.
  ResultSource(false).Write(name);
  Load(name);
  EXPECT_FALSE(info.Versions);
  EXPECT_EQ(Records(Drives, kNeuDir), "liesmich.txt=9");
  EXPECT_EQ(Records(Drives, kWindows), "win.com=11 win.com=12 alt.dll=26");
}

TEST_F(ResultFileTest, ExpandingStoredFoldersAndKeys) {
  WriteAndLoad();
  TreeNode& neu = At(drives, kNeuDir);
  ExpandStoredNode(info, Drives, neu);
  ExpandStoredNode(info, Drives, neu);  // loaded children stay as they are
  EXPECT_EQ(Kids(neu), "bin+ 6 -1/5, doc 6 -1/5");
  ExpandStoredNode(info, Drives, *neu.Child(0));
  EXPECT_EQ(Kids(*neu.Child(0)), "tief 6 -1/5");
  // A child's Data points at its own copy.
  EXPECT_EQ(Records(Drives, kNeuDir + "\\bin\\tief"), "d.txt=9");
  // Keys the same way; below an undone key everything is done.
  TreeNode& alt = At(reg, kSoftware + "Alt");
  ExpandStoredNode(info, Registry, alt);
  EXPECT_EQ(Kids(alt), "Teil 23 -1/-1 cut");
  EXPECT_EQ(Records(Registry, kSoftware + "Alt\\Teil"), "Rest=10");
  ExpandStoredNode(info, Registry, At(reg, kSoftware + "Neu"));
  EXPECT_EQ(Kids(At(reg, kSoftware + "Neu")), "Unter+ 6 -1/-1");
}

TEST_F(ResultFileTest, SharedDllCountersOfTheResult) {
  // A name altered and again in other letters, one undone, a text.
  TreeNode* cv = &At(src.reg, "HKEY_LOCAL_MACHINE\\SOFTWARE");
  for (const char* key : {"Microsoft", "Windows", "CurrentVersion"}) cv = Add(cv, key, stNeutral);
  Add(cv, "SharedDlls", stMembersChanged,
      src.regBlock.Put(5, "C:\\W\\A.DLL", rsOldOfAltered, 3, 1, "C:\\W\\A.DLL", rsNewOfAltered, 3, 2,
                       "c:\\w\\a.dll", rsNew, 3, 1, "C:\\APP\\X.DLL", rsNew | flDone, 3, 1, "Text", rsNew, 1, "x"));
  auto shown = [&] {
    WriteAndLoad();
    std::string text;
    for (const SharedDllEntry& e : CollectSharedDlls(info, reg)) text += e.Name + (e.Done ? " done " : " ");
    return text;
  };
  EXPECT_EQ(shown(), "C:\\W\\A.DLL C:\\APP\\X.DLL done ");  // each name once; texts are no counters
  // None without the key; below a new key (in other letters) found by expanding its copy.
  cv->SetText("Other");
  EXPECT_EQ(shown(), "");
  Add(cv->Parent(), "CURRENTVERSION", stAdded,
      src.regBlock.Put(2, "Run", 0, 0, "SHAREDDLLS", 0, 1, "C:\\APP\\A.DLL", rsNew, 3, 1, 0), true);
  EXPECT_EQ(shown(), "C:\\APP\\A.DLL ");
}

TEST_F(ResultFileTest, DamagedOrMissingDataFailsWithReadErrors) {
  // A huge count, a status that is no two-byte item, a new key whose second subkey is
  // damaged, and last a record whose data would run on into the drive tree.
  Block& r = src.regBlock;
  const std::pair<const char*, int32_t> damaged[] = {
      {"HugeCount", r.Put(50000000)}, {"WideStatus", r.Put(1, "X", 300, 3, 1)},
      {"Broken", r.Put(2, "Gut", 0, 0, "X", 40000000)}, {"Overrun", r.Put(1, "X", rsNew, 4, 40, 1)}};
  const auto blockSize = static_cast<int32_t>(r.Content().size());
  for (const auto& [text, data] : damaged) Add(src.reg.First(), text, stMembersChanged, data);
  At(src.reg, "Broken").SetStateIndex(stAdded);
  WriteAndLoad();
  for (const auto& [text, data] : damaged) EXPECT_THROW(Records(Registry, text), EReadError) << text;
  // Children are added only once all were read.
  EXPECT_THROW(ExpandStoredNode(info, Registry, At(reg, "Broken")), EReadError);
  EXPECT_EQ(At(reg, "Broken").Count(), 0u);
  // Offsets outside the block: negative, at its end (the drive tree), past the file.
  TreeNode& changed = At(reg, kSoftware + "Vorhanden");
  for (int32_t data : {-3, blockSize, 0x7FFFFF00}) {
    changed.SetData(data);
    EXPECT_THAT([&] { ReadNodeRecords(info, Registry, changed); },
                ReadError("Der Verweis " + std::to_string(data) + " zeigt nicht in den Datenblock"));
  }
  ASSERT_EQ(std::remove(name.c_str()), 0);  // the file gone since loading
  EXPECT_THROW(ReadNodeRecords(info, Drives, At(drives, kWindows)), platform::EFOpenError);
  EXPECT_THROW(ExpandStoredNode(info, Drives, At(drives, kNeuDir)), platform::EFOpenError);
}

// Under de_DE (Wine's short date "d.M.yyyy", long time "HH:mm:ss"); the export shows the usual forms.
TEST(ResultDisplay, FileColumnsAndInvalidValues) {
  ListRow row;
  FillFileColumns(row, Packed(2024, 2, 29, 23, 59, 58), -1, 0x90);  // folder and normal have no letter
  AddVersionColumn(row, int32_t(0xFFFF000A), int32_t(0x80000001));
  EXPECT_EQ(row.SubItems, (Names{"4.294.967.295", "29.2.2024 23:59:58", "", "Ver. 65535.10.32768.1"}));
  // An invalid date or time shows nothing rather than a made-up date.
  for (int32_t time : {0, Packed(2100, 2, 29, 12, 0, 0), Packed(2024, 5, 17, 24, 0, 0)})
    EXPECT_EQ(FormatFileTime(time), "") << time;
}
