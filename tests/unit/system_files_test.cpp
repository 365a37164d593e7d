// The system-file section: file kinds and paths, INI and text blocks written from real
// files, copying and skipping stored blocks, and reading text files as lines.
#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/exceptions.h"
#include "core/identity.h"
#include "core/registry.h"
#include "platform/names.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "model/data_codes.h"
#include "model/data_stream.h"
#include "snapshot/system_files.h"
#include "model/copy_records.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Records what the section writer shows: every Update() with the three fields as they
// were at that moment, and every message.
class RecordingReport : public SnapshotReport {
 public:
  struct Shown {
    std::string status;
    int32_t max;
    int32_t pos;
    bool operator==(const Shown&) const = default;
  };
  std::vector<Shown> updates;
  std::vector<std::string> errors;

  void Update() override { updates.push_back({StatusText, ProgressMax, ProgressPos}); }
  void ShowError(const std::string& message) override { errors.push_back(message); }
};

std::ostream& operator<<(std::ostream& os, const RecordingReport::Shown& s) {
  return os << "{\"" << s.status << "\", " << s.max << ", " << s.pos << "}";
}

struct Entry {
  std::string key;  // the line text for text blocks
  int32_t status;
  std::string value;  // the line index for text blocks
  bool operator==(const Entry&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Entry& e) {
  return os << "{\"" << e.key << "\", " << e.status << ", \"" << e.value << "\"}";
}

struct Section {
  std::string header;
  std::vector<Entry> entries;
  bool operator==(const Section&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Section& s) {
  os << s.header << ":";
  for (const Entry& e : s.entries) os << " " << e;
  return os;
}

template <typename F>
Bytes Written(F write) {
  platform::MemoryStream stream;
  {
    DataWriter w(stream);
    write(w);
  }
  return stream.Bytes();
}

Bytes SectionBytes(const std::vector<SystemFileEntry>& files, RecordingReport& report,
                   const std::string& pathToSystemFiles = "C:\\") {
  return Written([&](DataWriter& w) { WriteSystemFilesSection(w, files, pathToSystemFiles, report); });
}

// Reads a section of one watched file back, strictly by the stored layout.
std::vector<Section> ReadSingleFileSection(const Bytes& bytes, const std::string& entryText, bool ini) {
  platform::MemoryStream stream(bytes);
  DataReader r(stream);
  EXPECT_EQ(r.ReadString(), kSystemFilesHeader);
  r.ReadListBegin();
  EXPECT_EQ(r.ReadString(), entryText);
  std::vector<Section> sections;
  auto readEntries = [&](Section& s) {
    const int32_t n = r.ReadInteger();
    for (int32_t i = 0; i < n; ++i) {
      Entry e;
      e.key = r.ReadString();
      e.status = r.ReadInteger();
      e.value = ini ? r.ReadString() : std::to_string(r.ReadInteger());
      s.entries.push_back(e);
    }
  };
  if (ini) {
    const int32_t n = r.ReadInteger();
    for (int32_t i = 0; i < n; ++i) {
      Section s;
      s.header = r.ReadString();
      readEntries(s);
      sections.push_back(s);
    }
  } else {
    Section s;
    readEntries(s);
    sections.push_back(s);
  }
  r.ReadListEnd();
  EXPECT_EQ(r.Remaining(), 0);
  return sections;
}

class SystemFileSection : public ::testing::Test {
 protected:
  // Writes content into a file of the temporary folder and stores the section of that
  // one file; returns the INI sections as read back.
  std::vector<Section> Ini(const std::string& content) {
    const std::string path = temp_.File("test.ini");
    WriteFileBytes(path, content);
    const std::string entry = path + "(INI)";
    return ReadSingleFileSection(SectionBytes({{entry, stChecked}}, report_), entry, true);
  }
  // The same for a text file: its lines as (text, status, index).
  std::vector<Entry> Text(const std::string& content) {
    const std::string path = temp_.File("test.txt");
    WriteFileBytes(path, content);
    const std::string entry = path + "(TXT)";
    return ReadSingleFileSection(SectionBytes({{entry, stChecked}}, report_), entry, false).at(0).entries;
  }

  TempFolder temp_;
  RecordingReport report_;
};

Entry E(const std::string& key, const std::string& value) { return {key, rsSnapshot, value}; }
Entry L(const std::string& text, int index) { return {text, rsSnapshot, std::to_string(index)}; }

}  // namespace

// ---------------------------------------------------------------------------------
// Whole section

TEST_F(SystemFileSection, WritesEachCheckedFileWithItsBlockByteForByte) {
  const std::string ini = temp_.File("a.ini");
  const std::string txt = temp_.File("t.txt");
  WriteFileBytes(ini, "; comment\r\n[Zeta]\r\nb = 2\r\n[alpha]\r\nkey=val=x\r\nnoequals\r\n");
  WriteFileBytes(txt, "zz\r\n  \r\nYy\r\n");
  // The unchecked file does not exist: reading it would show a message.
  const std::vector<SystemFileEntry> files = {
      {ini + "(INI)", stChecked},
      {temp_.File("missing.ini") + "(INI)", stUnchecked},
      {txt + "(TXT)", stPartial},
  };

  const Bytes bytes = SectionBytes(files, report_);

  const Bytes expected = Written([&](DataWriter& w) {
    w.WriteString("* THIS IS A TIDYSWEEP SYSTEMFILES DATAFILE *");
    w.WriteListBegin();
    w.WriteString(ini + "(INI)");
    w.WriteInteger(2);
    w.WriteString("[alpha]");
    w.WriteInteger(2);
    w.WriteString("key"), w.WriteInteger(21), w.WriteString("val=x");
    w.WriteString(""), w.WriteInteger(21), w.WriteString("noequals");
    w.WriteString("[Zeta]");
    w.WriteInteger(1);
    w.WriteString("b "), w.WriteInteger(21), w.WriteString(" 2");
    w.WriteString(txt + "(TXT)");
    w.WriteInteger(2);
    w.WriteString("Yy"), w.WriteInteger(21), w.WriteInteger(2);
    w.WriteString("zz"), w.WriteInteger(21), w.WriteInteger(0);
    w.WriteListEnd();
  });
  EXPECT_EQ(bytes, expected);
  EXPECT_TRUE(report_.errors.empty());

  // The text block at the end, as literal bytes: count, then text, status, index.
  const Bytes tail = {2, 2, 6, 2, 'Y', 'y', 2, 21, 2, 2, 6, 2, 'z', 'z', 2, 21, 2, 0, 0};
  ASSERT_GE(bytes.size(), tail.size());
  EXPECT_EQ(Bytes(bytes.end() - tail.size(), bytes.end()), tail);

  // The maximum is the number of children, the position the child's index.
  const std::vector<RecordingReport::Shown> updates = {
      {" Systemdateien speichern", 3, 0},
      {" Systemdateien speichern", 3, 0},
      {" Systemdateien speichern", 3, 2},
      {" Status", 0, 0},
  };
  EXPECT_EQ(report_.updates, updates);
}

TEST_F(SystemFileSection, AnEntryOfUnknownKindEndsTheSectionWithItsMessage) {
  const std::string txt = temp_.File("t.txt");
  WriteFileBytes(txt, "x\r\n");
  platform::MemoryStream stream;
  DataWriter w(stream);
  try {
    WriteSystemFilesSection(w, {{txt + "(TXT)", stChecked}, {"readme.doc", stChecked}, {"WIN.INI", stChecked}},
                            "C:\\", report_);
    FAIL() << "no error raised";
  } catch (const EQuitawayError& e) {
    EXPECT_STREQ(e.what(), "Konnte den Dateityp für readme.doc nicht feststellen");
  }
  w.Flush();
  // Everything up to the entry text of the failing entry is there; the list stays open.
  const Bytes expected = Written([&](DataWriter& x) {
    x.WriteString(kSystemFilesHeader);
    x.WriteListBegin();
    x.WriteString(txt + "(TXT)");
    x.WriteInteger(1);
    x.WriteString("x"), x.WriteInteger(21), x.WriteInteger(0);
    x.WriteString("readme.doc");
  });
  EXPECT_EQ(stream.Bytes(), expected);
}

TEST_F(SystemFileSection, UnreadableFilesAreReportedAndStoredEmpty) {
  const std::string missing = temp_.File("nothere.ini");
  const std::string folder = temp_.Path() + "sub";
  ASSERT_TRUE(CreateDirectoryW(platform::Utf8ToWide(folder).c_str(), nullptr));
  const std::vector<SystemFileEntry> files = {{missing + "(INI)", stChecked}, {folder + "(TXT)", stChecked}};

  const Bytes bytes = SectionBytes(files, report_);

  const Bytes expected = Written([&](DataWriter& w) {
    w.WriteString(kSystemFilesHeader);
    w.WriteListBegin();
    w.WriteString(missing + "(INI)");
    w.WriteInteger(0);
    w.WriteString(folder + "(TXT)");
    w.WriteInteger(0);
    w.WriteListEnd();
  });
  EXPECT_EQ(bytes, expected);
  ASSERT_EQ(report_.errors.size(), 2u);
  const std::string prefix = "Die Datei kann nicht geöffnet werden: \"" + missing + "\": ";
  EXPECT_EQ(report_.errors[0].substr(0, prefix.size()), prefix);
  EXPECT_GT(report_.errors[0].size(), prefix.size());  // the system's reason follows
  EXPECT_NE(report_.errors[1].find("\"" + folder + "\""), std::string::npos);
}

// ---------------------------------------------------------------------------------
// INI blocks

TEST_F(SystemFileSection, IniHeadersAndEntriesAreTrimmedButKeysAndValuesKeepInnerBlanks) {
  const auto sections = Ini("   [Boot]  \r\n  shell = explorer.exe \r\n\tpath=C:\\a b\t\r\n");
  const std::vector<Section> expected = {{"[Boot]", {E("shell ", " explorer.exe"), E("path", "C:\\a b")}}};
  EXPECT_EQ(sections, expected);
}

TEST_F(SystemFileSection, IniSectionsEndAtTheNextHeaderButBracketedLinesWithEqualsAreEntries) {
  const auto sections = Ini(
      "[one]\n"
      "[two]\n"
      "; a comment\n"
      "\n"
      "   ;indented comment\n"
      "k=v\n"
      "[a=b]\n"
      "=empty key\n"
      "[three]\n"
      "z=1\n");
  // "[a=b]" is collected as a header too (it begins and ends with brackets), and its
  // own entries run to the next header without "=".
  const std::vector<Section> expected = {
      {"[a=b]", {E("", "empty key")}},
      {"[one]", {}},
      {"[three]", {E("z", "1")}},
      {"[two]", {E("k", "v"), E("[a", "b]"), E("", "empty key")}},
  };
  EXPECT_EQ(sections, expected);
  EXPECT_TRUE(report_.errors.empty());
}

TEST_F(SystemFileSection, IniEmptySectionNameIsReportedAndStoredWithoutEntries) {
  const auto sections = Ini("[]\r\nx=1\r\n[s]\r\ny=2\r\n");
  const std::vector<Section> expected = {{"[]", {}}, {"[s]", {E("y", "2")}}};
  EXPECT_EQ(sections, expected);
  ASSERT_EQ(report_.errors.size(), 1u);
  EXPECT_EQ(report_.errors[0], "In Datei '" + temp_.File("test.ini") +
                                   "' ist ein Abschnitt, dessen Name leer ist.\r"
                                   "Die Werte des Abschnitts können nicht gelesen werden");
}

TEST_F(SystemFileSection, IniDuplicateHeadersAreStoredTwiceWithTheEntriesOfTheFirst) {
  const auto sections = Ini("[d]\nx=1\n[e]\ny=2\n[d]\nz=3\n[D]\nw=4\n");
  // Found without regard to case: "[D]" also gets the entries after the first "[d]".
  ASSERT_EQ(sections.size(), 4u);
  EXPECT_EQ(sections[3], (Section{"[e]", {E("y", "2")}}));
  int lower = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(platform::SameText(sections[i].header, "[d]")) << sections[i];
    EXPECT_EQ(sections[i].entries, std::vector<Entry>{E("x", "1")}) << sections[i];
    lower += sections[i].header == "[d]";
  }
  EXPECT_EQ(lower, 2);
}

TEST_F(SystemFileSection, IniHeadersAreSortedByTheLocaleWithoutRegardToCase) {
  const auto sections = Ini("[b]\n[C]\n[Äpfel]\n[a]\n");
  std::vector<std::string> headers;
  for (const Section& s : sections) headers.push_back(s.header);
  EXPECT_EQ(headers, (std::vector<std::string>{"[a]", "[Äpfel]", "[b]", "[C]"}));
}

// ---------------------------------------------------------------------------------
// Text blocks

TEST_F(SystemFileSection, TextLinesAreSortedWithTheirIndexAndBlankLinesDropped) {
  EXPECT_EQ(Text("b\r\n\r\na\r\n"), (std::vector<Entry>{L("a", 2), L("b", 0)}));
  // Stored as read: inner and surrounding blanks stay; blank-only lines go.
  EXPECT_EQ(Text("  SET X=1 \n \t \nREM\n"), (std::vector<Entry>{L("  SET X=1 ", 0), L("REM", 2)}));
  // Without regard to case, and equal lines keep their file order.
  EXPECT_EQ(Text("B\nx\na\nC\nx\n"),
            (std::vector<Entry>{L("a", 2), L("B", 0), L("C", 3), L("x", 1), L("x", 4)}));
  EXPECT_EQ(Text(""), std::vector<Entry>{});
  EXPECT_TRUE(report_.errors.empty());
}

// ---------------------------------------------------------------------------------
// Kinds and paths

TEST(SystemFileKind, FixedNamesAndMarkedPaths) {
  std::string path;
  const std::string windows = platform::WindowsFolder();
  ASSERT_FALSE(windows.empty());
  const std::string folder = windows.back() == '\\' ? windows : windows + "\\";

  EXPECT_EQ(FileKindOf("win.ini ", path, "D:\\boot\\"), sfWindowsIni);
  EXPECT_EQ(path, folder + "win.ini");
  EXPECT_EQ(FileKindOf(" SYSTEM.INI", path, "D:\\boot\\"), sfWindowsIni);
  EXPECT_EQ(path, folder + "SYSTEM.INI");

  EXPECT_EQ(FileKindOf("AUTOEXEC.BAT", path, "D:\\boot\\"), sfSystemText);
  EXPECT_EQ(path, "D:\\boot\\AUTOEXEC.BAT");
  EXPECT_EQ(FileKindOf("Config.Sys", path, "C:\\"), sfSystemText);
  EXPECT_EQ(path, "C:\\Config.Sys");

  EXPECT_EQ(FileKindOf("C:\\x\\my file (INI)", path, "C:\\"), sfUserIni);
  EXPECT_EQ(path, "C:\\x\\my file ");  // the blank before the mark stays
  EXPECT_EQ(FileKindOf("  C:\\x\\notes.txt(txt)  ", path, "C:\\"), sfUserText);
  EXPECT_EQ(path, "C:\\x\\notes.txt");
  EXPECT_EQ(FileKindOf("C:\\Über\\app.cfg(Ini)", path, "C:\\"), sfUserIni);
  EXPECT_EQ(path, "C:\\Über\\app.cfg");
  // A fixed name with a mark is a marked path.
  EXPECT_EQ(FileKindOf("WIN.INI(TXT)", path, "C:\\"), sfUserText);
  EXPECT_EQ(path, "WIN.INI");
}

TEST(SystemFileKind, UnknownEntriesRaiseTheirMessage) {
  std::string path;
  for (const std::string text : {"readme.txt", "", "(IN)", "WIN.INI.BAK", "C:\\x(INI)x"}) {
    try {
      FileKindOf(text, path, "C:\\");
      ADD_FAILURE() << "no error for '" << text << "'";
    } catch (const EQuitawayError& e) {
      EXPECT_EQ(std::string(e.what()), "Konnte den Dateityp für " + text + " nicht feststellen");
    }
  }
  // Blanks after the mark do not hide it.
  EXPECT_EQ(FileKindOf("C:\\x(INI) ", path, "C:\\"), sfUserIni);
  EXPECT_EQ(path, "C:\\x");
}

TEST(SystemFileKind, TheFormWithoutPathReadsTheSetting) {
  // Settings below a key of the test's own, removed again at the end.
  struct SettingsKeyOfOwn {
    const std::wstring key = L"Software\\Velmoria\\QuitawayTests\\system_files";
    SettingsKeyOfOwn() {
      RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
      OpenSettingsRegistry(platform::WideToUtf8(key));
    }
    ~SettingsKeyOfOwn() {
      CloseSettingsRegistry();
      RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    }
  } settings;
  SettingsRegistry().WriteString("PathToSystemFiles", "E:\\dos\\");
  std::string path;
  EXPECT_EQ(FileKindOf("CONFIG.SYS", path), sfSystemText);
  EXPECT_EQ(path, "E:\\dos\\CONFIG.SYS");
}

// ---------------------------------------------------------------------------------
// Copying and skipping stored blocks

TEST_F(SystemFileSection, CopyReplacesEveryStatusAndSkippingLeavesTheReaderAfterTheBlock) {
  const std::string ini = temp_.File("c.ini");
  const std::string txt = temp_.File("c.txt");
  WriteFileBytes(ini, "[s2]\nk=v\n[s1]\nnoequals\na=\n");
  WriteFileBytes(txt, "line two\nline one\n");
  const Bytes section = SectionBytes({{ini + "(INI)", stChecked}, {txt + "(TXT)", stChecked}}, report_);
  const Bytes emptyIni = Written([](DataWriter& w) { w.WriteInteger(0); });

  // Copy: every status becomes rsNew; everything else stays.
  platform::MemoryStream in(section);
  DataReader r(in);
  const Bytes copied = Written([&](DataWriter& w) {
    w.WriteString(r.ReadString());
    r.ReadListBegin();
    w.WriteListBegin();
    std::vector<bool> results;
    while (!r.EndOfList()) {
      const std::string entry = r.ReadString();
      w.WriteString(entry);
      std::string path;
      const int kind = FileKindOf(entry, path, "C:\\");
      results.push_back(CopySysTree(r, &w, rsNew, IsIniKind(kind), kind));
    }
    r.ReadListEnd();
    w.WriteListEnd();
    EXPECT_EQ(results, (std::vector<bool>{true, false}));
  });
  const Bytes expected = Written([&](DataWriter& w) {
    w.WriteString(kSystemFilesHeader);
    w.WriteListBegin();
    w.WriteString(ini + "(INI)");
    w.WriteInteger(2);
    w.WriteString("[s1]");
    w.WriteInteger(2);
    w.WriteString(""), w.WriteInteger(rsNew), w.WriteString("noequals");
    w.WriteString("a"), w.WriteInteger(rsNew), w.WriteString("");
    w.WriteString("[s2]");
    w.WriteInteger(1);
    w.WriteString("k"), w.WriteInteger(rsNew), w.WriteString("v");
    w.WriteString(txt + "(TXT)");
    w.WriteInteger(2);
    w.WriteString("line one"), w.WriteInteger(rsNew), w.WriteInteger(1);
    w.WriteString("line two"), w.WriteInteger(rsNew), w.WriteInteger(0);
    w.WriteListEnd();
  });
  EXPECT_EQ(copied, expected);

  // Skip: the same walk without a writer ends exactly at the list end, and an INI
  // block without sections says so.
  platform::MemoryStream again(section);
  DataReader s(again);
  s.ReadString();
  s.ReadListBegin();
  s.ReadString();
  EXPECT_TRUE(CopySysTree(s, nullptr, rsNew, true, sfUserIni));
  s.ReadString();
  EXPECT_FALSE(CopySysTree(s, nullptr, rsNew, false, sfUserText));
  EXPECT_TRUE(s.EndOfList());
  s.ReadListEnd();
  EXPECT_EQ(s.Remaining(), 0);

  platform::MemoryStream none(emptyIni);
  DataReader n(none);
  EXPECT_FALSE(CopySysTree(n, nullptr, rsNew, true, sfWindowsIni));
  EXPECT_EQ(n.Remaining(), 0);
}

TEST(SystemFileCopy, EntriesByKindAndDamagedCounts) {
  // One entry record of each kind, followed by a marker.
  const Bytes iniEntry = Written([](DataWriter& w) {
    w.WriteInteger(rsOldOfAltered), w.WriteString("value"), w.WriteString("after");
  });
  const Bytes textEntry = Written([](DataWriter& w) {
    w.WriteInteger(rsSnapshot), w.WriteInteger(70000), w.WriteString("after");
  });
  for (int kind : {sfWindowsIni, sfSystemText}) {
    const Bytes& entry = IsIniKind(kind) ? iniEntry : textEntry;
    platform::MemoryStream in(entry);
    DataReader r(in);
    const Bytes out = Written([&](DataWriter& w) { CopySysEntry(r, &w, rsDeleted | flDone, kind); });
    EXPECT_EQ(r.ReadString(), "after");
    const Bytes expected = Written([&](DataWriter& w) {
      w.WriteInteger(rsDeleted | flDone);
      if (IsIniKind(kind)) w.WriteString("value");
      else w.WriteInteger(70000);
    });
    EXPECT_EQ(out, expected) << "kind " << kind;
  }
  // A kind outside 0..3 has nothing after the name.
  platform::MemoryStream in(textEntry);
  DataReader r(in);
  CopySysEntry(r, nullptr, rsNew, 7);
  EXPECT_EQ(r.Position(), 0);

  // A count far beyond what the rest of the data can hold fails before anything is
  // read into memory, at section and at entry level.
  for (bool atSectionLevel : {true, false}) {
    const Bytes damaged = Written([](DataWriter& w) {
      w.WriteInteger(0x7FFFFFF0);
      w.WriteString("[s]");
      w.WriteInteger(0);
    });
    platform::MemoryStream d(damaged);
    DataReader dr(d);
    EXPECT_THROW(CopySysTree(dr, nullptr, rsNew, atSectionLevel, sfUserIni), EReadError);
  }
  // A count that would fit names alone but not whole entries is refused as a count.
  const Bytes shortEntries = Written([](DataWriter& w) {
    w.WriteInteger(3);
    for (int i = 0; i < 3; ++i) w.WriteString("k");
  });
  platform::MemoryStream se(shortEntries);
  DataReader ser(se);
  try {
    CopySysTree(ser, nullptr, rsNew, false, sfSystemText);
    ADD_FAILURE() << "no error raised";
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("Ungültige Anzahl 3"), std::string::npos) << e.what();
  }
}

// ---------------------------------------------------------------------------------
// Text files as lines

TEST(SystemFileTextFile, EncodingsAreRecognised) {
  EXPECT_EQ(platform::DecodeTextBytes("\xEF\xBB\xBF" "Gr\xC3\xBC\xC3\x9F"), "Grüß");
  EXPECT_EQ(platform::DecodeTextBytes("Gr\xC3\xBC\xC3\x9F"), "Grüß");
  EXPECT_EQ(platform::DecodeTextBytes("Gr\xFC\xDF \x80"), "Grüß €");  // Windows-1252
  EXPECT_EQ(platform::DecodeTextBytes(std::string("\xFF\xFE" "G\0r\0\xFC\0\xAC\x20", 10)), "Grü€");
  EXPECT_EQ(platform::DecodeTextBytes(std::string("\xFE\xFF\0G\0r", 6)), "Gr");
  EXPECT_EQ(platform::DecodeTextBytes(""), "");
}

TEST(SystemFileTextFile, LinesEndAtAnyLineBreak) {
  using V = std::vector<std::string>;
  EXPECT_EQ(platform::SplitLines("a\r\nb\r\n"), (V{"a", "b"}));
  EXPECT_EQ(platform::SplitLines("a\rb\rc"), (V{"a", "b", "c"}));
  EXPECT_EQ(platform::SplitLines("a\nb\n"), (V{"a", "b"}));
  EXPECT_EQ(platform::SplitLines("a\r\n\r\n"), (V{"a", ""}));
  EXPECT_EQ(platform::SplitLines("a\n\rb"), (V{"a", "", "b"}));  // LF CR is two breaks
  EXPECT_EQ(platform::SplitLines("\n"), (V{""}));
  EXPECT_EQ(platform::SplitLines(""), V{});
}

TEST(SystemFileTextFile, RealFilesInEveryEncodingAndOpenElsewhere) {
  TempFolder temp;
  using V = std::vector<std::string>;
  const std::pair<std::string, V> cases[] = {
      {"\xEF\xBB\xBF[Abschnitt]\r\nSchl\xC3\xBCssel=1\r\n", V{"[Abschnitt]", "Schlüssel=1"}},
      {"[Abschnitt]\rSchl\xFCssel=1\r", V{"[Abschnitt]", "Schlüssel=1"}},
      {std::string("\xFF\xFE" "a\0\r\0\n\0\xE4\0", 10), V{"a", "ä"}},
  };
  for (const auto& [bytes, lines] : cases) {
    const std::string file = temp.File("f.ini");
    WriteFileBytes(file, bytes);
    V read{"stale"};
    std::string error;
    EXPECT_TRUE(platform::ReadTextFileLines(file, read, error)) << error;
    EXPECT_EQ(read, lines);
  }

  // A file another program holds open for writing is still read.
  const std::string file = temp.File("open.txt");
  WriteFileBytes(file, "eins\nzwei");
  HANDLE h = CreateFileW(platform::Utf8ToWide(file).c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  V read;
  std::string error;
  EXPECT_TRUE(platform::ReadTextFileLines(file, read, error)) << error;
  CloseHandle(h);
  EXPECT_EQ(read, (V{"eins", "zwei"}));

  // Failure: false, no lines, a German text that names the file.
  const std::string missing = temp.File("fehlt.ini");
  read = {"stale"};
  EXPECT_FALSE(platform::ReadTextFileLines(missing, read, error));
  EXPECT_TRUE(read.empty());
  EXPECT_EQ(error.rfind("Die Datei kann nicht geöffnet werden: \"" + missing + "\": ", 0), 0u) << error;
}
