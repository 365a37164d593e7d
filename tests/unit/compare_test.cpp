// Comparisons of real snapshots taken in the test prefix (registry below a test key,
// drive U:, INI and text files) and of configurations built item by item.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "compare/compare.h"
#include "core/exceptions.h"
#include "core/identity.h"
#include "core/settings.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "model/value_record.h"
#include "platform/files.h"
#include "platform/text.h"
#include "result/result_file.h"
#include "snapshot/configuration.h"
#include "support/data_files.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

using V = std::vector<std::string>;
using RS = ResultSection;
const std::string kKey = "Software\\Velmoria\\QuitawayTests\\compare";
const std::string kSettingsKey = kKey + "-settings";

// Sets a value below the test key (made if missing): a wide string literal, a number or bytes.
template <typename T>
void Set(const std::string& sub, const wchar_t* name, const T& data, DWORD type = REG_SZ) {
  RegSetKeyValueW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + "\\" + sub).c_str(), name, type, &data, sizeof data);
}
void DeleteKeyTree(const std::string& path) { RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(path).c_str()); }

// A record in one line: name and status, then the type code and value, the file's
// size and major/minor version, or the INI value or line index.
std::string Describe(const NodeRecord& r, RS section) {
  std::string s = r.Name + " " + std::to_string(r.Status) + " ";
  if (section == RS::Drives) return s + std::to_string(r.File.Size) + " v" + std::to_string(r.File.VersionHigh);
  if (section == RS::SystemFiles)
    return s + (r.Entry.Value.empty() ? std::to_string(r.Entry.LineIndex) : r.Entry.Value);
  s += "t" + std::to_string(r.Value.TypeCode) + " ";
  if (IsTextCode(r.Value.TypeCode)) return s + r.Value.Text;
  if (r.Value.TypeCode == kCodeNumber) return s + std::to_string(r.Value.Number);
  for (uint8_t b : r.Value.Bytes) s += std::to_string(b) + ",";
  return s;
}

// The children of a node as "text state" (6 added, 7 removed, 8 members changed).
V Children(const TreeNode* node) {
  V out;
  for (size_t i = 0; i < node->Count(); ++i)
    out.push_back(node->Child(i)->Text() + " " + std::to_string(node->Child(i)->StateIndex()));
  return out;
}

// The main window's trees and a temporary folder; settings of its own, drive U: emptied.
class CompareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteKeyTree(kKey);
    DeleteKeyTree(kSettingsKey);
    OpenSettingsRegistry(kSettingsKey);
    WriteBackAllSettings();
    ASSERT_NE(GetFileAttributesW(L"U:\\"), INVALID_FILE_ATTRIBUTES) << "test drive U: missing";
    RemoveFolderContent("U:\\");
  }
  void TearDown() override {
    RemoveFolderContent("U:\\");
    DeleteKeyTree(kKey);
    CloseSettingsRegistry();
    DeleteKeyTree(kSettingsKey);
  }
  void Compare(const std::string& oldName, const std::string& newName) {
    CompareConfigurations(dir.File(oldName), dir.File(newName), dir.File("r.TSL"),
                          {regSel, driveSel, sysSel, regResult, driveResult, sysResult}, noCheck, images, info);
  }
  V Records(RS section, const TreeNode* node) const {
    V out;
    const int kind = section == RS::SystemFiles ? SystemKindOfNode(*node) : 0;
    for (const NodeRecord& r : ReadNodeRecords(info, section, *node, kind)) out.push_back(Describe(r, section));
    return out;
  }

  ScriptedInteraction ui;
  TempFolder dir;
  Tree regSel, driveSel, sysSel, regResult, driveResult, sysResult;
  std::vector<std::string> noCheck;
  ResultFileInfo info;
  KindImages images{11, 12};
};
using CompareDamaged = CompareTest;
using CompareSystemFiles = CompareTest;

}  // namespace

// Watches HKEY_CURRENT_USER (the test key's "Ignoriert" unchecked), drive U: and two files on U:.
TEST_F(CompareTest, RegistryFilesAndSystemFilesChangedBetweenTwoSnapshots) {
  auto mark = [](Tree& tree, const V& path, int32_t state, int32_t image = 0) {
    FindOrCreatePath(path, tree, image, stPartial, image)->SetStateIndex(state);
  };
  mark(regSel, {"Arbeitsplatz", "HKEY_CURRENT_USER", "Software", "Velmoria", "QuitawayTests", "compare", "Ignoriert"},
       stUnchecked);
  mark(regSel, {"Arbeitsplatz", "HKEY_LOCAL_MACHINE"}, stUnchecked);
  mark(driveSel, {"Laufwerke", "U: [Vergleich]"}, stChecked, 5);
  for (const char* file : {"U:\\test.ini(INI)", "U:\\lines.txt(TXT)"}) mark(sysSel, {"Systemdateien", file}, stChecked);
  Set("Bleibt", L"Text", L"alt");
  Set("Bleibt", L"Typ", L"gleich");
  Set("Bleibt", L"Zahl", DWORD{1}, REG_DWORD);
  Set("Bleibt", L"Bytes", DWORD{0x04030201}, REG_DWORD);
  Set("Bleibt", L"Weg", L"x");
  for (const char* sub : {"Geht", "Gleich"}) Set(sub, L"v", L"1");
  for (const wchar_t* folder : {L"U:\\Bleibt", L"U:\\Geht", L"U:\\Gleich"}) CreateDirectoryW(folder, nullptr);
  for (const char* file : {"U:\\Bleibt\\a.txt", "U:\\Bleibt\\weg.txt", "U:\\Geht\\x.txt", "U:\\Gleich\\g.txt",
                           "U:\\nocheck.txt"})
    WriteFileBytes(file, "1");
  WriteFileBytes("U:\\test.ini", "[Bleibt]\r\na=1\r\nb=Wert\r\nc=weg\r\n[Geht]\r\nx=1\r\n[Zeta]\r\nz=1\r\n");
  WriteFileBytes("U:\\lines.txt", "eins\r\nzwei\r\ndrei\r\n");
  WriteConfiguration(dir.File("alt.TSD"), regSel, driveSel, sysSel);

  // The installation.
  const uint8_t sameBytes[4] = {1, 2, 3, 4};
  Set("Bleibt", L"Text", L"neu");
  Set("Bleibt", L"Typ", L"gleich", REG_EXPAND_SZ);  // other string type, same text: unchanged
  Set("Bleibt", L"Bytes", sameBytes, REG_BINARY);   // the same bytes, once a number: changed
  RegDeleteKeyValueW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + "\\Bleibt").c_str(), L"Weg");
  Set("Bleibt", L"Neu", L"n");
  DeleteKeyTree(kKey + "\\Geht");
  Set("Kommt\\Tief", L"w", DWORD{5}, REG_DWORD);
  Set("Ignoriert", L"egal", L"1");
  for (const wchar_t* file : {L"U:\\Bleibt\\weg.txt", L"U:\\Geht\\x.txt"}) DeleteFileW(file);
  RemoveDirectoryW(L"U:\\Geht");
  CreateDirectoryW(L"U:\\Kommt", nullptr);
  for (const char* file : {"U:\\Bleibt\\a.txt", "U:\\Bleibt\\neu.txt", "U:\\Kommt\\k.txt", "U:\\nocheck.txt",
                           "U:\\nocheck_neu.txt"})
    WriteFileBytes(file, "22");
  WriteFileBytes("U:\\test.ini", "[Alpha]\r\nn=1\r\n[Bleibt]\r\na=2\r\nb=WERT\r\nd=neu\r\n[Zeta]\r\nz=1\r\n");
  WriteFileBytes("U:\\lines.txt", "zwei\r\neins\r\nvierzig\r\n");
  WriteConfiguration(dir.File("neu.TSD"), regSel, driveSel, sysSel);
  noCheck = {"U:\\NOCHECK.TXT", "u:\\nocheck_neu.txt"};
  Compare("alt.TSD", "neu.TSD");
  EXPECT_EQ(noCheck.size(), 2u);  // the program's own files are gone again
  EXPECT_TRUE(ui.Messages().empty());

  // Registry: unchanged and unchecked keys are not shown; removed and new keys are
  // stored whole, their subkeys shown once expanded.
  TreeNode* key = FindNodeByPath("Arbeitsplatz\\HKEY_CURRENT_USER\\" + kKey, regResult, true, false);
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(Children(key), (V{"Bleibt 8", "Geht 7", "Kommt 6"}));
  EXPECT_EQ(Records(RS::Registry, key->Child(0)), (V{"Bytes 11 t3 67305985", "Bytes 12 t4 1,2,3,4,", "Neu 9 t1 n",
                                                      "Text 11 t1 alt", "Text 12 t1 neu", "Weg 10 t1 x"}));
  EXPECT_EQ(Records(RS::Registry, key->Child(1)), V{"v 10 t1 1"});
  EXPECT_TRUE(key->Child(2)->HasChildren());
  ExpandStoredNode(info, RS::Registry, *key->Child(2));
  ASSERT_EQ(Children(key->Child(2)), V{"Tief 6"});
  EXPECT_EQ(Records(RS::Registry, key->Child(2)->Child(0)), V{"w 9 t3 5"});

  // Files: at the root only the two system files changed; the no-check files left no record.
  ASSERT_EQ(Children(driveResult.First()), V{"U: [Vergleich] 8"});
  const TreeNode* drive = driveResult.First()->Child(0);
  EXPECT_EQ(drive->ImageIndex(), 5);
  ASSERT_EQ(Children(drive), (V{"Bleibt 8", "Geht 7", "Kommt 6"}));
  EXPECT_EQ(Records(RS::Drives, drive),
            (V{"lines.txt 11 18 v0", "lines.txt 12 21 v0", "test.ini 11 56 v0", "test.ini 12 57 v0"}));
  EXPECT_EQ(Records(RS::Drives, drive->Child(0)),
            (V{"a.txt 11 1 v0", "a.txt 12 2 v0", "neu.txt 9 2 v0", "weg.txt 10 1 v0"}));
  EXPECT_EQ(Records(RS::Drives, drive->Child(2)), V{"k.txt 9 2 v0"});

  // System files: names in capitals; a new section before a changed one, unchanged
  // sections left out; altered and new entries in file order, then the deleted ones;
  // moved lines are unchanged.
  const TreeNode *ini = sysResult.First()->Child(0), *lines = sysResult.First()->Child(1);
  ASSERT_EQ(Children(sysResult.First()), (V{"U:\\TEST.INI(INI) 0", "U:\\LINES.TXT(TXT) 8"}));
  ASSERT_EQ(Children(ini), (V{"[Alpha] 6", "[Bleibt] 8", "[Geht] 7"}));
  EXPECT_EQ((std::vector<int32_t>{ini->ImageIndex(), ini->Child(0)->ImageIndex(), lines->ImageIndex()}),
            (std::vector<int32_t>{11, 12, 12}));
  const V sections[] = {{"n 9 1"}, {"a 11 1", "a 12 2", "d 9 neu", "c 10 weg"}, {"x 10 1"}};
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(Records(RS::SystemFiles, ini->Child(i)), sections[i]);
  EXPECT_EQ(Records(RS::SystemFiles, lines), (V{"drei 10 2", "vierzig 9 2"}));

  // The file loads back, its no-check list without the program's own files.
  const V shown = noCheck;
  LoadResultFile(dir.File("r.TSL"), regSel, driveSel, regResult, driveResult, sysSel, sysResult, noCheck, images, info);
  EXPECT_EQ(noCheck, shown);
}

// Drives match by their letter (the new label is shown); an old-form record (no versions)
// counts as version 0: b.txt is unchanged, a.dll changed in its version, c.txt in its attributes.
TEST_F(CompareTest, OldFormDriveSectionAgainstTodaysAndRelabelledDrives) {
  for (const bool versions : {false, true})
    WriteConfigurationFile(dir.File(versions ? "neu.TSD" : "alt.TSD"), nullptr, [&](DataWriter& w) {
      w.WriteString(versions ? "C: [Neu]" : "C: [Alt]");
      for (int32_t item : {3, 0, 3}) w.WriteInteger(item);  // image, folders, files
      for (const std::string name : {"a.dll", "b.txt", "c.txt"}) {
        w.WriteString(name);
        for (int32_t item : {21, 0x58B16F00, 10, name == "c.txt" && versions ? 0 : 32}) w.WriteInteger(item);
        if (versions) w.WriteInteger(name == "a.dll" ? 0x00010002 : 0), w.WriteInteger(0);
      }
    }, nullptr, versions);
  Compare("alt.TSD", "neu.TSD");
  ASSERT_EQ(Children(driveResult.First()), V{"C: [Neu] 8"});
  EXPECT_EQ(Records(RS::Drives, driveResult.First()->Child(0)),
            (V{"a.dll 11 10 v0", "a.dll 12 10 v65538", "c.txt 11 10 v0", "c.txt 12 10 v0"}));
}

TEST_F(CompareTest, RefusedAndDamagedFilesEndWithMessagesAndRestoreTheNoCheckList) {
  WriteConfigurationFile(dir.File("gut.TSD"), nullptr, nullptr, nullptr);
  WriteFileBytes(dir.File("v2.TSD"), std::string("\x06\x32") + kRegistrationHeaderV2);  // a string item of 50
  WriteFileBytes(dir.File("fremd.TSD"), std::string("\x06\x05Hallo", 7));
  WriteFileBytes(dir.File("leer.TSD"), "");
  const std::string good = ReadFileBytes(dir.File("gut.TSD"));
  WriteFileBytes(dir.File("kurz.TSD"), good.substr(0, good.size() - 12));

  const std::string fehler = "Fehler beim Einlesen der Dateien, Abbruch";
  const std::pair<const char*, V> cases[] = {
      {"v2.TSD", {"Diese Version des Programmes verarbeitet keine *.TSD der Versionen 1.4 oder früher!", fehler}},
      {"fremd.TSD",
       {"Error: " + dir.File("fremd.TSD") + "\rDies ist keine gültige Datei, oder eine inkompatible Version ",
        fehler}},
      {"leer.TSD", {fehler}},
  };
  for (const auto& [oldName, messages] : cases) {
    const size_t shown = ui.Texts().size();
    noCheck = {"C:\\x"};
    EXPECT_THROW(Compare(oldName, "gut.TSD"), EAbort) << oldName;
    const V texts = ui.Texts();
    EXPECT_EQ(V(texts.begin() + shown, texts.end()), messages) << oldName;
    EXPECT_EQ(noCheck, V{"C:\\x"});
  }

  // Failing midway, the shown result, its description and a file of the same name stay.
  noCheck = {"C:\\x"};
  WriteFileBytes(dir.File("r.TSL"), "alt");
  driveResult.AddTop("vorher");
  info.FileName = dir.File("r.TSL");
  EXPECT_THROW(Compare("gut.TSD", "kurz.TSD"), EReadError);
  EXPECT_EQ(noCheck, V{"C:\\x"});
  EXPECT_EQ(driveResult.First()->Text(), "vorher");
  EXPECT_EQ(info.DriveBlockStart, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("r.TSL")), "alt");
  EXPECT_FALSE(platform::FileExists(dir.File("r.TSL.tmp")));
}

// A crafted file may nest keys far deeper than any call stack could follow.
TEST_F(CompareDamaged, DeepNestingIsComparedWithoutRecursion) {
  constexpr int kDepth = 50000;
  for (const bool withValue : {false, true})
    WriteConfigurationFile(dir.File(withValue ? "neu.TSD" : "alt.TSD"), [&](DataWriter& w) {
      w.WriteString("HKEY_CURRENT_USER");
      for (int i = 0; i < kDepth; ++i) w.WriteInteger(1), w.WriteString("k");
      w.WriteInteger(0), w.WriteInteger(withValue ? 1 : 0);  // no subkeys, values
      if (withValue) w.WriteString("unten"), WriteNumberValue(w, rsSnapshot, 7);
      for (int i = 0; i < kDepth; ++i) w.WriteInteger(0);  // the values of every level above
    }, nullptr, nullptr);
  Compare("alt.TSD", "neu.TSD");
  const TreeNode* node = regResult.First()->Child(0);
  int depth = 0;
  while (node->Count() == 1) node = node->Child(0), ++depth;
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(node->StateIndex(), stMembersChanged);
  EXPECT_EQ(Records(RS::Registry, node), V{"unten 9 t3 7"});
}

// The list of watched files follows the selection tree, and a file added to it or
// taken from it moves the others; INI entries stay in file order. Both are matched by
// name, so only real changes are reported, and a changed value once, as altered.
TEST_F(CompareSystemFiles, FilesAndEntriesAreMatchedByNameWhateverTheirOrder) {
  const std::string a = "U:\\A.INI(INI)", b = "U:\\B.INI(INI)", c = "U:\\C.INI(INI)";
  const IniSection same{"[S]", {{"x", "1"}}};
  WriteConfigurationFile(dir.File("alt.TSD"), nullptr, nullptr, [&](DataWriter& w) {
    WriteIniFile(w, b, {same});
    WriteIniFile(w, a, {{"[D]", {{"k", "1"}, {"k", "2"}}}, {"[S]", {{"z", "1"}, {"b", "2"}}}});
  });
  WriteConfigurationFile(dir.File("neu.TSD"), nullptr, nullptr, [&](DataWriter& w) {
    WriteIniFile(w, c, {same});
    WriteIniFile(w, a, {{"[D]", {{"k", "1"}, {"k", "3"}}}, {"[S]", {{"z", "1"}, {"c", "3"}, {"b", "5"}}}});
    WriteIniFile(w, b, {same});
  });
  Compare("alt.TSD", "neu.TSD");
  const TreeNode* top = sysResult.First();
  ASSERT_EQ(Children(top), (V{c + " 6", a + " 0", b + " 0"}));
  EXPECT_EQ(top->Child(2)->Count(), 0u);
  const TreeNode* fileA = top->Child(1);
  ASSERT_EQ(Children(fileA), (V{"[D] 8", "[S] 8"}));
  EXPECT_EQ(Records(RS::SystemFiles, fileA->Child(0)), (V{"k 11 2", "k 12 3"}));
  EXPECT_EQ(Records(RS::SystemFiles, fileA->Child(1)), (V{"c 9 3", "b 11 2", "b 12 5"}));
  // The second "k" of [D] is a key found twice: its values cannot be exported.
  EXPECT_EQ(ui.Texts(), V{"Nicht INI-gerechten Wert gefunden :" + a +
                          "\\[D]\\k\rDiese Werte können nicht in Installdateien exportiert werden"});
}
