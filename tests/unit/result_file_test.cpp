// The result file: loading the selection and the three result trees, reading the
// records of a node through its Data offset, expanding stored keys and folders, the
// shared-DLL counters, damaged files, and the display form of file records.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "platform/file_stream.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "model/data_codes.h"
#include "model/data_stream.h"
#include "result/result_file.h"
#include "model/treetool.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One integer or string item, so that a record reads as one line.
struct Item {
  Item(int32_t v) : isText(false), number(v) {}
  Item(const char* v) : isText(true), text(v) {}
  Item(std::string v) : isText(true), text(std::move(v)) {}
  bool isText;
  int32_t number = 0;
  std::string text;
};

// A value block being built; offsets are the writer's positions, as the comparison
// takes them.
class Block {
 public:
  explicit Block(const char* header) : w_(stream_) { w_.WriteString(header); }
  int32_t Put(std::initializer_list<Item> items) {
    const auto at = static_cast<int32_t>(w_.Position());
    for (const Item& i : items) i.isText ? w_.WriteString(i.text) : w_.WriteInteger(i.number);
    return at;
  }
  DataWriter& W() { return w_; }
  Bytes Content() {
    w_.Flush();
    return stream_.Bytes();
  }

 private:
  platform::MemoryStream stream_;
  DataWriter w_;
};

int32_t Packed(int year, int month, int day, int hour, int minute, int second) {
  const auto date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  const auto time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return static_cast<int32_t>((date << 16) | time);
}

TreeNode* Add(TreeNode* parent, const std::string& text, int32_t state, int32_t data = 0) {
  TreeNode* n = parent->AddChild(text);
  n->SetStateIndex(state);
  n->SetImageIndex(0);
  n->SetSelectedIndex(1);
  n->SetData(data);
  return n;
}

const int32_t kAppTime = Packed(2024, 5, 17, 13, 45, 30);
const int32_t kOldTime = Packed(2001, 8, 23, 0, 0, 0);
const int32_t kNewTime = Packed(2024, 1, 2, 8, 0, 2);
const char kSharedDlls[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

// Everything a result file holds.
struct ResultContent {
  Tree regSel, driveSel, sysSel;
  std::vector<std::string> noCheck{"C:\\PROGRAMME\\QUITAWAY\\OLDCFG.TSD", "C:\\TEMP\\A.TSL"};
  Tree reg, drives, sys;
  Block regBlock{kValuesHeader}, driveBlock{kFilesHeader}, sysBlock{kSystemFilesHeader};

  ResultContent() {
    TreeNode* top = regSel.AddTop(kRegistryTop);
    Add(top, "HKEY_LOCAL_MACHINE", stChecked);
    Add(driveSel.AddTop(kDrivesTop), "C: [SYSTEM]", stChecked);
    Add(sysSel.AddTop(kSystemTop), "WIN.INI", stChecked);
    for (Tree* t : {&reg, &drives}) {
      TreeNode* n = t->AddTop(t == &reg ? kRegistryTop : kDrivesTop);
      n->SetImageIndex(2);
      n->SetSelectedIndex(2);
    }
    sys.AddTop(kSystemTop);
  }
};

// The usual content: in the registry a new key with stored subkeys, a deleted key
// already undone and changed shared-DLL counters; on the drive a new folder with
// subfolders and a folder with changed files; in the system files a changed and a new
// INI section, a changed text file, a deleted user INI file and an unknown entry.
void BuildScenario(ResultContent& c, bool versions) {
  Block& r = c.regBlock;
  // Key records: subkey count, (name, key record)..., value count, (name, value)...
  const int32_t newApp = r.Put({1, "Sub", 1, "Deeper", 0, 1, "Leaf", rsNew, 1, "blatt",  //
                                1, "Inner", rsNew, 1, "innen",                           //
                                2, "", rsNew, 1, "Hallo Welt", "Count", rsNew + flDone, 3, 42});
  const int32_t shared = r.Put({6, "C:\\WINDOWS\\SYSTEM32\\MSVCRT.DLL", rsOldOfAltered, 3, 1,
                                "C:\\WINDOWS\\SYSTEM32\\MSVCRT.DLL", rsNewOfAltered, 3, 2,
                                "c:\\windows\\system32\\msvcrt.dll", rsNew, 3, 1,
                                "C:\\PROGRAMME\\APP\\X.DLL", rsNew + flDone, 3, 1,
                                "Hinweis", rsNew, 1, "kein Zähler", "Blob", rsDeleted, 4, 4});
  r.W().WriteRaw("\x00\x01\x02\xFF", 4);
  const int32_t oldApp = r.Put({0, 1, "Setting", rsDeleted + flDone, 2, "%TEMP%\\alt"});

  TreeNode* software = Add(Add(c.reg.First(), "HKEY_CURRENT_USER", stNeutral), "Software", stNeutral);
  Add(software, "NewApp", stAdded, newApp)->SetHasChildren(true);
  Add(software, "OldApp", stRemoved + flDone, oldApp);
  TreeNode* n = Add(c.reg.First(), "HKEY_LOCAL_MACHINE", stNeutral);
  for (const char* part : {"Software", "Microsoft", "Windows", "CurrentVersion"}) n = Add(n, part, stNeutral);
  Add(n, "SharedDlls", stMembersChanged, shared);

  // File records: status, time, size, attributes and, with versions, high and low.
  auto file = [versions](std::string name, int32_t status, int32_t time, int32_t size, int32_t attr,
                         int32_t high = 0, int32_t low = 0) {
    std::vector<Item> items{Item(std::move(name)), status, time, size, attr};
    if (versions) items.insert(items.end(), {high, low});
    return items;
  };
  Block& d = c.driveBlock;
  const int32_t newFolder = d.Put({2, "bin", 1, "deep", 0, 1});
  for (const Item& i : file("d.txt", rsNew, Packed(2024, 5, 17, 0, 0, 0), 3, 0x20)) d.Put({i});
  d.Put({1});
  for (const Item& i : file("app.exe", rsNew, kAppTime, 1234567, 0x20, 0x00050001, 0x00020003)) d.Put({i});
  d.Put({"doc", 0, 0, 1});
  for (const Item& i : file("readme.txt", rsNew, kAppTime, 100, 0x20)) d.Put({i});
  const int32_t windows = d.Put({3});
  for (const Item& i : file("win.com", rsOldOfAltered, kOldTime, 24576, 0x21)) d.Put({i});
  for (const Item& i : file("win.com", rsNewOfAltered, kNewTime, 24580, 0x20, 0x000A0000, 0x4A610001)) d.Put({i});
  for (const Item& i : file("new.dll", rsNew + flDone, kNewTime, 5, 0x27)) d.Put({i});

  TreeNode* drive = Add(c.drives.First(), "C: [SYSTEM]", stNeutral);
  drive->SetImageIndex(3);
  drive->SetSelectedIndex(3);
  TreeNode* added = Add(Add(drive, "Programme", stNeutral), "NewApp", stAdded, newFolder);
  added->SetSelectedIndex(-1);
  added->SetHasChildren(true);
  Add(drive, "Windows", stMembersChanged, windows);

  // Entries: key, status, value (INI) or line, status, line index (text).
  Block& s = c.sysBlock;
  const int32_t extensions =
      s.Put({2, "txt", rsOldOfAltered, "notepad.exe ^.txt", "txt", rsNewOfAltered, "wordpad.exe ^.txt"});
  const int32_t newSection = s.Put({1, "Path", rsNew, "C:\\Programme\\NewApp"});
  const int32_t autoexec = s.Put({2, "SET PATH=C:\\NEWAPP", rsNew, 4, "REM alt", rsDeleted + flDone, 0});
  TreeNode* win = Add(c.sys.First(), "WIN.INI", stNeutral);
  Add(win, "[Extensions]", stMembersChanged, extensions);
  Add(win, "[NewApp]", stAdded, newSection);
  Add(c.sys.First(), "AUTOEXEC.BAT", stMembersChanged, autoexec);
  Add(c.sys.First(), "C:\\Tools\\app.ini(INI)", stRemoved);
  Add(c.sys.First(), "notes.dat", stNeutral);
}

// Where the writer put the trees and the blocks.
struct Layout {
  int64_t regTree = 0, regBlock = 0, driveTree = 0, driveBlock = 0, sysTree = 0, sysBlock = 0;
};

// Writes the file in its layout: header, selection, then tree, length and block per
// section. Without systemLength the file ends after the system-file tree.
Layout WriteResultFile(const std::string& fileName, ResultContent& c, const char* header = kResultHeader2,
                       bool systemLength = true) {
  Layout at;
  platform::FileStream file(fileName, platform::FileStream::Mode::Create);
  DataWriter w(file);
  w.WriteString(header);
  SaveSelectionFile("", &w, c.regSel, c.driveSel, c.sysSel, c.noCheck);
  auto section = [&](Tree& tree, bool images, Block& block, int64_t& treePos, int64_t& blockPos, bool length) {
    w.Flush();
    treePos = w.Position();
    SaveTree("", &w, tree, false, true, images);
    if (!length) return;
    const Bytes bytes = block.Content();
    w.WriteInteger(static_cast<int32_t>(bytes.size()));
    w.Flush();
    blockPos = w.Position();
    w.WriteRaw(bytes.data(), bytes.size());
  };
  section(c.reg, true, c.regBlock, at.regTree, at.regBlock, true);
  section(c.drives, true, c.driveBlock, at.driveTree, at.driveBlock, true);
  section(c.sys, false, c.sysBlock, at.sysTree, at.sysBlock, systemLength);
  w.Flush();
  return at;
}

// The trees a loaded result fills.
struct Loaded {
  Tree regSel, driveSel, sysSel, reg, drives, sys;
  std::vector<std::string> noCheck;
  ResultFileInfo info;
  void Load(const std::string& fileName) {
    LoadResultFile(fileName, regSel, driveSel, reg, drives, sysSel, sys, noCheck, KindImages{7, 8}, info);
  }
};

// The node at a path below the top node; a text that holds backslashes is looked up
// as one child of the top node.
TreeNode& At(Tree& tree, const std::string& path) {
  if (tree.First() == nullptr) throw std::runtime_error("empty tree");
  TreeNode* node = tree.First()->FindChild(path);
  if (node == nullptr) node = FindNodeByPath(path, tree, false, false);
  if (node == nullptr) throw std::runtime_error("no node " + path);
  return *node;
}

std::vector<std::string> Names(const std::vector<NodeRecord>& records) {
  std::vector<std::string> names;
  for (const NodeRecord& r : records) names.push_back(r.Name);
  return names;
}
std::vector<int32_t> Statuses(const std::vector<NodeRecord>& records) {
  std::vector<int32_t> statuses;
  for (const NodeRecord& r : records) statuses.push_back(r.Status);
  return statuses;
}

// Every record's status item, read from the file's own bytes at StatusPos.
void ExpectStatusItemsInFile(const std::string& fileName, const std::vector<NodeRecord>& records) {
  const std::string bytes = ReadFileBytes(fileName);
  for (const NodeRecord& r : records) {
    const auto at = static_cast<size_t>(r.StatusPos);
    ASSERT_LT(at + 1, bytes.size()) << r.Name;
    EXPECT_EQ(static_cast<uint8_t>(bytes[at]), tagInt8) << r.Name;
    EXPECT_EQ(static_cast<uint8_t>(bytes[at + 1]), r.Status) << r.Name;
  }
}

class ResultFileTest : public ::testing::Test {
 protected:
  // Writes the usual content and loads it.
  Layout WriteAndLoad(bool versions = true) {
    BuildScenario(c, versions);
    const Layout at = WriteResultFile(name, c, versions ? kResultHeader2 : kResultHeader);
    l.Load(name);
    return at;
  }
  std::vector<NodeRecord> Records(ResultSection section, Tree& tree, const std::string& path) {
    TreeNode& node = At(tree, path);
    return ReadNodeRecords(l.info, section, node,
                           section == ResultSection::SystemFiles ? SystemKindOfNode(node) : 0);
  }

  TempFolder folder;
  ScriptedInteraction ui;
  std::string name = folder.File("Install.TSL");
  ResultContent c;
  Loaded l;
};

}  // namespace

// ---------------------------------------------------------------- loading

TEST_F(ResultFileTest, LoadsSelectionTreesPositionsAndKindImages) {
  l.info.SystemBlockStart = 999;  // replaced as a whole
  const Layout at = WriteAndLoad();
  EXPECT_TRUE(ui.Texts().empty());

  EXPECT_EQ(l.info.FileName, name);
  EXPECT_TRUE(l.info.Versions);
  EXPECT_EQ(l.info.RegistryTreePos, at.regTree);
  EXPECT_EQ(l.info.RegistryBlockStart, at.regBlock);
  EXPECT_EQ(l.info.DriveTreePos, at.driveTree);
  EXPECT_EQ(l.info.DriveBlockStart, at.driveBlock);
  EXPECT_EQ(l.info.SystemTreePos, at.sysTree);
  EXPECT_EQ(l.info.SystemBlockStart, at.sysBlock);
  EXPECT_EQ(l.info.TreePos(ResultSection::Drives), at.driveTree);
  EXPECT_EQ(l.info.BlockStart(ResultSection::SystemFiles), at.sysBlock);

  EXPECT_EQ(l.noCheck, c.noCheck);
  EXPECT_EQ(At(l.regSel, "HKEY_LOCAL_MACHINE").StateIndex(), stChecked);
  EXPECT_EQ(At(l.sysSel, "WIN.INI").StateIndex(), stChecked);

  // States, Data and stored images; children of new and deleted nodes are not stored.
  TreeNode& newApp = At(l.reg, "HKEY_CURRENT_USER\\Software\\NewApp");
  EXPECT_EQ(newApp.StateIndex(), stAdded);
  EXPECT_EQ(newApp.Data(), At(c.reg, "HKEY_CURRENT_USER\\Software\\NewApp").Data());
  EXPECT_TRUE(newApp.HasChildren());
  EXPECT_EQ(newApp.Count(), 0u);
  EXPECT_FALSE(newApp.Cut());
  TreeNode& oldApp = At(l.reg, "HKEY_CURRENT_USER\\Software\\OldApp");
  EXPECT_EQ(oldApp.StateIndex(), stRemoved + flDone);
  EXPECT_TRUE(oldApp.Cut());  // the done look
  EXPECT_EQ(At(l.reg, kSharedDlls).Data(), At(c.reg, kSharedDlls).Data());
  EXPECT_EQ(l.reg.First()->ImageIndex(), 2);
  EXPECT_EQ(At(l.drives, "C: [SYSTEM]").ImageIndex(), 3);
  EXPECT_EQ(At(l.drives, "C: [SYSTEM]\\Windows").Data(), At(c.drives, "C: [SYSTEM]\\Windows").Data());
  EXPECT_EQ(At(l.drives, "C: [SYSTEM]\\Programme\\NewApp").SelectedIndex(), -1);
  EXPECT_EQ(At(l.sys, "WIN.INI\\[NewApp]").StateIndex(), stAdded);

  // System-file images are not stored: the kinds give them; unknown entries and the
  // sections keep -1.
  for (const char* ini : {"WIN.INI", "C:\\Tools\\app.ini(INI)"}) {
    EXPECT_EQ(At(l.sys, ini).ImageIndex(), 7) << ini;
    EXPECT_EQ(At(l.sys, ini).SelectedIndex(), 7) << ini;
  }
  EXPECT_EQ(At(l.sys, "AUTOEXEC.BAT").ImageIndex(), 8);
  EXPECT_EQ(At(l.sys, "AUTOEXEC.BAT").SelectedIndex(), 8);
  EXPECT_EQ(At(l.sys, "notes.dat").ImageIndex(), -1);
  EXPECT_EQ(At(l.sys, "WIN.INI\\[Extensions]").ImageIndex(), -1);
}

TEST_F(ResultFileTest, OlderHeaderMeansFileRecordsWithoutVersions) {
  WriteAndLoad(false);
  EXPECT_FALSE(l.info.Versions);

  const auto files = Records(ResultSection::Drives, l.drives, "C: [SYSTEM]\\Windows");
  ASSERT_EQ(Names(files), (std::vector<std::string>{"win.com", "win.com", "new.dll"}));
  EXPECT_FALSE(files[1].HasVersion);
  EXPECT_EQ(files[1].File.Time, kNewTime);
  EXPECT_EQ(files[1].File.Size, 24580);
  EXPECT_EQ(files[1].File.VersionHigh, 0);
  EXPECT_EQ(files[2].File.Attributes, 0x27);
  ExpectStatusItemsInFile(name, files);

  // Subfolders of a new folder are passed over in the old form too.
  const auto added = Records(ResultSection::Drives, l.drives, "C: [SYSTEM]\\Programme\\NewApp");
  ASSERT_EQ(Names(added), std::vector<std::string>{"readme.txt"});
  EXPECT_FALSE(added[0].HasVersion);
  EXPECT_EQ(added[0].File.Size, 100);
}

TEST_F(ResultFileTest, FileEndingBeforeTheSystemBlockLengthStillLoads) {
  BuildScenario(c, true);
  const Layout at = WriteResultFile(name, c, kResultHeader2, false);
  l.Load(name);
  EXPECT_EQ(l.info.FileName, name);
  EXPECT_EQ(l.info.SystemTreePos, at.sysTree);
  EXPECT_EQ(l.info.SystemBlockStart, 0);
  EXPECT_EQ(At(l.sys, "AUTOEXEC.BAT").StateIndex(), stMembersChanged);
  EXPECT_EQ(At(l.sys, "AUTOEXEC.BAT").ImageIndex(), 8);
  // Without a block there is nothing to read, rather than the bytes of another section.
  EXPECT_TRUE(Records(ResultSection::SystemFiles, l.sys, "AUTOEXEC.BAT").empty());
  EXPECT_EQ(Records(ResultSection::Drives, l.drives, "C: [SYSTEM]\\Windows").size(), 3u);
}

TEST_F(ResultFileTest, OtherAndDamagedFilesChangeNothing) {
  const Layout at = WriteAndLoad();
  const std::string good = ReadFileBytes(name);
  const ResultFileInfo before = l.info;
  auto expectUnchanged = [&]() {
    EXPECT_EQ(l.info.FileName, before.FileName);
    EXPECT_EQ(l.info.DriveBlockStart, before.DriveBlockStart);
    EXPECT_EQ(At(l.reg, "HKEY_CURRENT_USER\\Software\\NewApp").Data(),
              At(c.reg, "HKEY_CURRENT_USER\\Software\\NewApp").Data());
    EXPECT_NO_THROW(At(l.drives, "C: [SYSTEM]\\Windows"));
    EXPECT_NO_THROW(At(l.sys, "WIN.INI\\[Extensions]"));
    EXPECT_NO_THROW(At(l.regSel, "HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(l.noCheck, c.noCheck);
  };

  // A selection file is no result file.
  const std::string other = folder.File("Auswahl.TSS");
  SaveSelectionFile(other, nullptr, c.regSel, c.driveSel, c.sysSel, {});
  try {
    l.Load(other);
    ADD_FAILURE() << "loaded a selection file";
  } catch (const EDataFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Error: " + other + "\rDas ist keine Protokolldatei");
  }
  expectUnchanged();

  // Truncated inside the drive tree, and a registry block longer than the file: refused
  // before any tree is replaced.
  const std::string cut = folder.File("Cut.TSL");
  WriteFileBytes(cut, good.substr(0, static_cast<size_t>(at.driveTree + 20)));
  EXPECT_THROW(l.Load(cut), EReadError);
  expectUnchanged();

  std::string longBlock = good;
  const auto lengthItem = static_cast<size_t>(at.regBlock - 3);  // tag 3 and two bytes
  ASSERT_EQ(static_cast<uint8_t>(longBlock[lengthItem]), tagInt16);
  longBlock.replace(lengthItem, 3, std::string("\x04\x00\x00\x00\x10", 5));
  WriteFileBytes(cut, longBlock);
  EXPECT_THROW(l.Load(cut), EReadError);
  expectUnchanged();
  EXPECT_TRUE(ui.Texts().empty());
}

// ---------------------------------------------------------------- records

TEST_F(ResultFileTest, RegistryRecordsOfChangedNewAndDeletedKeys) {
  WriteAndLoad();

  // State 8: name and value record each, in every data form.
  const auto shared = Records(ResultSection::Registry, l.reg, kSharedDlls);
  ASSERT_EQ(Statuses(shared), (std::vector<int32_t>{11, 12, 9, 25, 9, 10}));
  EXPECT_EQ(shared[0].Name, "C:\\WINDOWS\\SYSTEM32\\MSVCRT.DLL");
  EXPECT_EQ(shared[0].Value.TypeCode, 3);
  EXPECT_EQ(shared[0].Value.Number, 1);
  EXPECT_EQ(shared[1].Value.Number, 2);
  EXPECT_EQ(shared[4].Value.TypeCode, 1);
  EXPECT_EQ(shared[4].Value.Text, "kein Zähler");
  EXPECT_EQ(shared[5].Value.TypeCode, 4);
  EXPECT_EQ(shared[5].Value.Bytes, (Bytes{0, 1, 2, 255}));
  // Status 25: a new value whose change was undone.
  EXPECT_EQ(StateCode(shared[3].Status), rsNew);
  EXPECT_TRUE(IsDone(shared[3].Status));
  ExpectStatusItemsInFile(name, shared);

  // State 6: the stored subkeys are passed over, the key's own values follow.
  const auto added = Records(ResultSection::Registry, l.reg, "HKEY_CURRENT_USER\\Software\\NewApp");
  ASSERT_EQ(Names(added), (std::vector<std::string>{"", "Count"}));
  EXPECT_EQ(added[0].Value.Text, "Hallo Welt");
  EXPECT_EQ(added[1].Value.Number, 42);
  ExpectStatusItemsInFile(name, added);

  // State 7, done.
  const auto removed = Records(ResultSection::Registry, l.reg, "HKEY_CURRENT_USER\\Software\\OldApp");
  ASSERT_EQ(removed.size(), 1u);
  EXPECT_EQ(removed[0].Value.TypeCode, 2);
  EXPECT_EQ(removed[0].Value.Text, "%TEMP%\\alt");
  EXPECT_EQ(removed[0].Status, rsDeleted + flDone);

  // No group of its own, or no result loaded: no records.
  EXPECT_TRUE(Records(ResultSection::Registry, l.reg, "HKEY_CURRENT_USER").empty());
  EXPECT_TRUE(ReadNodeRecords(ResultFileInfo{}, ResultSection::Registry, At(l.reg, kSharedDlls)).empty());
}

TEST_F(ResultFileTest, FileRecordsAndTheDoneMarkWrittenInPlace) {
  WriteAndLoad();
  const auto files = Records(ResultSection::Drives, l.drives, "C: [SYSTEM]\\Windows");
  ASSERT_EQ(Names(files), (std::vector<std::string>{"win.com", "win.com", "new.dll"}));
  EXPECT_TRUE(files[0].HasVersion);
  EXPECT_EQ(files[0].File.Time, kOldTime);
  EXPECT_EQ(files[0].File.Size, 24576);
  EXPECT_EQ(files[0].File.Attributes, 0x21);
  EXPECT_EQ(files[1].File.VersionHigh, 0x000A0000);
  EXPECT_EQ(files[1].File.VersionLow, 0x4A610001);
  ExpectStatusItemsInFile(name, files);

  // What the removal engine does after undoing the altered file.
  {
    platform::FileStream file(name, platform::FileStream::Mode::Update);
    DataWriter w(file);
    for (size_t i : {0u, 1u}) {
      w.SetPosition(files[i].StatusPos);
      w.WriteInteger(files[i].Status | flDone);
    }
    w.Flush();
  }
  const auto again = Records(ResultSection::Drives, l.drives, "C: [SYSTEM]\\Windows");
  EXPECT_EQ(Statuses(again), (std::vector<int32_t>{27, 28, 25}));
  EXPECT_EQ(again[1].File.Time, kNewTime);
  EXPECT_EQ(again[1].File.VersionLow, 0x4A610001);
}

TEST_F(ResultFileTest, SystemFileRecordsByKind) {
  WriteAndLoad();
  EXPECT_EQ(SystemKindOfNode(At(l.sys, "WIN.INI\\[Extensions]")), 0);
  EXPECT_EQ(SystemKindOfNode(At(l.sys, "WIN.INI")), 0);
  EXPECT_EQ(SystemKindOfNode(At(l.sys, "AUTOEXEC.BAT")), 1);
  EXPECT_EQ(SystemKindOfNode(At(l.sys, "C:\\Tools\\app.ini(INI)")), 2);
  EXPECT_EQ(SystemKindOfNode(*l.sys.First()), -1);
  EXPECT_THROW(SystemKindOfNode(At(l.sys, "notes.dat")), EQuitawayError);

  const auto changed = Records(ResultSection::SystemFiles, l.sys, "WIN.INI\\[Extensions]");
  ASSERT_EQ(Names(changed), (std::vector<std::string>{"txt", "txt"}));
  EXPECT_EQ(Statuses(changed), (std::vector<int32_t>{11, 12}));
  EXPECT_EQ(changed[0].Entry.Value, "notepad.exe ^.txt");
  EXPECT_EQ(changed[1].Entry.Value, "wordpad.exe ^.txt");
  ExpectStatusItemsInFile(name, changed);

  const auto added = Records(ResultSection::SystemFiles, l.sys, "WIN.INI\\[NewApp]");
  ASSERT_EQ(Names(added), std::vector<std::string>{"Path"});
  EXPECT_EQ(added[0].Entry.Value, "C:\\Programme\\NewApp");
  EXPECT_EQ(added[0].Status, rsNew);

  // Text files: the tail is the line index.
  const auto lines = Records(ResultSection::SystemFiles, l.sys, "AUTOEXEC.BAT");
  ASSERT_EQ(Names(lines), (std::vector<std::string>{"SET PATH=C:\\NEWAPP", "REM alt"}));
  EXPECT_EQ(lines[0].Entry.LineIndex, 4);
  EXPECT_EQ(lines[1].Status, rsDeleted + flDone);
  EXPECT_TRUE(lines[0].Entry.Value.empty());
  ExpectStatusItemsInFile(name, lines);

  // Without a known kind the entry form is unknown.
  EXPECT_THROW(ReadNodeRecords(l.info, ResultSection::SystemFiles, At(l.sys, "AUTOEXEC.BAT"), -1), EQuitawayError);
}

// ---------------------------------------------------------------- expanding

TEST_F(ResultFileTest, ExpandingStoredFoldersAndKeys) {
  WriteAndLoad();
  TreeNode& newApp = At(l.drives, "C: [SYSTEM]\\Programme\\NewApp");
  ExpandStoredNode(l.info, ResultSection::Drives, newApp);
  ASSERT_EQ(newApp.Count(), 2u);
  TreeNode* bin = newApp.Child(0);
  TreeNode* doc = newApp.Child(1);
  EXPECT_EQ(bin->Text(), "bin");
  EXPECT_EQ(doc->Text(), "doc");
  EXPECT_TRUE(bin->HasChildren());
  EXPECT_FALSE(doc->HasChildren());
  EXPECT_EQ(bin->StateIndex(), stAdded);
  EXPECT_EQ(bin->SelectedIndex(), -1);
  EXPECT_FALSE(bin->Cut());
  EXPECT_TRUE(ReadNodeRecords(l.info, ResultSection::Drives, *doc).empty());

  // A child's Data points at its own folder record: its files and its subfolders.
  const auto binFiles = ReadNodeRecords(l.info, ResultSection::Drives, *bin);
  ASSERT_EQ(Names(binFiles), std::vector<std::string>{"app.exe"});
  EXPECT_EQ(binFiles[0].File.Size, 1234567);
  EXPECT_EQ(binFiles[0].File.VersionLow, 0x00020003);
  ExpandStoredNode(l.info, ResultSection::Drives, *bin);
  ASSERT_EQ(bin->Count(), 1u);
  EXPECT_EQ(Names(ReadNodeRecords(l.info, ResultSection::Drives, *bin->Child(0))),
            std::vector<std::string>{"d.txt"});
  ExpandStoredNode(l.info, ResultSection::Drives, newApp);  // loaded children stay as they are
  EXPECT_EQ(newApp.Count(), 2u);

  // Keys the same way; below an undone key everything is done.
  TreeNode& key = At(l.reg, "HKEY_CURRENT_USER\\Software\\NewApp");
  MarkDone(key);
  ExpandStoredNode(l.info, ResultSection::Registry, key);
  ASSERT_EQ(key.Count(), 1u);
  TreeNode* sub = key.Child(0);
  EXPECT_EQ(sub->Text(), "Sub");
  EXPECT_TRUE(sub->HasChildren());
  EXPECT_EQ(sub->StateIndex(), stAdded + flDone);
  EXPECT_TRUE(sub->Cut());
  EXPECT_EQ(sub->SelectedIndex(), 1);
  EXPECT_EQ(Names(ReadNodeRecords(l.info, ResultSection::Registry, *sub)), std::vector<std::string>{"Inner"});
  ExpandStoredNode(l.info, ResultSection::Registry, *sub);
  ASSERT_EQ(sub->Count(), 1u);
  EXPECT_FALSE(sub->Child(0)->HasChildren());
  const auto leaf = ReadNodeRecords(l.info, ResultSection::Registry, *sub->Child(0));
  ASSERT_EQ(leaf.size(), 1u);
  EXPECT_EQ(leaf[0].Value.Text, "blatt");

  // Nothing is stored below changed nodes, system-file sections, or keys without subkeys.
  struct Stored {
    ResultSection section;
    Tree* tree;
    const char* path;
  };
  for (const Stored& n : {Stored{ResultSection::Drives, &l.drives, "C: [SYSTEM]\\Windows"},
                          Stored{ResultSection::SystemFiles, &l.sys, "WIN.INI\\[NewApp]"},
                          Stored{ResultSection::Registry, &l.reg, "HKEY_CURRENT_USER\\Software\\OldApp"}}) {
    ExpandStoredNode(l.info, n.section, At(*n.tree, n.path));
    EXPECT_EQ(At(*n.tree, n.path).Count(), 0u) << n.path;
  }
}

// ---------------------------------------------------------------- shared DLLs

TEST_F(ResultFileTest, SharedDllCountersOfTheResult) {
  WriteAndLoad();
  const auto dlls = CollectSharedDlls(l.info, l.reg);
  ASSERT_EQ(dlls.size(), 2u);  // a name in other letter case counts once; texts are no counters
  EXPECT_EQ(dlls[0].Name, "C:\\WINDOWS\\SYSTEM32\\MSVCRT.DLL");
  EXPECT_FALSE(dlls[0].Done);
  EXPECT_EQ(dlls[1].Name, "C:\\PROGRAMME\\APP\\X.DLL");
  EXPECT_TRUE(dlls[1].Done);
  EXPECT_TRUE(CollectSharedDlls(ResultFileInfo{}, l.reg).empty());

  // Without the counters' key there are none.
  At(c.reg, kSharedDlls).SetText("Run");
  WriteResultFile(name, c);
  l.Load(name);
  EXPECT_TRUE(CollectSharedDlls(l.info, l.reg).empty());
}

TEST_F(ResultFileTest, SharedDllsBelowANewKeyAreFoundByExpanding) {
  // The whole CurrentVersion key is new; SharedDlls is one of its stored subkeys.
  const int32_t currentVersion =
      c.regBlock.Put({2, "Run", 0, 1, "App", rsNew, 1, "app.exe",  //
                      "SHAREDDLLS", 0, 2, "C:\\APP\\A.DLL", rsNew, 3, 1, "C:\\APP\\B.DLL", rsNew + flDone, 3, 1, 0});
  TreeNode* n = c.reg.First();
  for (const char* part : {"hkey_local_machine", "SOFTWARE", "MICROSOFT", "WINDOWS"}) n = Add(n, part, stNeutral);
  Add(n, "CurrentVersion", stAdded, currentVersion)->SetHasChildren(true);
  WriteResultFile(name, c);
  l.Load(name);

  const auto dlls = CollectSharedDlls(l.info, l.reg);
  ASSERT_EQ(dlls.size(), 2u);
  EXPECT_EQ(dlls[0].Name, "C:\\APP\\A.DLL");
  EXPECT_FALSE(dlls[0].Done);
  EXPECT_TRUE(dlls[1].Done);
  TreeNode& cv = At(l.reg, "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CurrentVersion");
  EXPECT_EQ(cv.Count(), 2u);
  EXPECT_TRUE(cv.Expanded());
}

// ---------------------------------------------------------------- damaged data

TEST_F(ResultFileTest, DamagedOffsetsAndCountsFailWithReadErrors) {
  BuildScenario(c, true);
  Block& r = c.regBlock;
  // A huge count, a binary length beyond everything, a status that is no two-byte
  // item, a huge subkey count, and last in the block a record whose data would run on
  // into the drive tree.
  const int32_t hugeCount = r.Put({50000000});
  const int32_t hugeBinary = r.Put({1, "X", rsNew, 4, 0x7FFFFFF0});
  const int32_t wideStatus = r.Put({1, "X", 300, 3, 1});
  const int32_t hugeSubkeys = r.Put({40000000});
  const int32_t overrun = r.Put({1, "X", rsNew, 4, 40});
  r.W().WriteRaw("\1\2\3\4", 4);
  const int64_t blockSize = static_cast<int64_t>(r.Content().size());
  TreeNode* top = c.reg.First();
  Add(top, "HugeCount", stMembersChanged, hugeCount);
  Add(top, "HugeBinary", stMembersChanged, hugeBinary);
  Add(top, "WideStatus", stMembersChanged, wideStatus);
  Add(top, "HugeSubkeys", stAdded, hugeSubkeys)->SetHasChildren(true);
  Add(top, "Overrun", stMembersChanged, overrun);
  const Layout at = WriteResultFile(name, c);
  ASSERT_GT(ReadFileBytes(name).size(), static_cast<size_t>(at.regBlock + blockSize + 40));
  l.Load(name);

  for (const char* path : {"HugeCount", "HugeBinary", "WideStatus", "HugeSubkeys", "Overrun"})
    EXPECT_THROW(Records(ResultSection::Registry, l.reg, path), EReadError) << path;
  TreeNode& hugeKey = At(l.reg, "HugeSubkeys");
  EXPECT_THROW(ExpandStoredNode(l.info, ResultSection::Registry, hugeKey), EReadError);
  EXPECT_EQ(hugeKey.Count(), 0u);
  try {
    Records(ResultSection::Registry, l.reg, "HugeCount");
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
  }

  // Offsets outside the block: negative, past its end (into the drive tree), past the file.
  TreeNode& shared = At(l.reg, kSharedDlls);
  for (int64_t data : {int64_t{-3}, blockSize, blockSize + 7, int64_t{0x7FFFFF00}}) {
    shared.SetData(static_cast<int32_t>(data));
    EXPECT_THROW(ReadNodeRecords(l.info, ResultSection::Registry, shared), EReadError) << data;
  }
  TreeNode& newFolder = At(l.drives, "C: [SYSTEM]\\Programme\\NewApp");
  newFolder.SetData(-1);
  EXPECT_THROW(ExpandStoredNode(l.info, ResultSection::Drives, newFolder), EReadError);
  EXPECT_EQ(newFolder.Count(), 0u);
}

TEST_F(ResultFileTest, ResultFileGoneAfterLoading) {
  WriteAndLoad();
  ASSERT_TRUE(DeleteFileW(platform::Utf8ToWide(name).c_str()));
  EXPECT_THROW(Records(ResultSection::Drives, l.drives, "C: [SYSTEM]\\Windows"), platform::EFOpenError);
  TreeNode& newApp = At(l.drives, "C: [SYSTEM]\\Programme\\NewApp");
  EXPECT_THROW(ExpandStoredNode(l.info, ResultSection::Drives, newApp), platform::EFOpenError);
  EXPECT_EQ(newApp.Count(), 0u);
}

// ---------------------------------------------------------------- display

// The tests run under de_DE: digit grouping ".", and in Wine's locale data the short
// date "d.M.yyyy" and the long time "HH:mm:ss".
TEST(ResultDisplay, SizesDatesAndTimes) {
  EXPECT_EQ(FormatFileSize(0), "0");
  EXPECT_EQ(FormatFileSize(999), "999");
  EXPECT_EQ(FormatFileSize(1000), "1.000");
  EXPECT_EQ(FormatFileSize(1234567), "1.234.567");
  EXPECT_EQ(FormatFileSize(2147483647), "2.147.483.647");
  EXPECT_EQ(FormatFileSize(-1), "4.294.967.295");  // the low 32 bits of a larger size

  EXPECT_EQ(FormatFileTime(Packed(2024, 5, 17, 13, 45, 30)), "17.5.2024 13:45:30");
  EXPECT_EQ(FormatFileTime(Packed(1999, 12, 31, 23, 59, 58)), "31.12.1999 23:59:58");
  EXPECT_EQ(FormatFileTime(Packed(2024, 2, 29, 0, 0, 2)), "29.2.2024 00:00:02");
  EXPECT_EQ(FormatFileTime(Packed(2001, 8, 23, 0, 0, 0)), "23.8.2001");  // midnight: date alone
  // No valid date (never set, or damaged): nothing rather than a made-up date.
  EXPECT_EQ(FormatFileTime(0), "");
  EXPECT_EQ(FormatFileTime(Packed(2023, 2, 29, 12, 0, 0)), "");
  EXPECT_EQ(FormatFileTime(Packed(2024, 5, 17, 24, 0, 0)), "");
}

TEST(ResultDisplay, AttributesVersionsAndColumns) {
  EXPECT_EQ(FormatAttributes(0), "");
  EXPECT_EQ(FormatAttributes(0x27), "ARSH");
  EXPECT_EQ(FormatAttributes(0x06), "SH");
  EXPECT_EQ(FormatAttributes(0x21), "AR");
  EXPECT_EQ(FormatAttributes(0x10 | 0x80), "");  // folder and normal have no letter

  EXPECT_EQ(FormatVersion(0x00050001, 0x00020003), "Ver. 5.1.2.3");
  EXPECT_EQ(FormatVersion(static_cast<int32_t>(0xFFFF000A), static_cast<int32_t>(0x80000001)),
            "Ver. 65535.10.32768.1");

  ListRow row;
  FillFileColumns(row, kAppTime, 1234567, 0x20);
  AddVersionColumn(row, 0x00050001, 0x00020003);
  EXPECT_EQ(row.SubItems, (std::vector<std::string>{"1.234.567", "17.5.2024 13:45:30", "A", "Ver. 5.1.2.3"}));
}
