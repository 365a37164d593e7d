// Result files for tests: value blocks item by item, a result as the comparison leaves it, written and loaded.
#pragma once

#include <gtest/gtest.h>

#include "model/treetool.h"
#include "platform/file_stream.h"
#include "result/result_file.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

using Bytes = std::vector<uint8_t>;

// A file record's two version words, written only in today's form.
struct Ver { int32_t high = 0, low = 0; };

// A value block; offsets count from its first byte (the header string), as Data does.
struct Block {
  explicit Block(const char* header, bool versions = true) : versions(versions) { w.WriteString(header); }
  // Writes integers, strings, bytes after their count, version words; returns where the first stands.
  template <class... T>
  int32_t Put(const T&... items) {
    const auto at = static_cast<int32_t>(w.Position());
    (Write(items), ...);
    return at;
  }
  void Write(int32_t v) { w.WriteInteger(v); }
  void Write(const char* v) { w.WriteString(v); }
  void Write(const Bytes& v) { Write(static_cast<int32_t>(v.size())); w.WriteRaw(v.data(), v.size()); }
  void Write(Ver v) { if (versions) Put(v.high, v.low); }
  Bytes Content() { w.Flush(); return stream.Bytes(); }
  platform::MemoryStream stream;
  DataWriter w{stream};
  bool versions;
};

inline int32_t Packed(int year, int month, int day, int hour, int minute, int second) {
  const auto date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  return static_cast<int32_t>((date << 16) | static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2)));
}

inline TreeNode* Add(TreeNode* parent, const std::string& text, int32_t state, int32_t data = 0, bool kids = false) {
  TreeNode* n = parent->AddChild(text);
  n->SetStateIndex(state);
  n->SetData(data);
  n->SetHasChildren(kids);
  return n;
}

// The node at a path below the top node; a text with backslashes may be one child of it.
inline TreeNode& At(Tree& tree, const std::string& path) {
  TreeNode* node = tree.First()->FindChild(path);
  if (node == nullptr) node = FindNodeByPath(path, tree, false, false);
  return node != nullptr ? *node : throw std::runtime_error("no node " + path);
}

// HKLM\SOFTWARE: Alt deleted (undone) with a subkey, Neu new with Unter\Tief, Vorhanden changed in every data form.
// C:\Programme\Neu new with bin\tief and doc; C:\Windows and the drive's root changed. WIN.INI with a changed and a
// new section, AUTOEXEC.BAT with changed lines, a deleted user INI file and an entry of unknown kind.
struct ResultSource {
  explicit ResultSource(bool versions = true) : versions(versions), driveBlock(kFilesHeader, versions) {
    Add(regSel.AddTop(kRegistryTop), "HKEY_LOCAL_MACHINE", stChecked);
    Add(driveSel.AddTop(kDrivesTop), "C: [SYSTEM]", stChecked);
    Add(sysSel.AddTop(kSystemTop), "WIN.INI", stChecked);
    // Key: subkeys (name, key)..., values (name, status, type, data)...
    Block& r = regBlock;
    TreeNode* sw = Add(Add(reg.AddTop(kRegistryTop), "HKEY_LOCAL_MACHINE", 0), "SOFTWARE", 0);
    Add(sw, "Alt", stRemoved + flDone,
        r.Put(1, "Teil", 0, 1, "Rest", rsDeleted, 1, "weg", 1, "Pfad", rsDeleted, 1, "C:\\Alt"), true);
    Add(sw, "Neu", stAdded,
        r.Put(1, "Unter", 1, "Tief", 0, 0, 1, "Zahl", rsNew, 3, 10, 2, "", rsNew, 1, "Hallo", "Name", rsNew + flDone,
              3, 42), true);
    Add(sw, "Vorhanden", stMembersChanged,
        r.Put(8, "Wert", rsOldOfAltered, 3, 5, "Wert", rsNewOfAltered, 3, -1, "Text", rsNew, 1, "neu äöü", "Pfad",
              rsDeleted, 2, "AB", "", rsDeleted, 1, "alt", "Leer", rsNew, 4, Bytes{}, "Kurz", rsNew, 4, Bytes(21, 0xAB),
              "Mittel", rsNew, 4, Bytes(30, 0x3C)));
    // Folder: subfolders (name, folder)..., files (name, status, time, size, attributes, versions)...
    Block& d = driveBlock;
    const int32_t may = Packed(2024, 5, 17, 13, 45, 30), aug = Packed(2001, 8, 23, 0, 0, 0);
    const int32_t jan = Packed(2024, 1, 2, 8, 0, 2);
    TreeNode* drive = Add(drives.AddTop(kDrivesTop), "C: [SYSTEM]", stMembersChanged,
                          d.Put(1, "boot.ini", rsNew, may, 1000, 0x06, Ver{}));
    drive->SetImageIndex(3);
    Add(Add(drive, "Programme", 0), "Neu", stAdded,
        d.Put(2, "bin", 1, "tief", 0, 1, "d.txt", rsNew, aug, 3, 0x20, Ver{}, 1, "app.exe", rsNew, may, 1234567, 0x20,
              Ver{0x00050001, 0x00020003}, "doc", 0, 0, 1, "liesmich.txt", rsNew, aug, 100, 0x27, Ver{}),
        true)->SetSelectedIndex(5);
    Add(drive, "Windows", stMembersChanged,
        d.Put(3, "win.com", rsOldOfAltered, aug, 24576, 0x21, Ver{}, "win.com", rsNewOfAltered, jan, 24580, 0x20,
              Ver{0x000A0000, 0x4A610001}, "alt.dll", rsDeleted + flDone, jan, 0, 0, Ver{}));
    // Entries: key, status, value (INI kinds) or line, status, line index (text kinds).
    Block& s = sysBlock;
    TreeNode* top = sys.AddTop(kSystemTop);
    TreeNode* win = Add(top, "WIN.INI", 0);
    Add(win, "[Extensions]", stMembersChanged,
        s.Put(2, "txt", rsOldOfAltered, "notepad.exe ^.txt", "txt", rsNewOfAltered, "wordpad.exe ^.txt"));
    Add(win, "[Neu]", stAdded, s.Put(1, "Pfad", rsNew, "C:\\Neu"));
    Add(top, "AUTOEXEC.BAT", stMembersChanged, s.Put(2, "PATH C:\\NEU", rsNew, 4, "REM alt", rsDeleted | flDone, 0));
    Add(top, "C:\\Tools\\app.ini(INI)", stRemoved);
    Add(top, "notes.dat", 0);
  }

  // Header, selection, then per section the tree, the block's length and the block;
  // without systemLength the file ends after the system-file tree. Notes the positions.
  void Write(const std::string& fileName, bool systemLength = true) {
    platform::FileStream file(fileName, platform::FileStream::Mode::Create);
    DataWriter w(file);
    w.WriteString(versions ? kResultHeader2 : kResultHeader);
    SaveSelectionFile("", &w, regSel, driveSel, sysSel, noCheck);
    Tree* trees[] = {&reg, &drives, &sys};
    Block* blocks[] = {&regBlock, &driveBlock, &sysBlock};
    for (int i = 0; i < 3; ++i) {
      treePos[i] = w.Position();
      SaveTree("", &w, *trees[i], false, true, i < 2);  // system-file images are not stored
      if (i == 2 && !systemLength) break;
      const Bytes bytes = blocks[i]->Content();
      w.WriteInteger(static_cast<int32_t>(bytes.size()));
      blockPos[i] = w.Position();
      w.WriteRaw(bytes.data(), bytes.size());
    }
  }

  bool versions;
  Tree regSel, driveSel, sysSel, reg, drives, sys;
  std::vector<std::string> noCheck{"C:\\PROGRAMME\\QUITAWAY\\OLDCFG.TSD", "C:\\TEMP\\A.TSL"};
  Block regBlock{kValuesHeader}, driveBlock, sysBlock{kSystemFilesHeader};
  int64_t treePos[3] = {}, blockPos[3] = {};
};

// The result written and loaded back as the result view loads it, with its loader.
class ResultFixture : public ::testing::Test {
 protected:
  void WriteAndLoad(bool systemLength = true) {
    src.Write(name, systemLength);
    Load(name);
  }
  void Load(const std::string& fileName) {
    LoadResultFile(fileName, regSel, driveSel, reg, drives, sysSel, sys, noCheck, KindImages{7, 8}, info);
    reg.SetLoader([this](TreeNode& n) { ExpandStoredNode(info, ResultSection::Registry, n); });
  }
  TempFolder folder;
  ScriptedInteraction ui;  // no message boxes under test
  std::string name = folder.File("Beispiel.TSL");
  ResultSource src;
  Tree regSel, driveSel, sysSel, reg, drives, sys;
  std::vector<std::string> noCheck;
  ResultFileInfo info;
};
