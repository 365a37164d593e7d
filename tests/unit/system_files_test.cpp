// The system-file section: file kinds and paths, INI and text blocks written from real
// files in every encoding, and counts of stored blocks.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/copy_records.h"
#include "model/data_codes.h"
#include "model/system_file_kind.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "snapshot/system_files.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using V = std::vector<std::string>;

// Every Update() as "status|max|pos" at that moment, and every message.
struct RecordingReport : SnapshotReport {
  V updates, errors;
  void Update() override {
    updates.push_back(StatusText + "|" + std::to_string(ProgressMax) + "|" + std::to_string(ProgressPos));
  }
  void ShowError(const std::string& message) override { errors.push_back(message); }
};

// The message of the error f raises; empty when it raises none.
template <typename F>
std::string ErrorOf(F f) try {
  f();
  return "";
} catch (const std::exception& e) {
  return e.what();
}

// A stored section read back strictly by its layout: per file its entry text, then
// "[header]{key→value|...}" per INI section or "{text@index|...}" for a text file.
V ReadSection(const Bytes& bytes) {
  platform::MemoryStream stream(bytes);
  DataReader r(stream);
  EXPECT_EQ(r.ReadString(), "* THIS IS A TIDYSWEEP SYSTEMFILES DATAFILE *");
  V files;
  for (r.ReadListBegin(); !r.EndOfList();) {
    std::string s = r.ReadString();
    const bool ini = s.ends_with("(INI)");
    for (int32_t i = 0, n = ini ? r.ReadInteger() : 1; i < n; ++i) {
      s += (ini ? r.ReadString() : "") + "{";
      for (int32_t j = 0, m = r.ReadInteger(); j < m; ++j) {
        s.append(j ? "|" : "").append(r.ReadString());
        EXPECT_EQ(r.ReadInteger(), rsSnapshot) << s;
        s.append(ini ? "→" : "@").append(ini ? r.ReadString() : std::to_string(r.ReadInteger()));
      }
      s += "}";
    }
    files.push_back(s);
  }
  r.ReadListEnd();
  EXPECT_EQ(r.Remaining(), 0);
  return files;
}

class SystemFileSection : public ::testing::Test {
 protected:
  Bytes Section(const std::vector<SystemFileEntry>& files) {
    platform::MemoryStream stream;
    DataWriter w(stream);
    WriteSystemFilesSection(w, files, "C:\\", report_);
    w.Flush();
    return stream.Bytes();
  }
  // The block stored for content as the one watched file (INI or text).
  std::string Stored(const std::string& content, bool ini) {
    const std::string entry = temp_.File(ini ? "test.ini" : "test.txt");
    WriteFileBytes(entry, content);
    const V files = ReadSection(Section({{entry + (ini ? "(INI)" : "(TXT)"), stChecked}}));
    return files.size() == 1 ? files[0].substr(entry.size() + 5) : "?";
  }

  TempFolder temp_;
  RecordingReport report_;
};

}  // namespace

// The checked files in turn, each with its block; an unreadable one is reported and
// stored empty, and an entry of unknown kind ends the section.
TEST_F(SystemFileSection, StoresEachCheckedFileReportsUnreadableOnesAndShowsProgress) {
  const std::string ini = temp_.File("a.ini"), txt = temp_.File("t.txt"), missing = temp_.File("fehlt.ini");
  WriteFileBytes(ini, "[s]\r\nk=v\r\n");
  WriteFileBytes(txt, "zz\r\nYy\r\n");
  // The INI file is read while another program holds it open for writing; the
  // unchecked one is not read (it does not exist).
  HANDLE h = CreateFileW(platform::Utf8ToWide(ini).c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  const Bytes bytes = Section({{ini + "(INI)", stChecked}, {temp_.File("x.ini") + "(INI)", stUnchecked},
                               {txt + "(TXT)", stPartial}, {missing + "(INI)", stChecked}});
  CloseHandle(h);
  EXPECT_EQ(ReadSection(bytes), (V{ini + "(INI)[s]{k→v}", txt + "(TXT){Yy@1|zz@0}", missing + "(INI)"}));
  const std::string prefix = "Die Datei kann nicht geöffnet werden: \"" + missing + "\": ";
  ASSERT_EQ(report_.errors.size(), 1u);
  EXPECT_EQ(report_.errors[0].rfind(prefix, 0), 0u) << report_.errors[0];
  EXPECT_GT(report_.errors[0].size(), prefix.size());  // the system's reason follows
  // The maximum is the number of files, the position the index of the file stored.
  const std::string saving = " Systemdateien speichern|4|";
  EXPECT_EQ(report_.updates, (V{saving + "0", saving + "0", saving + "2", saving + "3", " Status|0|0"}));
  EXPECT_EQ(ErrorOf([&] { Section({{txt + "(TXT)", stChecked}, {"readme.doc", stChecked}}); }),
            "Konnte den Dateityp für readme.doc nicht feststellen");
}

TEST_F(SystemFileSection, IniAndTextBlocksKeepTheirRules) {
  struct Case { const char* name; bool ini; std::string content, stored; };
  const Case cases[] = {
      // Headers and entries are trimmed; keys and values keep their inner blanks.
      {"trim", true, "   [Boot]  \r\n  shell = explorer.exe \r\n\tpath=C:\\a b\t\r\n",
       "[Boot]{shell → explorer.exe|path→C:\\a b}"},
      // The key ends at the first "="; a line without one is a value without a key.
      {"split", true, "[s]\r\nkey=val=x\r\nnoequals\r\n=v\r\n", "[s]{key→val=x|→noequals|→v}"},
      // A section ends at the next header without "=", comments and blank lines left
      // out; "[a=b]" is collected as a header too.
      {"headers", true, "[one]\n[two]\n; c\n\n   ;c\nk=v\n[a=b]\nx\n[three]\nz=1\n",
       "[a=b]{→x}[one]{}[three]{z→1}[two]{k→v|[a→b]|→x}"},
      {"empty name", true, "[]\r\nx=1\r\n[s]\r\ny=2\r\n", "[]{}[s]{y→2}"},
      // Found without regard to case: each "[d]" gets the entries after the first.
      {"twice", true, "[d]\nx=1\n[e]\ny=2\n[d]\nz=3\n[D]\nw=4\n", "[d]{x→1}[d]{x→1}[D]{x→1}[e]{y→2}"},
      {"locale order", true, "[b]\n[C]\n[Äpfel]\n[a]\n", "[a]{}[Äpfel]{}[b]{}[C]{}"},
      // Lines sorted without regard to case, equal ones in file order; blank lines go,
      // the blanks of other lines stay.
      {"lines", false, "B\nx\n \t \na\nC\nx\n", "{a@3|B@0|C@4|x@1|x@5}"},
      {"blanks", false, "  SET X=1 \nREM\n", "{  SET X=1 @0|REM@1}"},
      {"empty", false, "", "{}"},
      // Every encoding and line break; an empty line still counts.
      {"UTF-8 mark", false, "\xEF\xBB\xBF" "Gr\xC3\xBC\xC3\x9F\r\nb\r\n", "{b@1|Grüß@0}"},
      {"UTF-8", false, "Gr\xC3\xBC\xC3\x9F\rb\rc", "{b@1|c@2|Grüß@0}"},
      {"Windows-1252", false, "Gr\xFC\xDF \x80\n\rb", "{b@2|Grüß €@0}"},  // LF CR: two breaks
      {"UTF-16 LE", false, std::string("\xFF\xFE" "G\0\xFC\0\xAC\x20\r\0\n\0\xE4\0", 14), "{ä@1|Gü€@0}"},
      {"UTF-16 BE", true, std::string("\xFE\xFF\0[\0s\0]", 8), "[s]{}"},
  };
  for (const Case& c : cases) EXPECT_EQ(Stored(c.content, c.ini), c.stored) << c.name;
  EXPECT_EQ(report_.errors, V{"In Datei '" + temp_.File("test.ini") +
                              "' ist ein Abschnitt, dessen Name leer ist.\r"
                              "Die Werte des Abschnitts können nicht gelesen werden"});
}

TEST(SystemFileKind, FixedNamesMarkedPathsAndUnknownEntries) {
  const std::string windows = platform::WindowsFolder() + (platform::WindowsFolder().ends_with('\\') ? "" : "\\");
  const std::tuple<const char*, int, std::string> cases[] = {
      {"win.ini ", sfWindowsIni, windows + "win.ini"},  // fixed names are read without blanks
      {" SYSTEM.INI", sfWindowsIni, windows + "SYSTEM.INI"},
      {"AUTOEXEC.BAT", sfSystemText, "D:\\boot\\AUTOEXEC.BAT"},
      {"Config.Sys", sfSystemText, "D:\\boot\\Config.Sys"},
      {"C:\\x\\my file (INI)", sfUserIni, "C:\\x\\my file "},  // the blank before the mark stays
      {"  C:\\x\\notes.txt(txt)  ", sfUserText, "C:\\x\\notes.txt"},
      {"C:\\Über\\app.cfg(Ini)", sfUserIni, "C:\\Über\\app.cfg"},
      {"WIN.INI(TXT)", sfUserText, "WIN.INI"},  // with a mark, a fixed name is a path
  };
  for (const auto& [text, kind, expected] : cases) {
    std::string path;
    EXPECT_EQ(FileKindOf(text, path, "D:\\boot\\"), kind) << text;
    EXPECT_EQ(path, expected);
  }
  for (const std::string text : {"readme.txt", "", "(IN)", "WIN.INI.BAK", "C:\\x(INI)x"})
    EXPECT_EQ(ErrorOf([&] { KindOfEntry(text); }), "Konnte den Dateityp für " + text + " nicht feststellen");
}

// A count beyond what the rest can hold is refused before anything is read, at section
// and at entry level, also one that would fit the names alone.
TEST(SystemFileCopy, DamagedCountsAreRefused) {
  using Count = std::pair<int32_t, bool>;  // the count, and whether it is one of sections
  for (const auto& [count, atSectionLevel] : {Count{0x7FFFFFF0, true}, Count{0x7FFFFFF0, false}, Count{3, false}}) {
    platform::MemoryStream stream;
    DataWriter w(stream);
    w.WriteInteger(count), w.WriteString("k"), w.WriteString("k"), w.WriteString("k"), w.Flush();
    stream.Seek(0);
    DataReader r(stream);
    const std::string error = ErrorOf([&] { CopySysTree(r, nullptr, rsNew, atSectionLevel, sfSystemText); });
    EXPECT_NE(error.find("Ungültige Anzahl " + std::to_string(count)), std::string::npos) << error;
  }
}
