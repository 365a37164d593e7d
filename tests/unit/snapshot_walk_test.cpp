// The snapshot walks on the real registry and folders, and whole configuration files.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>
#include <tuple>
#include <variant>
#include <vector>

#include "core/identity.h"
#include "core/settings.h"
#include "model/copy_records.h"
#include "model/data_codes.h"
#include "platform/file_stream.h"
#include "platform/files.h"
#include "platform/text.h"
#include "snapshot/configuration.h"
#include "snapshot/drive_snapshot.h"
#include "snapshot/registry_snapshot.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
enum class List { Begin, End };
using Item = std::variant<int32_t, std::string, Bytes, List>;  // Bytes: written raw
using platform::Utf8ToWide;

constexpr char kKey[] = "Software\\Velmoria\\QuitawayTests\\walk";

struct RecordingReport : SnapshotReport {
  void Update() override { updates.push_back(std::to_string(ProgressMax) + "|" + std::to_string(ProgressPos)); }
  void ShowError(const std::string& m) override { errors.push_back(m); }
  std::vector<std::string> updates, errors;
};

template <typename F>
Bytes Written(F write) {
  platform::MemoryStream m;
  write(*std::make_unique<DataWriter>(m));  // flushed when the writer goes
  return m.Bytes();
}

Bytes Items(const std::vector<Item>& items) {
  return Written([&](DataWriter& w) {
    for (const Item& item : items) {
      if (const auto* n = std::get_if<int32_t>(&item)) w.WriteInteger(*n);
      else if (const auto* s = std::get_if<std::string>(&item)) w.WriteString(*s);
      else if (const auto* b = std::get_if<Bytes>(&item)) w.WriteRaw(b->data(), b->size());
      else std::get<List>(item) == List::Begin ? w.WriteListBegin() : w.WriteListEnd();
    }
  });
}

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

void ExpectItems(DataReader& r, const std::vector<Item>& items) {
  for (const Item& item : items) {
    if (const auto* n = std::get_if<int32_t>(&item)) EXPECT_EQ(r.ReadInteger(), *n);
    else if (const auto* s = std::get_if<std::string>(&item)) EXPECT_EQ(r.ReadString(), *s);
    else std::get<List>(item) == List::Begin ? r.ReadListBegin() : r.ReadListEnd();
  }
}

HKEY CreateTestKey(const std::string& sub = "") {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(std::string(kKey) + (sub.empty() ? "" : "\\" + sub)).c_str(), 0,
                  nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

struct RegistryWalkTest : ::testing::Test {
  void SetUp() override { TearDown(); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kKey).c_str()); }
};

struct ConfigurationTest : ::testing::Test {
  void SetUp() override {
    TearDown();
    OpenSettingsRegistry("Software\\Velmoria\\QuitawayTests\\configuration");
    WriteBackAllSettings();
    for (Tree* tree : {&reg, &drives, &sys}) tree->AddTop("oben");
  }
  void TearDown() override {
    DeleteFileW(L"T:\\sys.ini");
    RemoveDirectoryW(L"T:\\Programm");
    CloseSettingsRegistry();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmoria\\QuitawayTests\\configuration");
  }
  ScriptedInteraction ui;
  Tree reg, drives, sys;
  TempFolder dir;
  const std::string file = dir.File("x.TSD");
};

// Roots of the pool test: below a key of their own in HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE, removed afterwards.
struct RegistryPoolTest : ::testing::Test {
  static constexpr wchar_t kPool[] = L"Software\\Velmoria\\QuitawayTests\\pool";
  void SetUp() override { TearDown(); }
  void TearDown() override {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      // The locked key refuses reading, so the tree could not be removed around it.
      RegDeleteKeyW(root, (std::wstring(kPool) + L"\\A\\Teil03\\gesperrt").c_str());
      RegDeleteTreeW(root, kPool);
    }
  }
  HKEY Create(HKEY root, const std::wstring& sub) {
    HKEY key = nullptr;
    RegCreateKeyExW(root, (std::wstring(kPool) + L"\\" + sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    return key;
  }
  void Value(HKEY key, const wchar_t* name, DWORD type, const std::wstring& text) {
    RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  // A large root A (the one the threads share out) with values of a type the program does not
  // know spread over it (a message each), a key no one may read, and the control sets below
  // its "System"; smaller roots B (HKLM) and D, and C, no key at all.
  std::vector<RegistryRoot> MakeRoots() {
    for (int i = 0; i < 12; ++i) {
      const std::wstring part = L"A\\Teil" + std::to_wstring(100 + i).substr(1);
      for (int j = 0; j < 15; ++j) {
        HKEY key = Create(HKEY_CURRENT_USER, part + L"\\Schlüssel" + std::to_wstring(j) + L"\\innen");
        Value(key, L"Name", REG_SZ, L"Wert " + std::to_wstring(i * 100 + j));
        if (j % 7 == i % 3) Value(key, L"seltsam", 0x99, L"?");
        RegCloseKey(key);
      }
    }
    for (const wchar_t* sub : {L"A\\System\\ControlSet001", L"A\\System\\CurrentControlSet", L"B\\x\\y", L"D"})
      RegCloseKey(Create(sub[0] == L'B' ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, sub));
    HKEY locked = Create(HKEY_CURRENT_USER, L"A\\Teil03\\gesperrt");
    PSECURITY_DESCRIPTOR sd = nullptr;  // everyone: no reading of values or subkeys
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x9;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1, &sd,
                                                         nullptr);
    RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    RegCloseKey(locked);
    return {{"A", Create(HKEY_CURRENT_USER, L"A")}, {"B", Create(HKEY_LOCAL_MACHINE, L"B")}, {"C", nullptr},
            {"D", Create(HKEY_CURRENT_USER, L"D")}};
  }
};

struct Walked {
  Bytes bytes;
  std::vector<std::string> errors, texts;  // the status texts in the order shown
  size_t handovers;
};

Walked WalkRoots(const std::vector<RegistryRoot>& roots, unsigned threads) {
  struct : SnapshotReport {
    void Update() override {
      if (texts.empty() || texts.back() != StatusText) texts.push_back(StatusText);
    }
    void ShowError(const std::string& m) override { errors.push_back(m); }
    std::vector<std::string> errors, texts;
  } report;
  size_t handovers = 0;
  const Bytes bytes = Written([&](DataWriter& w) { handovers = WriteRegistryRoots(w, roots, true, report, threads); });
  return {bytes, report.errors, report.texts, handovers};
}

}  // namespace

TEST_F(RegistryPoolTest, ThePoolWritesWhatOneThreadWrites) {
  const std::vector<RegistryRoot> roots = MakeRoots();
  const Walked alone = WalkRoots(roots, 1);
  // What the walk must hold: the locked key and the numbered control set stored empty, a
  // message for each unknown value in the order of the walk.
  HKEY probe = nullptr;
  ASSERT_NE(RegOpenKeyExW(roots[0].key, L"Teil03\\gesperrt", 0, KEY_READ, &probe), ERROR_SUCCESS);
  const std::string text = Text(alone.bytes);
  EXPECT_NE(text.find(Text(Items({"gesperrt", 0, 0, "Schlüssel0"}))), std::string::npos);
  EXPECT_EQ(text.find("ControlSet001"), std::string::npos);
  ASSERT_EQ(alone.errors.size(), 28u);
  EXPECT_NE(alone.errors[0].find("Pfad:Teil00\\Schlüssel0\\innen, Wert:seltsam"), std::string::npos);
  EXPECT_EQ(alone.texts, (std::vector<std::string>{" Registry:A", " Registry:B", " Registry:C", " Registry:D"}));
  for (unsigned threads : {2u, 3u, 4u}) {
    const Walked pool = WalkRoots(roots, threads);
    EXPECT_EQ(pool.bytes, alone.bytes) << threads << " threads";
    EXPECT_EQ(pool.errors, alone.errors) << threads << " threads";
    EXPECT_EQ(pool.texts, alone.texts) << threads << " threads";
    EXPECT_GT(pool.handovers, 0u) << threads << " threads: root A was not shared out";
  }
  for (const RegistryRoot& root : roots)
    if (root.key != nullptr) RegCloseKey(root.key);
}

TEST_F(RegistryWalkTest, KeyRecordByteForByte) {
  HKEY key = CreateTestKey(), alpha = CreateTestKey("Alpha"), beta = CreateTestKey("beta");
  // Subkeys, then values, sorted without regard to case; the numbered control sets left out,
  // only below SYSTEM and in their exact case.
  for (const char* sub : {"beta\\Gamma", "System\\ControlSet001", "System\\controlset002",
                          "System\\CurrentControlSet", "Other\\ControlSet001"})
    RegCloseKey(CreateTestKey(sub));
  const DWORD number = 300;
  const uint64_t big = 0x0102030405060708ull;
  const std::tuple<HKEY, const wchar_t*, DWORD, const void*, DWORD> values[] = {
      {key, L"", REG_SZ, L"", 2}, {key, L"bin0", REG_BINARY, "", 0}, {key, L"Zahl", REG_DWORD, &number, 4},
      {key, L"text", REG_SZ, L"Größe", 12}, {key, L"Pfad", REG_EXPAND_SZ, L"%PATH%", 14},
      {key, L"multi", REG_MULTI_SZ, L"a\0b\0", 10}, {key, L"q", REG_QWORD, &big, 8},
      {alpha, L"seltsam", 0x99, "abc", 3},      // a type the program does not know: stored empty
      {beta, L"ohne Null", REG_SZ, L"xy", 4}};  // stored without its terminating zero
  for (const auto& [k, name, type, data, size] : values)
    ASSERT_EQ(RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS) << name;
  const std::vector<std::string> error = {"unknown Datatype of the Registry\rPfad:Alpha, Wert:seltsam\r"
                                          "Lesen des Werts war nicht möglich ->Korrupte registry!"};
  for (bool show : {true, false}) {
    RecordingReport report;
    EXPECT_EQ(Written([&](DataWriter& w) { WriteRegistryKey(w, key, "", show, report); }),
              Items({4, "Alpha", 0, 1, "seltsam", 21, 1, "", "beta", 1, "Gamma", 0, 0, 1, "ohne Null", 21, 1, "xy",
                     "Other", 1, "ControlSet001", 0, 0, 0, "System", 2, "controlset002", 0, 0, "CurrentControlSet", 0,
                     0, 0, 7, "", 21, 1, "", "bin0", 21, 4, 0, "multi", 21, 7, 10,
                     Bytes{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}, "Pfad", 21, 2, "%PATH%", "q", 21, 11, 8,
                     Bytes{8, 7, 6, 5, 4, 3, 2, 1}, "text", 21, 1, "Größe", "Zahl", 21, 3, 300}));
    EXPECT_EQ(report.errors, show ? error : std::vector<std::string>{});
    EXPECT_EQ(report.updates, (std::vector<std::string>{"4|0", "4|0", "4|1", "4|2", "4|3"}));  // first level only
  }
  for (HKEY k : {alpha, beta, key}) RegCloseKey(k);
}

TEST_F(RegistryWalkTest, AValueRewrittenDuringTheWalkIsReadWhole) {
  // Another thread keeps rewriting one value with short and long data while the key is
  // walked: every record must hold one of the two complete values, never a cut one.
  HKEY key = CreateTestKey();
  const Bytes shortData(8, 0x11), longData(60000, 0x22);
  RegSetValueExW(key, L"v", 0, REG_BINARY, shortData.data(), 8);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; !stop; ++i)
      RegSetValueExW(key, L"v", 0, REG_BINARY, (i % 2 ? longData : shortData).data(), i % 2 ? 60000 : 8);
  });
  const Bytes asShort = Items({0, 1, "v", 21, 4, 8, shortData}), asLong = Items({0, 1, "v", 21, 4, 60000, longData});
  RecordingReport report;
  int cut = 0;
  for (int round = 0; round < 500; ++round) {
    const Bytes got = Written([&](DataWriter& w) { WriteRegistryKey(w, key, "", false, report); });
    cut += got != asShort && got != asLong;
  }
  stop = true;
  writer.join();
  RegCloseKey(key);
  EXPECT_EQ(cut, 0);
}

TEST(DriveWalk, FolderRecordWithTimesSizesAttributesVersionsAndLinks) {
  TempFolder dir;
  for (const char* sub : {"Unter", "leer"}) CreateDirectoryW(Utf8ToWide(dir.File(sub)).c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(Utf8ToWide(ProgramFolder() + "versioned.dll").c_str(), Utf8ToWide(dir.File("a.v.dll")).c_str(),
                        FALSE));
  SYSTEMTIME st{2024, 5, 0, 17, 13, 45, 30, 0};
  FILETIME local, when;
  SystemTimeToFileTime(&st, &local);
  LocalFileTimeToFileTime(&local, &when);
  for (const char* f : {"Unter\\drin.txt", "b.txt", "OHNE", "x.EX", "a.v.dll"}) {
    if (*f != 'a') WriteFileBytes(dir.File(f), f);  // each file holds its name
    HANDLE h = CreateFileW(Utf8ToWide(dir.File(f)).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, 0);
    SetFileTime(h, nullptr, nullptr, &when);
    CloseHandle(h);
  }
  SetFileAttributesW(Utf8ToWide(dir.File("OHNE")).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  // The local time as DOS date and time: seconds halved.
  const int32_t packed = static_cast<int32_t>((((2024 - 1980) << 9 | 5 << 5 | 17) << 16) | (13 << 11 | 45 << 5 | 15));
  auto file = [&](const std::string& rel, int32_t high = 0, int32_t low = 0) {
    const auto size = static_cast<int32_t>(ReadFileBytes(dir.File(rel)).size());
    const auto attributes = static_cast<int32_t>(GetFileAttributesW(Utf8ToWide(dir.File(rel)).c_str()));
    return Items({rel.substr(rel.find_last_of('\\') + 1), 21, packed, size, attributes, high, low});
  };
  for (bool versions : {true, false}) {
    RecordingReport report;
    const VersionOptions options{versions, "*.EXE\r\n*.DLL\r\n*.OCX"};
    // The extension counts from the last dot; ".EX" is in the list text, but has no version.
    EXPECT_EQ(Written([&](DataWriter& w) { WriteFolderRecord(w, dir.Path(), options, report); }),
              Items({2, "leer", 0, 0, "Unter", 0, 1, file("Unter\\drin.txt"), 4,
                     file("a.v.dll", versions ? 0x00010002 : 0, versions ? 0x00030004 : 0), file("b.txt"),
                     file("OHNE"), file("x.EX")}))
        << "versions " << versions;
    EXPECT_EQ(report.updates, (std::vector<std::string>{"2|0", "2|1", "2|2"}));
  }
  // Links are recorded, never entered: the test runner's folder "inner" holds "up", a link to its parent.
  const char* links = getenv("QW_LINK_FIXTURE");
  ASSERT_NE(links, nullptr) << "no link fixture (run through scripts/wine-run.sh)";
  RecordingReport report;
  EXPECT_EQ(Written([&](DataWriter& w) { WriteFolderRecord(w, links, {}, report); }),
            Items({1, "inner", 1, "up", 0, 0, 0, 0}));
}

// Folders beyond MAX_PATH and names ending in a dot or blank are reached in the long path form.
TEST(DriveWalk, DeepFoldersAndOddNamesAreRecordedWhole) {
  TempFolder dir;
  std::vector<std::string> names(6, std::string(60, 'x'));
  names[2] = "Punkt.";
  names[4] = "Blank ";
  std::string folder = dir.Path();
  for (const std::string& name : names) {  // about 330 characters deep
    folder += name + "\\";
    ASSERT_TRUE(CreateDirectoryW(platform::LongPath(Utf8ToWide(folder)).c_str(), nullptr)) << folder;
  }
  const std::wstring file = platform::LongPath(Utf8ToWide(folder + "tief.txt"));
  CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  RecordingReport report;
  platform::MemoryStream m(Written([&](DataWriter& w) { WriteFolderRecord(w, dir.Path(), {}, report); }));
  DeleteFileW(file.c_str());  // removed before reading: the temporary folder cannot remove it
  for (; folder.size() > dir.Path().size(); folder.resize(folder.find_last_of('\\', folder.size() - 2) + 1))
    RemoveDirectoryW(platform::LongPath(Utf8ToWide(folder)).c_str());
  DataReader r(m);
  for (const std::string& name : names) ExpectItems(r, {1, name});
  ExpectItems(r, {0, 1, "tief.txt"});  // the last folder: no folders, its one file
}

TEST(CopyRecords, KeysAndFolderTreesCopyWithANewStatus) {
  // A key with a subkey and two values (CopyKey: it has subkeys), then an old folder record without
  // subfolders (CopyDirTree: none): its file comes out in today's form, with versions.
  auto records = [](int32_t status, const Bytes& versions) {
    return Items({1, "Sub", 0, 1, "v", status, 4, 3, Bytes{1, 2, 3}, 1, "n", status, 3, -7,  // the key
                  0, 1, "f.txt", status, 12345678, 10, 32, versions});                      // the folder
  };
  platform::MemoryStream in(records(21, {}));
  DataReader r(in);
  EXPECT_EQ(Written([&](DataWriter& w) { EXPECT_TRUE(CopyKey(r, &w, rsNew) && !CopyDirTree(r, &w, rsNew, false)); }),
            records(rsNew, Items({0, 0})));
}

TEST_F(ConfigurationTest, BothWorkersWriteTheWholeFile) {
  CreateDirectoryW(L"T:\\Programm", nullptr);
  WriteFileBytes("T:\\sys.ini", "[Start]\r\nrun=app.exe\r\n");
  // HKEY_ALPHA is no root key of this system: stored empty.
  for (const auto& [tree, text, state] :
       {std::tuple{&reg, "HKEY_USERS", stUnchecked}, {&reg, "HKEY_CURRENT_CONFIG", stPartial},
        {&reg, "HKEY_ALPHA", stChecked}, {&drives, "C: [System]", stUnchecked}, {&drives, "T: [Test]", stChecked},
        {&sys, "T:\\sys.ini(INI)", stChecked}, {&sys, "T:\\liesmich.txt(TXT)", stUnchecked}})
    tree->First()->AddChild(text)->SetStateIndex(state);
  drives.First()->Child(1)->SetImageIndex(7);
  WriteConfiguration(file, reg, drives, sys);

  // The registry tree is back in its own order; nothing was shown but progress.
  EXPECT_EQ(reg.First()->Child(0)->Text() + reg.First()->Child(2)->Text(), "HKEY_USERSHKEY_ALPHA");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_FALSE(ui.StatusVisible(StatusControl::StatusLBL2) || ui.StatusVisible(StatusControl::ProgressBar2));
  const auto& log = ui.StatusLog();
  for (const auto& [control, text] : {std::pair{StatusControl::Statuspanel, " Registry:HKEY_CURRENT_CONFIG"},
                                      {StatusControl::StatusLBL2, " Dateistruktur - Laufwerk: T: [Test]"}})
    EXPECT_NE(std::find(log.begin(), log.end(), std::pair{control, std::string(text)}), log.end()) << text;
  platform::FileStream in(file, platform::FileStream::Mode::Read);
  DataReader r(in);
  // The root keys in alphabetical order, then the watched drive and the checked file.
  ExpectItems(r, {kRegistrationHeader, List::Begin, "HKEY_ALPHA", 0, 0, "HKEY_CURRENT_CONFIG"});
  CopyKey(r, nullptr, 0);
  ExpectItems(r, {List::End, kDrivesHeader2, List::Begin, "T: [Test]", 7, 1, "Programm", 0, 0, 1, "sys.ini"});
  CopyFileRecord(r, nullptr, 0, true);
  ExpectItems(r, {List::End, kSystemFilesHeader, List::Begin, "T:\\sys.ini(INI)", 1, "[Start]", 1, "run", 21,
                  "app.exe", List::End});
  EXPECT_EQ(r.Remaining(), 0);
}

TEST_F(ConfigurationTest, AWorkerErrorIsShownAndTheFileIsStillWritten) {
  sys.First()->AddChild("unbekannt.xyz")->SetStateIndex(stChecked);  // no kind: the section ends there
  WriteConfiguration(file, reg, drives, sys);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text, "Konnte den Dateityp für unbekannt.xyz nicht feststellen");
  EXPECT_EQ(ui.Messages()[0].type, mtError);
  EXPECT_EQ(ReadFileBytes(file), Text(Items({kRegistrationHeader, List::Begin, List::End, kDrivesHeader2, List::Begin,
                                             List::End, kSystemFilesHeader, List::Begin, "unbekannt.xyz"})));
}

TEST_F(ConfigurationTest, AFailedWriteKeepsTheConfigurationStoredBefore) {
  WriteFileBytes(file, "die alte Konfiguration");
  // The file is written beside the target first: block that place with a folder.
  ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(file + ".tmp").c_str(), nullptr));
  EXPECT_THROW(WriteConfiguration(file, reg, drives, sys), platform::EStreamError);
  EXPECT_EQ(ReadFileBytes(file), "die alte Konfiguration");
  RemoveDirectoryW(Utf8ToWide(file + ".tmp").c_str());
  WriteConfiguration(file, reg, drives, sys);  // the way free again: replaced whole
  EXPECT_EQ(ReadFileBytes(file), Text(Items({kRegistrationHeader, List::Begin, List::End, kDrivesHeader2, List::Begin,
                                             List::End, kSystemFilesHeader, List::Begin, List::End})));
  EXPECT_EQ(GetFileAttributesW(Utf8ToWide(file + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}
