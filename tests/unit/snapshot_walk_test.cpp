// The snapshot walks on the real registry and real folders of the test prefix, and a
// whole configuration file through both worker threads.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/exceptions.h"
#include "core/identity.h"
#include "core/registry.h"
#include "core/settings.h"
#include "platform/file_stream.h"
#include "platform/files.h"
#include "platform/text.h"
#include "snapshot/configuration.h"
#include "model/copy_records.h"
#include "model/data_codes.h"
#include "snapshot/drive_snapshot.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/system_files.h"
#include "model/treetool.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using platform::Utf8ToWide;

constexpr char kKey[] = "Software\\Velmoria\\QuitawayTests\\walk";

class RecordingReport : public SnapshotReport {
 public:
  void Update() override { updates.push_back(StatusText + "|" + std::to_string(ProgressMax) + "|" +
                                             std::to_string(ProgressPos)); }
  void ShowError(const std::string& m) override { errors.push_back(m); }
  std::vector<std::string> updates;
  std::vector<std::string> errors;
};

HKEY CreateTestKey(const std::string& sub = "") {
  HKEY key = nullptr;
  const std::string path = std::string(kKey) + (sub.empty() ? "" : "\\" + sub);
  RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  return key;
}

void SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

template <typename F>
Bytes Written(F write) {
  platform::MemoryStream m;
  {
    DataWriter w(m);
    write(w);
  }
  return m.Bytes();
}

// Subkey names of a stored key record, skipping everything else.
std::vector<std::string> StoredSubkeys(DataReader& r, std::vector<std::vector<std::string>>* grandchildren) {
  std::vector<std::string> names;
  const int32_t s = r.ReadInteger();
  for (int32_t i = 0; i < s; ++i) {
    names.push_back(r.ReadString());
    if (grandchildren) grandchildren->push_back(StoredSubkeys(r, nullptr));
    else CopyKey(r, nullptr, 0), void();
  }
  const int32_t v = r.ReadInteger();
  for (int32_t i = 0; i < v; ++i) {
    r.ReadString();
    CopyValue(r, nullptr, 0);
  }
  return names;
}

class RegistryWalkTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kKey).c_str()); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kKey).c_str()); }
};

// A file time from a local date and time.
FILETIME LocalTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME st{};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  FILETIME local, utc;
  SystemTimeToFileTime(&st, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

void SetWriteTime(const std::string& path, const FILETIME& t) {
  HANDLE h = CreateFileW(Utf8ToWide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  SetFileTime(h, nullptr, nullptr, &t);
  CloseHandle(h);
}

std::string VersionedDll() { return ProgramFolder() + "versioned.dll"; }

}  // namespace

TEST_F(RegistryWalkTest, KeyRecordByteForByte) {
  HKEY key = CreateTestKey();
  HKEY beta = CreateTestKey("beta");
  RegCloseKey(CreateTestKey("Alpha"));
  RegCloseKey(CreateTestKey("beta\\Gamma"));
  SetValue(key, L"", REG_SZ, L"", 2);                     // empty default value
  SetValue(key, L"bin0", REG_BINARY, "", 0);               // binary of length 0
  const DWORD number = 300;
  SetValue(key, L"Zahl", REG_DWORD, &number, 4);
  SetValue(key, L"text", REG_SZ, L"Größe", 12);
  SetValue(key, L"Pfad", REG_EXPAND_SZ, L"%PATH%", 14);
  SetValue(key, L"multi", REG_MULTI_SZ, L"a\0b\0", 10);
  const uint64_t big = 0x0102030405060708ull;
  SetValue(key, L"q", REG_QWORD, &big, 8);
  SetValue(beta, L"ohne Null", REG_SZ, L"xy", 4);         // stored without its terminating zero

  RecordingReport report;
  const Bytes got = Written([&](DataWriter& w) { WriteRegistryKey(w, key, "", true, report); });
  RegCloseKey(beta);
  RegCloseKey(key);

  const Bytes expected = Written([](DataWriter& w) {
    w.WriteInteger(2);  // subkeys, sorted without regard to case
    w.WriteString("Alpha");
    w.WriteInteger(0);
    w.WriteInteger(0);
    w.WriteString("beta");
    w.WriteInteger(1);
    w.WriteString("Gamma");
    w.WriteInteger(0);
    w.WriteInteger(0);
    w.WriteInteger(1);
    w.WriteString("ohne Null");
    w.WriteInteger(21);
    w.WriteInteger(1);
    w.WriteString("xy");
    w.WriteInteger(7);  // values
    w.WriteString("");
    w.WriteInteger(21);
    w.WriteInteger(1);
    w.WriteString("");
    w.WriteString("bin0");
    w.WriteInteger(21);
    w.WriteInteger(4);
    w.WriteInteger(0);
    w.WriteString("multi");
    w.WriteInteger(21);
    w.WriteInteger(7);
    w.WriteInteger(10);
    const uint8_t multi[10] = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0};
    w.WriteRaw(multi, 10);
    w.WriteString("Pfad");
    w.WriteInteger(21);
    w.WriteInteger(2);
    w.WriteString("%PATH%");
    w.WriteString("q");
    w.WriteInteger(21);
    w.WriteInteger(11);
    w.WriteInteger(8);
    const uint8_t q[8] = {8, 7, 6, 5, 4, 3, 2, 1};
    w.WriteRaw(q, 8);
    w.WriteString("text");
    w.WriteInteger(21);
    w.WriteInteger(1);
    w.WriteString("Größe");
    w.WriteString("Zahl");
    w.WriteInteger(21);
    w.WriteInteger(3);
    w.WriteInteger(300);
  });
  EXPECT_EQ(got, expected);
  EXPECT_TRUE(report.errors.empty());
  // Progress only at the first level: the maximum, then each position.
  EXPECT_EQ(report.updates, (std::vector<std::string>{"|2|0", "|2|0", "|2|1"}));
}

TEST_F(RegistryWalkTest, NumberedControlSetsBelowSystemAreLeftOut) {
  HKEY key = CreateTestKey();
  for (const char* sub : {"A\\SYSTEM\\ControlSet001", "A\\SYSTEM\\ControlSet002", "A\\SYSTEM\\CurrentControlSet",
                          "A\\SYSTEM\\Select", "B\\System\\controlset001\\x", "B\\Other\\ControlSet001"})
    RegCloseKey(CreateTestKey(sub));
  // Each of A and B stands for a root key: SYSTEM is then the second level.
  for (const char* rootName : {"A", "B"}) {
    HKEY root = CreateTestKey(rootName);
    RecordingReport report;
    const Bytes bytes = Written([&](DataWriter& w) { WriteRegistryKey(w, root, "", false, report); });
    RegCloseKey(root);
    platform::MemoryStream m(bytes);
    DataReader r(m);
    std::vector<std::vector<std::string>> below;
    const std::vector<std::string> top = StoredSubkeys(r, &below);
    EXPECT_EQ(r.Remaining(), 0);
    if (std::string(rootName) == "A") {
      EXPECT_EQ(top, (std::vector<std::string>{"SYSTEM"}));
      EXPECT_EQ(below[0], (std::vector<std::string>{"CurrentControlSet", "Select"}));
    } else {
      EXPECT_EQ(top, (std::vector<std::string>{"Other", "System"}));
      EXPECT_EQ(below[0], (std::vector<std::string>{"ControlSet001"}));  // only below SYSTEM
      EXPECT_EQ(below[1], (std::vector<std::string>{"controlset001"}));  // the rule is case-exact
    }
  }
  RegCloseKey(key);
}

TEST_F(RegistryWalkTest, UnreadableValuesAreStoredAsEmptyStringsAndReportedOnRequest) {
  HKEY key = CreateTestKey("Alpha");
  SetValue(key, L"seltsam", 0x99, "abc", 3);  // a registry type the program does not know
  SetValue(key, L"gut", REG_SZ, L"ja", 6);
  HKEY root = CreateTestKey();
  for (bool show : {false, true}) {
    RecordingReport report;
    const Bytes bytes = Written([&](DataWriter& w) { WriteRegistryKey(w, root, "", show, report); });
    const Bytes tail = Written([](DataWriter& w) {
      w.WriteString("seltsam");
      w.WriteInteger(21);
      w.WriteInteger(1);
      w.WriteString("");
    });
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), tail.begin(), tail.end()), bytes.end());
    if (show) {
      ASSERT_EQ(report.errors.size(), 1u);
      EXPECT_EQ(report.errors[0],
                "unknown Datatype of the Registry\rPfad:Alpha, Wert:seltsam\rLesen des Werts war nicht "
                "möglich ->Korrupte registry!");
    } else {
      EXPECT_TRUE(report.errors.empty());
    }
  }
  RegCloseKey(key);
  RegCloseKey(root);
}

TEST(DriveWalk, FolderRecordWithTimesSizesAttributesAndVersions) {
  TempFolder dir;
  CreateDirectoryW(Utf8ToWide(dir.File("Unter")).c_str(), nullptr);
  CreateDirectoryW(Utf8ToWide(dir.File("leer")).c_str(), nullptr);
  WriteFileBytes(dir.File("Unter\\drin.txt"), "1");
  WriteFileBytes(dir.File("b.txt"), "abc");
  WriteFileBytes(dir.File("OHNE"), "12345");
  WriteFileBytes(dir.File("x.EX"), "kein PE");
  ASSERT_TRUE(CopyFileW(Utf8ToWide(VersionedDll()).c_str(), Utf8ToWide(dir.File("a.dll")).c_str(), FALSE));
  const FILETIME when = LocalTime(2024, 5, 17, 13, 45, 30);
  for (const char* f : {"b.txt", "OHNE", "x.EX", "a.dll", "Unter\\drin.txt"}) SetWriteTime(dir.File(f), when);
  SetFileAttributesW(Utf8ToWide(dir.File("OHNE")).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  const int32_t packed = static_cast<int32_t>((((2024 - 1980) << 9 | 5 << 5 | 17) << 16) | (13 << 11 | 45 << 5 | 15));
  const int32_t dllSize = FileSizeOf(dir.File("a.dll"));
  ASSERT_GT(dllSize, 0);

  auto attr = [&](const char* f) { return static_cast<int32_t>(GetFileAttributesW(Utf8ToWide(dir.File(f)).c_str())); };
  for (bool versions : {true, false}) {
    RecordingReport report;
    VersionOptions options{versions, "*.EXE\r\n*.DLL\r\n*.OCX\r\n*.VBX"};
    const Bytes got = Written([&](DataWriter& w) { WriteFolderRecord(w, dir.Path(), options, report); });
    const Bytes expected = Written([&](DataWriter& w) {
      auto file = [&](const char* relative, int32_t size, int32_t high, int32_t low) {
        const std::string rel = relative;
        w.WriteString(rel.substr(rel.find_last_of('\\') + 1));
        w.WriteInteger(21);
        w.WriteInteger(packed);
        w.WriteInteger(size);
        w.WriteInteger(attr(relative));
        w.WriteInteger(high);
        w.WriteInteger(low);
      };
      w.WriteInteger(2);
      w.WriteString("leer");
      w.WriteInteger(0);
      w.WriteInteger(0);
      w.WriteString("Unter");
      w.WriteInteger(0);
      w.WriteInteger(1);
      file("Unter\\drin.txt", 1, 0, 0);
      w.WriteInteger(4);
      file("a.dll", dllSize, versions ? 0x00010002 : 0, versions ? 0x00030004 : 0);
      file("b.txt", 3, 0, 0);
      file("OHNE", 5, 0, 0);   // no extension: never a version
      file("x.EX", 7, 0, 0);   // ".EX" is in the list text, but the file has no version
    });
    EXPECT_EQ(got, expected) << "versions " << versions << ", first difference at byte "
                             << (std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin());
    EXPECT_EQ(report.updates, (std::vector<std::string>{"|2|0", "|2|1", "|2|2"}));
  }
  EXPECT_EQ(attr("OHNE") & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(Utf8ToWide(dir.File("OHNE")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DriveWalk, VersionHelpers) {
  VersionOptions list{true, "*.EXE\r\n*.DLL"};
  EXPECT_TRUE(WantsVersion("setup.exe", list));
  EXPECT_TRUE(WantsVersion("a.b.Dll", list));
  EXPECT_TRUE(WantsVersion("x.ex", list));  // a substring of the list text
  EXPECT_FALSE(WantsVersion("README", list));
  EXPECT_FALSE(WantsVersion("x.txt", list));
  EXPECT_FALSE(WantsVersion("setup.exe", VersionOptions{false, "*.EXE"}));

  int32_t high = -1, low = -1;
  EXPECT_TRUE(GetFileVersion(VersionedDll(), high, low));
  EXPECT_EQ(high, 0x00010002);
  EXPECT_EQ(low, 0x00030004);
  EXPECT_EQ(FileVersionString(VersionedDll()), "1.2.3.4");
  TempFolder dir;
  WriteFileBytes(dir.File("plain.dll"), "MZ nothing");
  EXPECT_FALSE(GetFileVersion(dir.File("plain.dll"), high, low));
  EXPECT_EQ(high, 0);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(FileVersionString(dir.File("plain.dll")), "");
  EXPECT_EQ(FileSizeOf(dir.File("plain.dll")), 10);
  EXPECT_EQ(FileSizeOf(dir.Path()), -1);
  EXPECT_EQ(FileSizeOf(dir.File("fehlt")), -1);
  EXPECT_EQ(PackedLocalTime(0, 0), 0);  // 1601 cannot be packed
}

TEST(CopyRecords, KeysAndFolderTreesCopyWithANewStatusOrAreSkipped) {
  const Bytes key = Written([](DataWriter& w) {
    w.WriteInteger(1);
    w.WriteString("Sub");
    w.WriteInteger(0);
    w.WriteInteger(1);
    w.WriteString("v");
    w.WriteInteger(21);
    w.WriteInteger(4);
    w.WriteInteger(3);
    const uint8_t b[3] = {1, 2, 3};
    w.WriteRaw(b, 3);
    w.WriteInteger(1);
    w.WriteString("n");
    w.WriteInteger(21);
    w.WriteInteger(3);
    w.WriteInteger(-7);
    w.WriteString("nach");
  });
  platform::MemoryStream in(key);
  DataReader r(in);
  platform::MemoryStream out;
  {
    DataWriter w(out);
    EXPECT_TRUE(CopyKey(r, &w, rsNew));
  }
  EXPECT_EQ(r.ReadString(), "nach");
  Bytes expected = key;
  expected.resize(key.size() - 6);  // without "nach"
  for (size_t i = 0; i + 1 < expected.size(); ++i)
    if (expected[i] == 2 && expected[i + 1] == 21) expected[i + 1] = rsNew;
  EXPECT_EQ(out.Bytes(), expected);

  // An old folder record (files without versions) comes out in today's form.
  const Bytes oldTree = Written([](DataWriter& w) {
    w.WriteInteger(0);
    w.WriteInteger(1);
    w.WriteString("f.txt");
    w.WriteInteger(21);
    w.WriteInteger(12345678);
    w.WriteInteger(10);
    w.WriteInteger(32);
  });
  platform::MemoryStream oldIn(oldTree);
  DataReader r2(oldIn);
  const Bytes copied = Written([&](DataWriter& w) { EXPECT_FALSE(CopyDirTree(r2, &w, rsDeleted, false)); });
  const Bytes today = Written([](DataWriter& w) {
    w.WriteInteger(0);
    w.WriteInteger(1);
    w.WriteString("f.txt");
    w.WriteInteger(rsDeleted);
    w.WriteInteger(12345678);
    w.WriteInteger(10);
    w.WriteInteger(32);
    w.WriteInteger(0);
    w.WriteInteger(0);
  });
  EXPECT_EQ(copied, today);

  // A damaged raw length fails cleanly.
  const Bytes damaged = Written([](DataWriter& w) {
    w.WriteInteger(21);
    w.WriteInteger(4);
    w.WriteInteger(1000000);
  });
  platform::MemoryStream bad(damaged);
  DataReader r3(bad);
  EXPECT_THROW(CopyValue(r3, nullptr, 0), EReadError);
}

namespace {

class ConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmoria\\QuitawayTests\\configuration");
    OpenSettingsRegistry("Software\\Velmoria\\QuitawayTests\\configuration");
    WriteBackAllSettings();
    ClearDrive();
  }
  void TearDown() override {
    ClearDrive();
    CloseSettingsRegistry();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmoria\\QuitawayTests\\configuration");
  }
  static void ClearDrive() {
    for (const wchar_t* f : {L"T:\\Programm\\app.dll", L"T:\\sys.ini", L"T:\\liesmich.txt"}) DeleteFileW(f);
    RemoveDirectoryW(L"T:\\Programm");
  }
};

}  // namespace

TEST_F(ConfigurationTest, BothWorkersWriteTheWholeFile) {
  ASSERT_NE(GetFileAttributesW(L"T:\\"), INVALID_FILE_ATTRIBUTES) << "test drive T: missing";
  CreateDirectoryW(L"T:\\Programm", nullptr);
  WriteFileBytes("T:\\Programm\\app.dll", "dll");
  WriteFileBytes("T:\\sys.ini", "[Start]\r\nrun=app.exe\r\n");
  WriteFileBytes("T:\\liesmich.txt", "zeile\r\n");
  WriteSetting("StoreVersionInfo", 1);

  ScriptedInteraction ui;
  ui.SetStatusVisible(StatusControl::reglabel, true);
  Tree reg, drives, sys;
  TreeNode* top = reg.AddTop("Arbeitsplatz");
  top->SetStateIndex(stPartial);
  top->AddChild("HKEY_USERS")->SetStateIndex(stUnchecked);
  top->AddChild("HKEY_CURRENT_CONFIG")->SetStateIndex(stPartial);
  TreeNode* dtop = drives.AddTop("Laufwerke");
  dtop->AddChild("C: [System]")->SetStateIndex(stUnchecked);
  TreeNode* t = dtop->AddChild("T: [Test]");
  t->SetStateIndex(stChecked);
  t->SetImageIndex(7);
  TreeNode* stop = sys.AddTop("Systemdateien");
  stop->AddChild("T:\\sys.ini(INI)")->SetStateIndex(stChecked);
  stop->AddChild("T:\\liesmich.txt(TXT)")->SetStateIndex(stUnchecked);

  TempFolder dir;
  const std::string file = dir.File("NewCFG.TSD");
  WriteConfiguration(file, reg, drives, sys);

  // The registry tree is back in its own order; nothing was shown but progress.
  ASSERT_EQ(reg.First()->Count(), 2u);
  EXPECT_EQ(reg.First()->Child(0)->Text(), "HKEY_USERS");
  EXPECT_FALSE(reg.Updating());
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_FALSE(ui.StatusVisible(StatusControl::StatusLBL2));
  EXPECT_FALSE(ui.StatusVisible(StatusControl::ProgressBar2));
  EXPECT_TRUE(ui.StatusVisible(StatusControl::reglabel));
  bool sawRegistry = false, sawDrive = false;
  for (const auto& [control, text] : ui.StatusLog()) {
    sawRegistry |= control == StatusControl::Statuspanel && text == " Registry:HKEY_CURRENT_CONFIG";
    sawDrive |= control == StatusControl::StatusLBL2 && text == " Dateistruktur - Laufwerk: T: [Test]";
  }
  EXPECT_TRUE(sawRegistry);
  EXPECT_TRUE(sawDrive);

  platform::FileStream in(file, platform::FileStream::Mode::Read);
  DataReader r(in);
  EXPECT_EQ(r.ReadString(), kRegistrationHeader);
  r.ReadListBegin();
  EXPECT_EQ(r.ReadString(), "HKEY_CURRENT_CONFIG");
  CopyKey(r, nullptr, 0);
  r.ReadListEnd();

  EXPECT_EQ(r.ReadString(), kDrivesHeader2);
  r.ReadListBegin();
  EXPECT_EQ(r.ReadString(), "T: [Test]");
  EXPECT_EQ(r.ReadInteger(), 7);
  EXPECT_EQ(r.ReadInteger(), 1);  // one folder at the root of T:
  EXPECT_EQ(r.ReadString(), "Programm");
  EXPECT_EQ(r.ReadInteger(), 0);
  EXPECT_EQ(r.ReadInteger(), 1);
  EXPECT_EQ(r.ReadString(), "app.dll");
  CopyFileRecord(r, nullptr, 0, true);
  EXPECT_EQ(r.ReadInteger(), 2);  // files at the root
  EXPECT_EQ(r.ReadString(), "liesmich.txt");
  CopyFileRecord(r, nullptr, 0, true);
  EXPECT_EQ(r.ReadString(), "sys.ini");
  CopyFileRecord(r, nullptr, 0, true);
  r.ReadListEnd();

  EXPECT_EQ(r.ReadString(), kSystemFilesHeader);
  r.ReadListBegin();
  EXPECT_EQ(r.ReadString(), "T:\\sys.ini(INI)");
  EXPECT_EQ(r.ReadInteger(), 1);
  EXPECT_EQ(r.ReadString(), "[Start]");
  EXPECT_EQ(r.ReadInteger(), 1);
  EXPECT_EQ(r.ReadString(), "run");
  EXPECT_EQ(r.ReadInteger(), 21);
  EXPECT_EQ(r.ReadString(), "app.exe");
  r.ReadListEnd();
  EXPECT_EQ(r.Remaining(), 0);
}

TEST_F(ConfigurationTest, AWorkerErrorIsShownAndTheFileIsStillWritten) {
  ScriptedInteraction ui;
  Tree reg, drives, sys;
  reg.AddTop("Arbeitsplatz");
  drives.AddTop("Laufwerke");
  TreeNode* stop = sys.AddTop("Systemdateien");
  stop->AddChild("unbekannt.xyz")->SetStateIndex(stChecked);  // no kind: ends the section

  TempFolder dir;
  const std::string file = dir.File("x.TSD");
  WriteConfiguration(file, reg, drives, sys);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Konnte den Dateityp für unbekannt.xyz nicht feststellen");
  EXPECT_EQ(ui.Messages()[0].type, mtError);

  platform::FileStream in(file, platform::FileStream::Mode::Read);
  DataReader r(in);
  EXPECT_EQ(r.ReadString(), kRegistrationHeader);
  r.ReadListBegin();
  r.ReadListEnd();
  EXPECT_EQ(r.ReadString(), kDrivesHeader2);
  r.ReadListBegin();
  r.ReadListEnd();
  EXPECT_EQ(r.ReadString(), kSystemFilesHeader);
  r.ReadListBegin();
  EXPECT_EQ(r.ReadString(), "unbekannt.xyz");  // the section ends where the error struck
  EXPECT_EQ(r.Remaining(), 0);
}

TEST(DriveWalk, LinksAreRecordedButNeverEntered) {
  // The test runner provides a folder "inner" holding "up", a link back to its parent.
  wchar_t fixture[1024];
  const DWORD n = GetEnvironmentVariableW(L"QW_LINK_FIXTURE", fixture, 1024);
  if (n == 0 || n >= 1024) GTEST_SKIP() << "no link fixture (run through scripts/wine-run.sh)";
  const std::string folder = platform::WideToUtf8(fixture);
  ASSERT_NE(GetFileAttributesW(Utf8ToWide(folder + "inner\\up").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);

  RecordingReport report;
  const Bytes got = Written([&](DataWriter& w) { WriteFolderRecord(w, folder, VersionOptions{}, report); });
  const Bytes expected = Written([](DataWriter& w) {
    w.WriteInteger(1);
    w.WriteString("inner");
    w.WriteInteger(1);
    w.WriteString("up");  // recorded as the folder it shows ...
    w.WriteInteger(0);    // ... but not entered
    w.WriteInteger(0);
    w.WriteInteger(0);
    w.WriteInteger(0);
  });
  EXPECT_EQ(got, expected);
}

// Folders beyond MAX_PATH, and names the usual path resolution would change (a
// trailing dot or blank), are reached in the long path form.
TEST(DriveWalk, DeepFoldersAndOddNamesAreRecordedWhole) {
  TempFolder dir;
  std::vector<std::string> parts(6, std::string(60, 'x'));
  parts[2] = "Punkt.";
  parts[4] = "Blank ";
  std::string folder = dir.Path();
  for (const std::string& part : parts) {  // about 330 characters deep
    folder += part + "\\";
    ASSERT_TRUE(CreateDirectoryW(platform::LongPath(Utf8ToWide(folder)).c_str(), nullptr)) << folder;
  }
  const std::wstring file = platform::LongPath(Utf8ToWide(folder + "tief.txt"));
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  RecordingReport report;
  platform::MemoryStream m(Written([&](DataWriter& w) { WriteFolderRecord(w, dir.Path(), VersionOptions{}, report); }));
  DataReader r(m);
  for (const std::string& part : parts) {
    ASSERT_EQ(r.ReadInteger(), 1) << part;
    EXPECT_EQ(r.ReadString(), part);
  }
  EXPECT_EQ(r.ReadInteger(), 0);  // no folders below the last one
  EXPECT_EQ(r.ReadInteger(), 1);  // and its one file
  EXPECT_EQ(r.ReadString(), "tief.txt");
  DeleteFileW(file.c_str());
  for (size_t i = parts.size(); i > 0; --i) {
    RemoveDirectoryW(platform::LongPath(Utf8ToWide(folder)).c_str());
    folder.resize(folder.size() - parts[i - 1].size() - 1);
  }
}

TEST_F(RegistryWalkTest, AValueRewrittenDuringTheWalkIsReadWhole) {
  // Another thread keeps rewriting one value with short and long data while the key is
  // walked: every record must hold one of the two complete values, never a cut one.
  HKEY key = CreateTestKey("Wechsel");
  const std::vector<uint8_t> shortData(8, 0x11), longData(60000, 0x22);
  SetValue(key, L"v", REG_BINARY, shortData.data(), static_cast<DWORD>(shortData.size()));
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    HKEY k = CreateTestKey("Wechsel");
    for (int i = 0; !stop; ++i) {
      const auto& d = (i % 2) ? longData : shortData;
      RegSetValueExW(k, L"v", 0, REG_BINARY, d.data(), static_cast<DWORD>(d.size()));
    }
    RegCloseKey(k);
  });
  int sawShort = 0, sawLong = 0;
  for (int round = 0; round < 60; ++round) {
    RecordingReport report;
    const Bytes bytes = Written([&](DataWriter& w) { WriteRegistryKey(w, key, "", false, report); });
    platform::MemoryStream m(bytes);
    DataReader r(m);
    ASSERT_EQ(r.ReadInteger(), 0);  // no subkeys
    ASSERT_EQ(r.ReadInteger(), 1);
    ASSERT_EQ(r.ReadString(), "v");
    ASSERT_EQ(r.ReadInteger(), 21);
    ASSERT_EQ(r.ReadInteger(), 4);
    const std::vector<uint8_t> data = r.ReadRawBytes(r.ReadInteger());
    if (data == shortData) ++sawShort;
    else if (data == longData) ++sawLong;
    else FAIL() << "a value of " << data.size() << " bytes that was never written";
  }
  stop = true;
  writer.join();
  RegCloseKey(key);
  EXPECT_EQ(sawShort + sawLong, 60);
}

TEST_F(ConfigurationTest, AFailedWriteKeepsTheConfigurationStoredBefore) {
  ScriptedInteraction ui;
  Tree reg, drives, sys;
  reg.AddTop("Arbeitsplatz");
  drives.AddTop("Laufwerke");
  sys.AddTop("Systemdateien");
  TempFolder dir;
  const std::string file = dir.File("OldCFG.TSD");
  WriteFileBytes(file, "die alte Konfiguration");
  // The file is written beside the target first: block that place with a folder.
  ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(file + ".tmp").c_str(), nullptr));
  EXPECT_THROW(WriteConfiguration(file, reg, drives, sys), platform::EStreamError);
  EXPECT_EQ(ReadFileBytes(file), "die alte Konfiguration");
  RemoveDirectoryW(Utf8ToWide(file + ".tmp").c_str());

  WriteConfiguration(file, reg, drives, sys);  // the way free again: replaced whole
  platform::FileStream in(file, platform::FileStream::Mode::Read);
  DataReader r(in);
  EXPECT_EQ(r.ReadString(), kRegistrationHeader);
  EXPECT_EQ(GetFileAttributesW(Utf8ToWide(file + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}
