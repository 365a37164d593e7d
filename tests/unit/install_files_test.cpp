// Installation files of a result as loaded: the registry file, the script of the use
// counters, the INF file and the copy of new and altered files.
#include <gtest/gtest.h>

#include "removal/install_files.h"
#include "support/checks.h"
#include "support/result_builder.h"

namespace {

using Lines = std::vector<std::string>;

class InstallFiles : public ResultFixture {
 protected:
  void SetUp() override { WriteAndLoad(); }
};

}  // namespace

TEST_F(InstallFiles, RegistryFileWithEscapesDeletionsAndEveryType) {
  EXPECT_EQ(EscapeRegString("C:\\Programme\\X\"Y"), "C:\\\\Programme\\\\X\\\"Y");
  Lines lines, script;
  ExportRegFile(info, &At(reg, "HKEY_LOCAL_MACHINE\\SOFTWARE"), UINT32_MAX, lines, &script);
  const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\";
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 20),
            (Lines{"REGEDIT4", "", "[" + key + "Alt\\Teil]", "\"Rest\"=-", "", "[-" + key + "Alt\\Teil]", "",
                   "[" + key + "Alt]", "\"Pfad\"=-", "", "[-" + key + "Alt]", "", "[" + key + "Neu\\Unter\\Tief]", "",
                   "[" + key + "Neu\\Unter]", "\"Zahl\"=dword:0000000A", "", "[" + key + "Neu]", "@=\"Hallo\"",
                   "\"Name\"=dword:0000002A"}));
  // An altered value goes in with its new content; deleted ones, the default one too, go out.
  EXPECT_EQ(Lines(lines.begin() + 20, lines.begin() + 28),
            (Lines{"", "[" + key + "Vorhanden]", "\"Wert\"=dword:FFFFFFFF", "\"Text\"=\"neu äöü\"", "\"Pfad\"=-", "@=-",
                   "\"Leer\"=hex:", "\"Kurz\"=hex:AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB,AB"}));
  EXPECT_EQ(script, Lines{"Set WshShell = WScript.CreateObject(\"WScript.Shell\")"});
  ExportRegFile(info, &At(reg, "HKEY_LOCAL_MACHINE\\SOFTWARE"), 0, lines);
  EXPECT_TRUE(lines.empty());  // nothing asked for: no file
  // regedit reads a REGEDIT4 file in the ANSI code page.
  CreateAllInstallFiles(info, reg.First(), sys.First(), drives.First(), folder.File("Setup"), folder.File("Setup"), false);
  EXPECT_NE(ReadFileBytes(folder.File("Setup.REG")).find("\"Text\"=\"neu \xE4\xF6\xFC\"\r\n"), std::string::npos);
}

TEST_F(InstallFiles, InfFileWithTheChangedIniEntriesOnly) {
  Lines lines;
  ExportInfFile(info, sys.First(), UINT32_MAX, lines);
  ASSERT_GE(lines.size(), 18u);
  EXPECT_EQ(lines[1], "Signature=$Chicago$");
  EXPECT_EQ(lines[7], "Product=\"Velmoria Quitaway 2000 InstallScript\"");
  // The text file AUTOEXEC.BAT is never written; the deleted user INI file has no entries.
  EXPECT_EQ(Lines(lines.begin() + 18, lines.end()),
            (Lines{"WIN.INI,\"EXTENSIONS\",\"txt=notepad.exe ^.txt\",\"txt=wordpad.exe ^.txt\"",
                   "WIN.INI,\"NEU\",,\"Pfad=C:\\Neu\""}));
}

TEST_F(InstallFiles, CopiesOfNewFilesAndMarkersForFoldersWithout) {
  // The logged files are not on this machine: nobody is asked, and every folder of the
  // new tree gets its marker.
  const std::string target = folder.File("Kopie");
  CopyChangedFiles(info, &At(drives, "C: [SYSTEM]"), UINT32_MAX, target, false);
  for (const char* f : {"\\C\\Programme\\Neu\\doc\\create.dir", "\\C\\Programme\\Neu\\bin\\tief\\create.dir",
                        "\\C\\Windows\\create.dir"}) {
    const DWORD a = GetFileAttributesW(platform::Utf8ToWide(target + f).c_str());
    EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_HIDDEN)) << f;
  }
}
