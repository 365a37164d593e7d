// Comparisons of real snapshots taken in the test prefix (registry below a test key,
// drive U:, INI and text files), read back through the result file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/identity.h"
#include "core/settings.h"
#include "platform/file_stream.h"
#include "platform/files.h"
#include "platform/text.h"
#include "compare/compare.h"
#include "snapshot/configuration.h"
#include "model/data_codes.h"
#include "result/result_file.h"
#include "snapshot/system_files.h"
#include "model/treetool.h"
#include "model/value_record.h"
#include "support/data_files.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

using platform::Utf8ToWide;

constexpr char kKeyPath[] = "Software\\Velmoria\\QuitawayTests\\compare";
constexpr char kSettingsKey[] = "Software\\Velmoria\\QuitawayTests\\compare-settings";

HKEY Key(const std::string& sub) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(std::string(kKeyPath) + "\\" + sub).c_str(), 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

void SetString(const std::string& sub, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
  HKEY k = Key(sub);
  RegSetValueExW(k, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * 2));
  RegCloseKey(k);
}

void SetBytes(const std::string& sub, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY k = Key(sub);
  RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(k);
}

void DeleteValue(const std::string& sub, const wchar_t* name) {
  HKEY k = Key(sub);
  RegDeleteValueW(k, name);
  RegCloseKey(k);
}

void DeleteKeyTree(const std::string& sub) {
  RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(std::string(kKeyPath) + (sub.empty() ? "" : "\\" + sub)).c_str());
}

void MakeFolder(const char* path) { CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr); }

// The main window's trees for one comparison.
struct Workspace {
  Tree regSel, driveSel, sysSel, regResult, driveResult, sysResult;
  std::vector<std::string> noCheck;
  ResultFileInfo info;
  KindImages images{11, 12};
  CompareTrees Trees() { return {regSel, driveSel, sysSel, regResult, driveResult, sysResult}; }
};

TreeNode* Child(TreeNode* parent, const std::string& text, int32_t state) {
  TreeNode* n = parent->AddChild(text);
  n->SetStateIndex(state);
  return n;
}

std::vector<std::string> ChildTexts(const TreeNode* node) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < node->Count(); ++i) texts.push_back(node->Child(i)->Text());
  return texts;
}

std::string Describe(const NodeRecord& r, ResultSection section) {
  std::string s = r.Name + " " + std::to_string(r.Status);
  if (section == ResultSection::Registry) {
    s += " t" + std::to_string(r.Value.TypeCode) + " ";
    if (r.Value.TypeCode == 1 || r.Value.TypeCode == 2) s += r.Value.Text;
    else if (r.Value.TypeCode == 3) s += std::to_string(r.Value.Number);
    else for (uint8_t b : r.Value.Bytes) s += std::to_string(b) + ",";
  } else if (section == ResultSection::SystemFiles) {
    s += " " + r.Entry.Value + (r.Entry.Value.empty() ? std::to_string(r.Entry.LineIndex) : "");
  }
  return s;
}

std::vector<std::string> Records(const ResultFileInfo& info, ResultSection section, const TreeNode* node) {
  std::vector<std::string> out;
  const int kind = section == ResultSection::SystemFiles ? SystemKindOfNode(*node) : 0;
  for (const NodeRecord& r : ReadNodeRecords(info, section, *node, kind)) out.push_back(Describe(r, section));
  return out;
}

class CompareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteKeyTree("");
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kSettingsKey).c_str());
    OpenSettingsRegistry(kSettingsKey);
    WriteBackAllSettings();
    WriteSetting("StoreVersionInfo", 1);
    ASSERT_NE(GetFileAttributesW(L"U:\\"), INVALID_FILE_ATTRIBUTES) << "test drive U: missing";
    RemoveFolderContent("U:\\");
  }
  void TearDown() override {
    RemoveFolderContent("U:\\");
    DeleteKeyTree("");
    CloseSettingsRegistry();
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kSettingsKey).c_str());
  }

  // Watches HKEY_CURRENT_USER with the test key's "Ignoriert" unchecked, drive U:
  // and the two system files on U:.
  void Select(Workspace& ws) {
    TreeNode* top = ws.regSel.AddTop("Arbeitsplatz");
    top->SetStateIndex(stPartial);
    TreeNode* n = Child(top, "HKEY_CURRENT_USER", stPartial);
    for (const char* part : {"Software", "Velmoria", "QuitawayTests", "compare"}) n = Child(n, part, stPartial);
    Child(n, "Ignoriert", stUnchecked);
    Child(top, "HKEY_LOCAL_MACHINE", stUnchecked);
    TreeNode* drives = ws.driveSel.AddTop("Laufwerke");
    drives->SetStateIndex(stPartial);
    Child(drives, "U: [Vergleich]", stChecked)->SetImageIndex(5);
    TreeNode* sys = ws.sysSel.AddTop("Systemdateien");
    sys->SetStateIndex(stPartial);
    Child(sys, "U:\\test.ini(INI)", stChecked);
    Child(sys, "U:\\lines.txt(TXT)", stChecked);
  }
};

}  // namespace

TEST_F(CompareTest, RegistryFilesAndSystemFilesChangedBetweenTwoSnapshots) {
  // Before.
  SetString("Bleibt", L"Text", L"alt");
  SetString("Bleibt", L"Typ", L"gleich");
  const DWORD one = 1, bytesAsNumber = 0x04030201;
  SetBytes("Bleibt", L"Zahl", REG_DWORD, &one, 4);
  SetBytes("Bleibt", L"Bytes", REG_DWORD, &bytesAsNumber, 4);
  SetString("Bleibt", L"Weg", L"x");
  SetString("Geht\\Unter", L"v", L"1");
  MakeFolder("U:\\Bleibt");
  MakeFolder("U:\\Geht");
  WriteFileBytes("U:\\Bleibt\\a.txt", "aaa");
  WriteFileBytes("U:\\Bleibt\\attr.txt", "x");
  WriteFileBytes("U:\\Bleibt\\ver.dll", "MZ");
  WriteFileBytes("U:\\Bleibt\\weg.txt", "w");
  WriteFileBytes("U:\\Geht\\x.txt", "x");
  WriteFileBytes("U:\\nocheck.txt", "1");
  WriteFileBytes("U:\\test.ini", "[Bleibt]\r\na=1\r\nb=Wert\r\nc=weg\r\n[Geht]\r\nx=1\r\n[Zeta]\r\nz=1\r\n");
  WriteFileBytes("U:\\lines.txt", "eins\r\nzwei\r\ndrei\r\n");

  ScriptedInteraction ui;
  Workspace ws;
  Select(ws);
  TempFolder dir;
  const std::string oldFile = dir.File("OldCFG.TSD"), newFile = dir.File("NewCFG.TSD");
  WriteConfiguration(oldFile, ws.regSel, ws.driveSel, ws.sysSel);

  // The installation.
  SetString("Bleibt", L"Text", L"neu");
  SetString("Bleibt", L"Typ", L"gleich", REG_EXPAND_SZ);  // other string type, same text
  const uint8_t sameBytes[4] = {1, 2, 3, 4};
  SetBytes("Bleibt", L"Bytes", REG_BINARY, sameBytes, 4);  // same bytes as a number before
  DeleteValue("Bleibt", L"Weg");
  SetString("Bleibt", L"Neu", L"n");
  DeleteKeyTree("Geht");
  const DWORD five = 5;
  SetBytes("Kommt\\Tief", L"w", REG_DWORD, &five, 4);
  SetString("Ignoriert", L"egal", L"1");
  WriteFileBytes("U:\\Bleibt\\a.txt", "aaaa");
  // Only an attribute changes (Wine keeps no archive bit: the hidden one stands in).
  SetFileAttributesW(L"U:\\Bleibt\\attr.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_TRUE(CopyFileW(Utf8ToWide(ProgramFolder() + "versioned.dll").c_str(), L"U:\\Bleibt\\ver.dll", FALSE));
  DeleteFileW(L"U:\\Bleibt\\weg.txt");
  WriteFileBytes("U:\\Bleibt\\neu.txt", "n");
  DeleteFileW(L"U:\\Geht\\x.txt");
  RemoveDirectoryW(L"U:\\Geht");
  MakeFolder("U:\\Kommt");
  WriteFileBytes("U:\\Kommt\\k.txt", "k");
  WriteFileBytes("U:\\nocheck.txt", "22");
  WriteFileBytes("U:\\nocheck_neu.txt", "n");
  WriteFileBytes("U:\\test.ini", "[Alpha]\r\nn=1\r\n[Bleibt]\r\na=2\r\nb=WERT\r\nd=neu\r\n[Zeta]\r\nz=2\r\n");
  WriteFileBytes("U:\\lines.txt", "zwei\r\neins\r\nvierzig\r\n");

  WriteConfiguration(newFile, ws.regSel, ws.driveSel, ws.sysSel);
  ws.noCheck = {"U:\\NOCHECK.TXT", "u:\\nocheck_neu.txt"};
  const std::string resultFile = dir.File("Install.TSL");
  CompareConfigurations(oldFile, newFile, resultFile, ws.Trees(), ws.noCheck, ws.images, ws.info);
  EXPECT_EQ(ws.noCheck.size(), 2u);  // the program's own files are gone again
  EXPECT_EQ(ws.info.FileName, resultFile);
  EXPECT_TRUE(ui.Messages().empty());

  // Registry.
  TreeNode* key = FindNodeByPath("Arbeitsplatz\\HKEY_CURRENT_USER\\Software\\Velmoria\\QuitawayTests\\compare",
                                 ws.regResult, true, false);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(ChildTexts(key), (std::vector<std::string>{"Bleibt", "Geht", "Kommt"}));
  TreeNode* bleibt = key->Child(0);
  TreeNode* geht = key->Child(1);
  TreeNode* kommt = key->Child(2);
  EXPECT_EQ(bleibt->StateIndex(), stMembersChanged);
  EXPECT_EQ(bleibt->SelectedIndex(), 1);
  EXPECT_EQ(geht->StateIndex(), stRemoved);
  EXPECT_EQ(kommt->StateIndex(), stAdded);
  EXPECT_TRUE(geht->HasChildren());
  EXPECT_EQ(Records(ws.info, ResultSection::Registry, bleibt),
            (std::vector<std::string>{"Bytes 11 t3 67305985", "Bytes 12 t4 1,2,3,4,", "Neu 9 t1 n",
                                      "Text 11 t1 alt", "Text 12 t1 neu", "Weg 10 t1 x"}));
  EXPECT_TRUE(Records(ws.info, ResultSection::Registry, kommt).empty());
  ExpandStoredNode(ws.info, ResultSection::Registry, *kommt);
  ASSERT_EQ(ChildTexts(kommt), (std::vector<std::string>{"Tief"}));
  EXPECT_EQ(Records(ws.info, ResultSection::Registry, kommt->Child(0)), (std::vector<std::string>{"w 9 t3 5"}));
  ExpandStoredNode(ws.info, ResultSection::Registry, *geht);
  ASSERT_EQ(ChildTexts(geht), (std::vector<std::string>{"Unter"}));
  EXPECT_EQ(Records(ws.info, ResultSection::Registry, geht->Child(0)), (std::vector<std::string>{"v 10 t1 1"}));

  // Files.
  TreeNode* drive = FindNodeByPath("Laufwerke\\U: [Vergleich]", ws.driveResult, true, false);
  ASSERT_NE(drive, nullptr);
  EXPECT_EQ(drive->ImageIndex(), 5);
  EXPECT_EQ(ChildTexts(drive), (std::vector<std::string>{"Bleibt", "Geht", "Kommt"}));
  // At the root only the two system files changed: the no-check files left no record.
  EXPECT_EQ(drive->StateIndex(), stMembersChanged);
  std::vector<std::string> rootFiles;
  for (const auto& f : ReadNodeRecords(ws.info, ResultSection::Drives, *drive))
    rootFiles.push_back(f.Name + " " + std::to_string(f.Status));
  EXPECT_EQ(rootFiles, (std::vector<std::string>{"lines.txt 11", "lines.txt 12", "test.ini 11", "test.ini 12"}));
  const auto files = ReadNodeRecords(ws.info, ResultSection::Drives, *drive->Child(0));
  std::vector<std::string> fileSummary;
  for (const auto& f : files)
    fileSummary.push_back(f.Name + " " + std::to_string(f.Status) + " " + std::to_string(f.File.Size) + " " +
                          std::to_string(f.File.VersionHigh));
  const int32_t dllSize = static_cast<int32_t>(ReadFileBytes(ProgramFolder() + "versioned.dll").size());
  EXPECT_EQ(fileSummary, (std::vector<std::string>{"a.txt 11 3 0", "a.txt 12 4 0", "attr.txt 11 1 0",
                                                   "attr.txt 12 1 0", "neu.txt 9 1 0", "ver.dll 11 2 0",
                                                   "ver.dll 12 " + std::to_string(dllSize) + " 65538",
                                                   "weg.txt 10 1 0"}));
  EXPECT_EQ(files[2].File.Attributes & FILE_ATTRIBUTE_HIDDEN, 0);
  EXPECT_EQ(files[3].File.Attributes & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(files[2].File.Time, files[3].File.Time);
  EXPECT_EQ(drive->Child(1)->StateIndex(), stRemoved);
  TreeNode* newFolder = drive->Child(2);
  EXPECT_EQ(newFolder->StateIndex(), stAdded);
  const auto newFiles = ReadNodeRecords(ws.info, ResultSection::Drives, *newFolder);
  ASSERT_EQ(newFiles.size(), 1u);
  EXPECT_EQ(newFiles[0].Name, "k.txt");
  EXPECT_EQ(newFiles[0].Status, rsNew);

  // System files: names in capitals, the new section before a changed one.
  TreeNode* ini = FindNodeByPath("Systemdateien\\U:\\TEST.INI(INI)", ws.sysResult, true, false);
  ASSERT_EQ(ini, nullptr);  // the path splits at backslashes: look the file up directly
  ini = ws.sysResult.First()->FindChild("U:\\TEST.INI(INI)");
  ASSERT_NE(ini, nullptr);
  EXPECT_EQ(ini->ImageIndex(), 11);
  EXPECT_EQ(ChildTexts(ini), (std::vector<std::string>{"[Alpha]", "[Bleibt]", "[Geht]", "[Zeta]"}));
  EXPECT_EQ(ini->Child(0)->StateIndex(), stAdded);
  EXPECT_EQ(ini->Child(0)->ImageIndex(), 12);
  EXPECT_EQ(ini->Child(2)->StateIndex(), stRemoved);
  EXPECT_EQ(Records(ws.info, ResultSection::SystemFiles, ini->Child(0)), (std::vector<std::string>{"n 9 1"}));
  EXPECT_EQ(Records(ws.info, ResultSection::SystemFiles, ini->Child(1)),
            (std::vector<std::string>{"a 11 1", "a 12 2", "d 9 neu", "c 10 weg"}));
  EXPECT_EQ(Records(ws.info, ResultSection::SystemFiles, ini->Child(2)), (std::vector<std::string>{"x 10 1"}));
  EXPECT_EQ(Records(ws.info, ResultSection::SystemFiles, ini->Child(3)),
            (std::vector<std::string>{"z 11 1", "z 12 2"}));
  TreeNode* lines = ws.sysResult.First()->FindChild("U:\\LINES.TXT(TXT)");
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(lines->StateIndex(), stMembersChanged);
  EXPECT_EQ(lines->ImageIndex(), 12);
  EXPECT_EQ(Records(ws.info, ResultSection::SystemFiles, lines), (std::vector<std::string>{"drei 10 2", "vierzig 9 2"}));

  // The file loads back into the same trees.
  Workspace again;
  LoadResultFile(resultFile, again.regSel, again.driveSel, again.regResult, again.driveResult, again.sysSel,
                 again.sysResult, again.noCheck, ws.images, again.info);
  EXPECT_EQ(again.info.RegistryBlockStart, ws.info.RegistryBlockStart);
  EXPECT_EQ(again.info.DriveBlockStart, ws.info.DriveBlockStart);
  EXPECT_EQ(again.info.SystemBlockStart, ws.info.SystemBlockStart);
  EXPECT_EQ(again.info.SystemTreePos, ws.info.SystemTreePos);
  EXPECT_EQ(again.noCheck, ws.noCheck);
  TreeNode* loaded = FindNodeByPath("Arbeitsplatz\\HKEY_CURRENT_USER\\Software\\Velmoria\\QuitawayTests\\compare\\Bleibt",
                                    again.regResult, true, false);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->Data(), bleibt->Data());
  EXPECT_EQ(Records(again.info, ResultSection::Registry, loaded), Records(ws.info, ResultSection::Registry, bleibt));
}

TEST_F(CompareTest, IdenticalConfigurationsGiveEmptyBlocks) {
  WriteFileBytes("U:\\test.ini", "[a]\r\nb=c\r\n");
  WriteFileBytes("U:\\lines.txt", "x\r\n");
  ScriptedInteraction ui;
  Workspace ws;
  TreeNode* top = ws.regSel.AddTop("Arbeitsplatz");
  Child(top, "HKEY_CURRENT_CONFIG", stChecked);
  TreeNode* drives = ws.driveSel.AddTop("Laufwerke");
  Child(drives, "U:", stChecked);
  TreeNode* sys = ws.sysSel.AddTop("Systemdateien");
  Child(sys, "U:\\test.ini(INI)", stChecked);
  TempFolder dir;
  WriteConfiguration(dir.File("a.TSD"), ws.regSel, ws.driveSel, ws.sysSel);
  WriteConfiguration(dir.File("b.TSD"), ws.regSel, ws.driveSel, ws.sysSel);
  CompareConfigurations(dir.File("a.TSD"), dir.File("b.TSD"), dir.File("r.TSL"), ws.Trees(), ws.noCheck,
                        ws.images, ws.info);

  EXPECT_EQ(ChildTexts(ws.regResult.First()), (std::vector<std::string>{"HKEY_CURRENT_CONFIG"}));
  EXPECT_EQ(ws.regResult.First()->Child(0)->Count(), 0u);
  EXPECT_EQ(ChildTexts(ws.driveResult.First()), (std::vector<std::string>{"U:"}));
  EXPECT_EQ(ws.driveResult.First()->Child(0)->Count(), 0u);
  EXPECT_EQ(ChildTexts(ws.sysResult.First()), (std::vector<std::string>{"U:\\TEST.INI(INI)"}));
  EXPECT_EQ(ws.sysResult.First()->Child(0)->Count(), 0u);

  // Each block holds its header string only; its length item stands right before it.
  const std::string bytes = ReadFileBytes(dir.File("r.TSL"));
  const std::pair<int64_t, const char*> blocks[] = {{ws.info.RegistryBlockStart, kValuesHeader},
                                                    {ws.info.DriveBlockStart, kFilesHeader},
                                                    {ws.info.SystemBlockStart, kSystemFilesHeader}};
  for (const auto& [start, header] : blocks) {
    const size_t headerItem = 2 + std::string(header).size();
    EXPECT_EQ(static_cast<uint8_t>(bytes[start - 2]), 2);
    EXPECT_EQ(static_cast<size_t>(static_cast<uint8_t>(bytes[start - 1])), headerItem);
    EXPECT_EQ(bytes.substr(start + 2, headerItem - 2), header);
  }
  EXPECT_EQ(static_cast<int64_t>(bytes.size()), ws.info.SystemBlockStart + 2 + 44);
}

namespace {

// A configuration written by hand: an empty registry section, one drive with two
// files (old or today's file form), an empty system-file section.
void HandMadeConfiguration(const std::string& file, const std::string& driveText, bool withVersions,
                           int32_t dllHigh, int32_t txtAttributes = 32) {
  platform::FileStream f(file, platform::FileStream::Mode::Create);
  DataWriter w(f);
  w.WriteString(kRegistrationHeader);
  w.WriteListBegin();
  w.WriteListEnd();
  w.WriteString(withVersions ? kDrivesHeader2 : kDrivesHeader);
  w.WriteListBegin();
  w.WriteString(driveText);
  w.WriteInteger(3);
  w.WriteInteger(0);
  w.WriteInteger(2);
  for (const char* name : {"a.dll", "b.txt"}) {
    w.WriteString(name);
    w.WriteInteger(21);
    w.WriteInteger(0x58B16F00);
    w.WriteInteger(10);
    w.WriteInteger(std::string(name) == "b.txt" ? txtAttributes : 32);
    if (withVersions) {
      w.WriteInteger(std::string(name) == "a.dll" ? dllHigh : 0);
      w.WriteInteger(0);
    }
  }
  w.WriteListEnd();
  w.WriteString(kSystemFilesHeader);
  w.WriteListBegin();
  w.WriteListEnd();
  w.Flush();
}

}  // namespace

TEST_F(CompareTest, OldFormDriveSectionAgainstTodaysAndRelabelledDrives) {
  ScriptedInteraction ui;
  Workspace ws;
  TempFolder dir;
  HandMadeConfiguration(dir.File("alt.TSD"), "C: [Alt]", false, 0);
  HandMadeConfiguration(dir.File("neu.TSD"), "C: [Neu]", true, 0x00010002, 0);  // b.txt: archive bit gone
  CompareConfigurations(dir.File("alt.TSD"), dir.File("neu.TSD"), dir.File("r.TSL"), ws.Trees(), ws.noCheck,
                        ws.images, ws.info);
  ASSERT_EQ(ChildTexts(ws.driveResult.First()), (std::vector<std::string>{"C: [Neu]"}));  // the new label
  TreeNode* c = ws.driveResult.First()->Child(0);
  EXPECT_EQ(c->StateIndex(), stMembersChanged);
  const auto files = ReadNodeRecords(ws.info, ResultSection::Drives, *c);
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].Name, "a.dll");  // an old record has no version: the new one differs
  EXPECT_EQ(files[0].Status, rsOldOfAltered);
  EXPECT_EQ(files[0].File.VersionHigh, 0);
  EXPECT_EQ(files[1].Status, rsNewOfAltered);
  EXPECT_EQ(files[1].File.VersionHigh, 0x00010002);
  EXPECT_EQ(files[2].Name, "b.txt");  // only the archive bit changed
  EXPECT_EQ(files[2].File.Attributes, 32);
  EXPECT_EQ(files[3].File.Attributes, 0);
  EXPECT_EQ(files[2].File.Time, files[3].File.Time);
  EXPECT_EQ(files[2].File.Size, files[3].File.Size);

  // The same pair without the attribute change: a.dll alone.
  HandMadeConfiguration(dir.File("neu2.TSD"), "C:", true, 0x00010002);
  CompareConfigurations(dir.File("alt.TSD"), dir.File("neu2.TSD"), dir.File("r.TSL"), ws.Trees(), ws.noCheck,
                        ws.images, ws.info);
  EXPECT_EQ(ReadNodeRecords(ws.info, ResultSection::Drives, *ws.driveResult.First()->Child(0)).size(), 2u);
}

TEST_F(CompareTest, RefusedAndDamagedFilesEndWithMessagesAndRestoreTheNoCheckList) {
  TempFolder dir;
  HandMadeConfiguration(dir.File("gut.TSD"), "C:", true, 0);
  {
    platform::FileStream f(dir.File("v2.TSD"), platform::FileStream::Mode::Create);
    DataWriter w(f);
    w.WriteString(kRegistrationHeaderV2);
  }
  WriteFileBytes(dir.File("fremd.TSD"), std::string("\x06\x05Hallo", 7));
  WriteFileBytes(dir.File("leer.TSD"), "");
  const std::string good = ReadFileBytes(dir.File("gut.TSD"));
  WriteFileBytes(dir.File("kurz.TSD"), good.substr(0, good.size() - 12));  // cut in the drive section

  struct Case {
    const char* oldName;
    std::vector<std::string> messages;
  };
  const std::string fehler = "Fehler beim Einlesen der Dateien, Abbruch";
  const std::vector<Case> cases = {
      {"v2.TSD", {"Diese Version des Programmes verarbeitet keine *.TSD der Versionen 1.4 oder früher!", fehler}},
      {"fremd.TSD",
       {"Error: " + dir.File("fremd.TSD") + "\rDies ist keine gültige Datei, oder eine inkompatible Version ",
        fehler}},
      {"leer.TSD", {fehler}},
  };
  for (const Case& c : cases) {
    ScriptedInteraction ui;
    Workspace ws;
    ws.noCheck = {"C:\\x"};
    WriteFileBytes(dir.File("r.TSL"), "alt");
    EXPECT_THROW(CompareConfigurations(dir.File(c.oldName), dir.File("gut.TSD"), dir.File("r.TSL"), ws.Trees(),
                                       ws.noCheck, ws.images, ws.info),
                 EAbort)
        << c.oldName;
    EXPECT_EQ(ui.Texts(), c.messages) << c.oldName;
    EXPECT_EQ(ReadFileBytes(dir.File("r.TSL")), "alt");  // a log of the same name is not lost
    EXPECT_EQ(ws.noCheck, (std::vector<std::string>{"C:\\x"}));
  }

  // Failing midway, the shown result, its description and the file stay as they were.
  ScriptedInteraction ui;
  Workspace ws;
  ws.noCheck = {"C:\\x"};
  ws.driveResult.AddTop("vorher");
  ws.info.FileName = dir.File("r.TSL");
  EXPECT_THROW(CompareConfigurations(dir.File("gut.TSD"), dir.File("kurz.TSD"), dir.File("r.TSL"), ws.Trees(),
                                     ws.noCheck, ws.images, ws.info),
               EReadError);
  EXPECT_EQ(ws.noCheck, (std::vector<std::string>{"C:\\x"}));
  EXPECT_EQ(ws.driveResult.First()->Text(), "vorher");
  EXPECT_EQ(ws.info.DriveBlockStart, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("r.TSL")), "alt");
  EXPECT_FALSE(platform::FileExists(dir.File("r.TSL.tmp")));
}

// A crafted file may nest keys far deeper than any call stack could follow.
TEST(CompareDamaged, DeepNestingIsComparedWithoutRecursion) {
  constexpr int kDepth = 50000;
  auto chain = [](bool withValue) {
    return [withValue](DataWriter& w) {
      w.WriteString("HKEY_CURRENT_USER");
      for (int i = 0; i < kDepth; ++i) {
        w.WriteInteger(1);
        w.WriteString("k");
      }
      w.WriteInteger(0);
      w.WriteInteger(withValue ? 1 : 0);
      if (withValue) {
        w.WriteString("unten");
        WriteNumberValue(w, rsSnapshot, 7);
      }
      for (int i = 0; i < kDepth; ++i) w.WriteInteger(0);  // the values of every level above
    };
  };
  TempFolder dir;
  WriteConfigurationFile(dir.File("alt.TSD"), chain(false), nullptr, nullptr);
  WriteConfigurationFile(dir.File("neu.TSD"), chain(true), nullptr, nullptr);
  ScriptedInteraction ui;
  Workspace ws;
  CompareConfigurations(dir.File("alt.TSD"), dir.File("neu.TSD"), dir.File("r.TSL"), ws.Trees(), ws.noCheck,
                        ws.images, ws.info);
  const TreeNode* node = ws.regResult.First()->Child(0);
  int depth = 0;
  while (node->Count() == 1) node = node->Child(0), ++depth;
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(node->StateIndex(), stMembersChanged);
  EXPECT_EQ(Records(ws.info, ResultSection::Registry, node), (std::vector<std::string>{"unten 9 t3 7"}));
}

// The list of watched files follows the selection tree, and a file added to it or
// taken from it moves the others; INI entries stay in file order. Both are matched by
// name, so only real changes are reported, and a changed value once, as altered.
TEST(CompareSystemFiles, FilesAndEntriesAreMatchedByNameWhateverTheirOrder) {
  const std::string a = "U:\\A.INI(INI)", b = "U:\\B.INI(INI)", c = "U:\\C.INI(INI)";
  const IniSection same{"[S]", {{"x", "1"}}};
  TempFolder dir;
  WriteConfigurationFile(dir.File("alt.TSD"), nullptr, nullptr, [&](DataWriter& w) {
    WriteIniFile(w, b, {same});
    WriteIniFile(w, a, {{"[D]", {{"k", "1"}, {"k", "2"}}}, {"[S]", {{"z", "1"}, {"b", "2"}}}});
  });
  WriteConfigurationFile(dir.File("neu.TSD"), nullptr, nullptr, [&](DataWriter& w) {
    WriteIniFile(w, c, {same});
    WriteIniFile(w, a, {{"[D]", {{"k", "1"}, {"k", "3"}}}, {"[S]", {{"z", "1"}, {"c", "3"}, {"b", "5"}}}});
    WriteIniFile(w, b, {same});
  });
  ScriptedInteraction ui;
  Workspace ws;
  CompareConfigurations(dir.File("alt.TSD"), dir.File("neu.TSD"), dir.File("r.TSL"), ws.Trees(), ws.noCheck,
                        ws.images, ws.info);
  const TreeNode* top = ws.sysResult.First();
  ASSERT_EQ(ChildTexts(top), (std::vector<std::string>{c, a, b}));
  EXPECT_EQ(top->Child(0)->StateIndex(), stAdded);
  const TreeNode* fileA = top->Child(1);
  EXPECT_EQ(ChildTexts(fileA), (std::vector<std::string>{"[D]", "[S]"}));
  EXPECT_EQ(Records(ws.info, ResultSection::SystemFiles, fileA->Child(0)),
            (std::vector<std::string>{"k 11 2", "k 12 3"}));
  EXPECT_EQ(Records(ws.info, ResultSection::SystemFiles, fileA->Child(1)),
            (std::vector<std::string>{"c 9 3", "b 11 2", "b 12 5"}));
  EXPECT_EQ(top->Child(2)->StateIndex(), stNeutral);
  EXPECT_EQ(top->Child(2)->Count(), 0u);
  // The second "k" of [D] is a key found twice: its values cannot be exported.
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Nicht INI-gerechten Wert gefunden :" + a +
                                                  "\\[D]\\k\rDiese Werte können nicht in Installdateien exportiert "
                                                  "werden"}));
}
