// Damaged data files by the thousand. Real files written by the program (a selection
// file, configurations with all three sections, a result file with every kind of
// change, file versions on) and a font are mutated deterministically and fed to their
// readers: selections loaded, configurations compared, results loaded and exported,
// font names read. Each run must end with the file read or refused by the program's own
// errors: no crash, no hang, no allocation beyond what the file can hold, no tree or
// file left half-changed.
//
// QW_MUTATIONS sets the number of mutations per file kind (default 2000); a failure
// names its mutation, and QW_MUTATION runs that one alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <thread>
#include <typeinfo>

#include "compare/compare.h"
#include "core/exceptions.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/file_stream.h"
#include "platform/files.h"
#include "platform/text.h"
#include "removal/export.h"
#include "snapshot/drive_snapshot.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/system_files.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"
#include "platform/text_file.h"
#include "tools/font_info.h"

// The largest single allocation while watched.
static std::atomic<bool> g_watching{false};
static std::atomic<size_t> g_largest{0};

static void* Allocate(size_t n) {
  if (g_watching && n > g_largest) g_largest = n;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

using Bytes = std::string;

struct Watch {
  Watch() { g_largest = 0, g_watching = true; }
  ~Watch() { g_watching = false; }
};

// The mutation running, for the reports of a crash or a hang.
std::string g_current;
std::atomic<DWORD> g_started{0};

LONG WINAPI ReportCrash(EXCEPTION_POINTERS*) {
  std::fprintf(stderr, "\nAbsturz bei %s\n", g_current.c_str());
  return EXCEPTION_CONTINUE_SEARCH;
}

// Ends the process when one mutation runs longer than a minute.
void WatchForHangs() {
  std::thread([] {
    for (;; Sleep(200)) {
      const DWORD started = g_started;
      if (started == 0 || static_cast<int32_t>(GetTickCount() - started) < 60000) continue;
      std::fprintf(stderr, "\nKein Ende nach einer Minute bei %s\n", g_current.c_str());
      ExitProcess(3);
    }
  }).detach();
}

// ---------------------------------------------------------------- the real files

constexpr char kKeyPath[] = "Software\\Velmoria\\QuitawayTests\\damaged";

struct NullReport : SnapshotReport {
  void Update() override {}
  void ShowError(const std::string&) override {}
};

HKEY Key(const std::string& sub) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, platform::Utf8ToWide(std::string(kKeyPath) + sub).c_str(), 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

void Set(const std::string& sub, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = Key(sub);
  RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

// A registry key, a folder and two system files in a first state and changed: every
// kind of value, key, file, folder, section, entry and line added, deleted, altered.
struct Fixture {
  TempFolder dir;
  std::string folder = dir.File("Laufwerk\\"), ini = dir.File("test.ini"), text = dir.File("test.txt");

  void FirstState() {
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKeyPath).c_str());
    const DWORD number = 42;
    const BYTE blob[300] = {1, 2, 3};
    Set("", L"", REG_SZ, L"", 2);
    Set("", L"Text", REG_SZ, L"Wert", 10);
    Set("", L"Pfad", REG_EXPAND_SZ, L"%TEMP%", 14);
    Set("", L"Zahl", REG_DWORD, &number, 4);
    Set("", L"Blob", REG_BINARY, blob, sizeof blob);
    Set("", L"Multi", REG_MULTI_SZ, L"a\0b\0", 10);
    for (const char* sub : {"\\Alt", "\\Alt\\Tief", "\\Bleibt"}) Set(sub, L"v", REG_SZ, L"x", 4);
    for (const char* f : {"", "Alt\\", "Bleibt\\"}) CreateDirectoryW(platform::Utf8ToWide(folder + f).c_str(), nullptr);
    for (const char* f : {"a.txt", "b.txt", "Alt\\c.txt", "Bleibt\\d.txt"}) WriteFileBytes(folder + f, f);
    wchar_t exe[MAX_PATH];
    const std::string self = platform::WideToUtf8(std::wstring(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH)));
    CopyFileW(platform::Utf8ToWide(self.substr(0, self.find_last_of('\\')) + "\\versioned.dll").c_str(),
              platform::Utf8ToWide(folder + "v.dll").c_str(), FALSE);
    WriteFileBytes(ini, "[Bleibt]\r\nx=1\r\ny=2\r\n[Geht]\r\nz=3\r\n[Doppelt]\r\nk=1\r\nk=2\r\n");
    WriteFileBytes(text, "zeile eins\r\nzeile zwei\r\n\r\nzeile drei\r\n");
  }

  void Change() {
    const DWORD number = 43;
    Set("", L"Zahl", REG_DWORD, &number, 4);
    Set("", L"Neu", REG_SZ, L"ja", 6);
    Set("\\Neu\\Unter", L"w", REG_BINARY, "\x01\x02", 2);
    HKEY key = Key("");
    RegDeleteValueW(key, L"Multi");
    RegDeleteTreeW(key, L"Alt");
    RegCloseKey(key);
    DeleteFileW(platform::Utf8ToWide(folder + "Alt\\c.txt").c_str());
    RemoveDirectoryW(platform::Utf8ToWide(folder + "Alt").c_str());
    DeleteFileW(platform::Utf8ToWide(folder + "b.txt").c_str());
    CreateDirectoryW(platform::Utf8ToWide(folder + "Neu").c_str(), nullptr);
    WriteFileBytes(folder + "Neu\\e.txt", "fünf");
    WriteFileBytes(folder + "a.txt", "eins und mehr");
    WriteFileBytes(ini, "[Bleibt]\r\nw=0\r\nx=1\r\ny=9\r\n[Neu]\r\nn=1\r\n[Doppelt]\r\nk=1\r\nk=3\r\n");
    WriteFileBytes(text, "zeile eins\r\nzeile vier\r\nzeile drei\r\n");
  }

  // The key as HKEY_CURRENT_USER, the folder as drive T:, and the two system files.
  void WriteConfiguration(const std::string& file) {
    NullReport report;
    platform::FileStream f(file, platform::FileStream::Mode::Create);
    DataWriter w(f);
    w.WriteString(kRegistrationHeader);
    w.WriteListBegin();
    w.WriteString("HKEY_CURRENT_USER");
    HKEY key = Key("");
    WriteRegistryKey(w, key, "", false, report);
    RegCloseKey(key);
    w.WriteListEnd();
    w.WriteString(kDrivesHeader2);
    w.WriteListBegin();
    w.WriteString("T:");
    w.WriteInteger(19);
    WriteFolderRecord(w, folder, VersionOptions{true, "*.DLL"}, report);
    w.WriteListEnd();
    WriteSystemFilesSection(w, {{ini + "(INI)", stChecked}, {text + "(TXT)", stChecked}}, "", report);
    w.Flush();
  }
};

// The six trees, the no-check list and the current result of a main window.
struct Trees {
  Tree regSel, driveSel, sysSel, regResult, driveResult, sysResult;
  std::vector<std::string> noCheck;
  ResultFileInfo info;
  KindImages images{23, 24};
  CompareTrees Compare() { return {regSel, driveSel, sysSel, regResult, driveResult, sysResult}; }

  void Select(const Fixture& f) {
    TreeNode* hkcu = regSel.AddTop(kRegistryTop)->AddChild("HKEY_CURRENT_USER");
    hkcu->SetStateIndex(stPartial);
    hkcu->AddChild("Bleibt")->SetStateIndex(stChecked);
    driveSel.AddTop(kDrivesTop)->AddChild("T:")->SetStateIndex(stChecked);
    TreeNode* sys = sysSel.AddTop(kSystemTop);
    for (const std::string& file : {f.ini + "(INI)", f.text + "(TXT)"}) sys->AddChild(file)->SetStateIndex(stChecked);
    noCheck = {"T:\\nie.txt"};
  }

  // Everything a reader may change, as bytes.
  Bytes State() {
    platform::MemoryStream m;
    {
      DataWriter w(m);
      for (Tree* t : {&regSel, &driveSel, &sysSel, &regResult, &driveResult, &sysResult})
        SaveTree("", &w, *t, false, false, true);
      for (const std::string& s : noCheck) w.WriteString(s);
      w.WriteString(info.FileName);
      w.WriteInteger(static_cast<int32_t>(info.RegistryBlockStart + info.DriveBlockStart + info.SystemBlockStart));
    }
    return Bytes(m.Bytes().begin(), m.Bytes().end());
  }
};

// ---------------------------------------------------------------- mutations

// Item boundaries, as far as a scan by tags finds them (raw bytes are crossed one by one).
std::vector<size_t> ItemBoundaries(const Bytes& b) {
  std::vector<size_t> at;
  for (size_t i = 0; i < b.size();) {
    at.push_back(i);
    const uint8_t tag = b[i];
    uint32_t n = 0;
    if (tag == tagLongString && i + 4 < b.size()) std::memcpy(&n, b.data() + i + 1, 4);
    if (tag == tagInt8) i += 2;
    else if (tag == tagInt16) i += 3;
    else if (tag == tagInt32) i += 5;
    else if (tag == tagShortString && i + 1 < b.size()) i += 2 + static_cast<uint8_t>(b[i + 1]);
    else if (tag == tagLongString && n < b.size()) i += 5 + n;
    else i += 1;
  }
  return at;
}

// A font's table directory field by field; the naming table is half of Marlett.
std::vector<size_t> FontFields(const Bytes& b) {
  std::vector<size_t> at;
  for (size_t i = 0; i < 12 + 16 * static_cast<size_t>(static_cast<uint8_t>(b[5])); i += 4) at.push_back(i);
  return at;
}

size_t IntegerItemLength(char tag) { return tag == tagInt8 ? 2 : tag == tagInt16 ? 3 : tag == tagInt32 ? 5 : 0; }

Bytes Item(uint8_t tag, int32_t v) { return Bytes(1, static_cast<char>(tag)) + Bytes(reinterpret_cast<char*>(&v), 4); }

// Mutation number id: the first ones cut the file at each item boundary in turn, the
// others are drawn from a generator seeded with the number.
Bytes Mutate(Bytes b, const std::vector<size_t>& boundaries, int id, std::string& what) {
  if (static_cast<size_t>(id) < boundaries.size()) {
    what = "abgeschnitten an der Grenze bei " + std::to_string(boundaries[id]);
    return b.substr(0, boundaries[id]);
  }
  std::mt19937 rng(static_cast<uint32_t>(id) * 2654435761u);
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % std::max<size_t>(n, 1)); };
  auto boundary = [&] { return boundaries[pick(boundaries.size())]; };
  auto integerItem = [&] {  // a count, a length or a state where possible
    size_t at = boundary();
    for (int tries = 0; tries < 64 && IntegerItemLength(b[at]) == 0; ++tries) at = boundary();
    return at;
  };
  static const int32_t kHuge[] = {0x7FFFFFFF, -1, INT32_MIN, 0x01000000, 65536, 1000000, -100, 0x40000000};
  const int32_t huge = kHuge[pick(8)];
  const int kind = id % 8;
  size_t at = boundary();
  if (kind == 0 || kind == 1 || kind == 3) at = pick(b.size() - 4);
  if (kind == 2 || kind == 7) at = integerItem();
  what = "Art " + std::to_string(kind) + " bei " + std::to_string(at) + ", Zahl " + std::to_string(huge);
  switch (kind) {
    case 0: return b.substr(0, at);                                                        // cut anywhere
    case 1: return b.replace(at, 1, 1, "\x00\x7F\xFF\x0C"[pick(4)]);                       // one byte set
    case 2: return b.replace(at, IntegerItemLength(b[at]), Item(tagInt32, huge));           // huge count
    case 3: return b.replace(at, 4, Bytes(reinterpret_cast<const char*>(&huge), 4));       // four bytes
    case 4: return b.replace(at, 1, 1, "\x00\x01\x02\x03\x04\x06\x08\x09\x0C"[pick(9)]);   // another code
    case 5: {                                                                              // items swapped
      const auto next = std::upper_bound(boundaries.begin(), boundaries.end(), at);
      const size_t m = next == boundaries.end() ? b.size() : *next;
      const auto after = next == boundaries.end() ? next : next + 1;
      const size_t e = after == boundaries.end() ? b.size() : *after;
      return b.substr(0, at) + b.substr(m, e - m) + b.substr(at, m - at) + b.substr(e);
    }
    case 6: return b.replace(at, std::min<size_t>(2, b.size() - at), Item(tagLongString, huge));  // long length
    default: {  // deep nesting: a chain of single children before a count
      Bytes chain;
      for (size_t i = 1000 + pick(100000); i > 0; --i) chain += Bytes("\x02\x01\x06\x01x", 5);
      return b.insert(at, chain);
    }
  }
}

int EnvNumber(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? std::atoi(v) : fallback;
}

// How a reader ended: read, refused by the program's own errors, or something else.
std::string Outcome(const std::function<void()>& fn) {
  try {
    fn();
    return "gelesen";
  } catch (const EQuitawayError&) {
  } catch (const platform::EStreamError&) {
  } catch (const EAbort&) {
  } catch (const std::exception& e) {
    return std::string("fremder Fehler ") + typeid(e).name() + ": " + e.what();
  }
  return "abgelehnt";
}

class DamagedFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetUnhandledExceptionFilter(ReportCrash);
    WatchForHangs();
    f_ = new Fixture;
    f_->FirstState();
    f_->WriteConfiguration(f_->dir.File("alt.TSD"));
    f_->Change();
    f_->WriteConfiguration(f_->dir.File("neu.TSD"));
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKeyPath).c_str());
    ScriptedInteraction ui;
    Trees t;
    t.Select(*f_);
    SaveSelectionFile(f_->dir.File("auswahl.TSS"), nullptr, t.regSel, t.driveSel, t.sysSel, t.noCheck);
    CompareConfigurations(f_->dir.File("alt.TSD"), f_->dir.File("neu.TSD"), f_->dir.File("gut.TSL"), t.Compare(),
                          t.noCheck, t.images, t.info);
  }
  static void TearDownTestSuite() { delete f_; }

  // Runs the mutations of the good file through check(file, id), which tells how the
  // reader ended or what went wrong.
  void RunMutations(const char* good, const std::function<std::string(const std::string&, int)>& check,
                    std::vector<size_t> (*fields)(const Bytes&) = ItemBoundaries) {
    const Bytes bytes = ReadFileBytes(f_->dir.File(good));
    const std::vector<size_t> boundaries = fields(bytes);
    const std::string file = f_->dir.File(std::string("kaputt-") + good);
    const int only = EnvNumber("QW_MUTATION", -1), count = EnvNumber("QW_MUTATIONS", 2000);
    int read = 0, refused = 0;
    for (int id = std::max(only, 0); id < (only >= 0 ? only + 1 : count); ++id) {
      std::string what, outcome;
      const Bytes mutated = Mutate(bytes, boundaries, id, what);
      WriteFileBytes(file, mutated);
      g_current = std::string(good) + " Nr. " + std::to_string(id) + " (" + what + ")";
      g_started = GetTickCount() | 1;
      {
        Watch watch;
        outcome = check(file, id);
      }
      g_started = 0;
      // Memory follows what the file holds; nothing is reserved for what a count claims.
      if (g_largest > 64 * mutated.size() + (4u << 20))
        outcome += ", " + std::to_string(g_largest) + " Bytes am Stück";
      if (outcome == "gelesen") ++read;
      else if (outcome == "abgelehnt") ++refused;
      else ADD_FAILURE() << g_current << ": " << outcome;
    }
    std::printf("%s: %d gelesen, %d abgelehnt\n", good, read, refused);
  }

  static Fixture* f_;
};

Fixture* DamagedFiles::f_ = nullptr;

}  // namespace

TEST_F(DamagedFiles, SelectionFiles) {
  Trees t;
  RunMutations("auswahl.TSS", [&](const std::string& file, int) {
    ScriptedInteraction ui;
    LoadSelectionFile(f_->dir.File("auswahl.TSS"), nullptr, t.regSel, t.driveSel, t.sysSel, t.noCheck);
    const Bytes before = t.State();
    const std::string outcome =
        Outcome([&] { LoadSelectionFile(file, nullptr, t.regSel, t.driveSel, t.sysSel, t.noCheck); });
    return outcome == "abgelehnt" && t.State() != before ? "Bäume halb geändert" : outcome;
  });
}

TEST_F(DamagedFiles, ConfigurationsComparedWithAGoodOne) {
  Trees t;
  t.Select(*f_);
  const std::string oldGood = f_->dir.File("alt.TSD"), newGood = f_->dir.File("neu.TSD");
  const std::string log = f_->dir.File("vergleich.TSL");
  CopyFileW(platform::Utf8ToWide(f_->dir.File("gut.TSL")).c_str(), platform::Utf8ToWide(log).c_str(), FALSE);
  RunMutations("neu.TSD", [&](const std::string& file, int id) {
    ScriptedInteraction ui;
    const Bytes before = t.State(), logBefore = ReadFileBytes(log);
    const std::string outcome = Outcome([&] {
      CompareConfigurations(id % 2 ? file : oldGood, id % 2 ? newGood : file, log, t.Compare(), t.noCheck, t.images,
                            t.info);
    });
    if (outcome != "abgelehnt") return outcome;
    if (t.State() != before) return std::string("Bäume oder Ergebnis halb geändert");
    if (ReadFileBytes(log) != logBefore || platform::FileExists(log + ".tmp"))
      return std::string("Logdatei verändert");
    return outcome;
  });
}

TEST_F(DamagedFiles, ResultFilesLoadedAndExported) {
  Trees t;
  auto load = [&](const std::string& file) {
    LoadResultFile(file, t.regSel, t.driveSel, t.regResult, t.driveResult, t.sysSel, t.sysResult, t.noCheck, t.images,
                   t.info);
  };
  RunMutations("gut.TSL", [&](const std::string& file, int) {
    ScriptedInteraction ui;
    load(f_->dir.File("gut.TSL"));
    const Bytes before = t.State();
    const std::string outcome = Outcome([&] { load(file); });
    if (outcome == "abgelehnt") return t.State() != before ? "Bäume halb geändert" : outcome;
    if (outcome != "gelesen") return outcome;
    // A file that loads may still hold damaged records: the export reads them all.
    const Bytes loaded = t.State();
    const std::pair<Tree*, int> trees[] = {
        {&t.regResult, tkRegistry}, {&t.driveResult, tkFiles}, {&t.sysResult, tkSystem}};
    for (const auto& [tree, kind] : trees) {
      const std::string exported =
          Outcome([&] { ExportResultText(t.info, tree->First(), kAllKinds, kind, "x", "(Standard)"); });
      if (exported != "gelesen" && exported != "abgelehnt") return "Export: " + exported;
    }
    return t.State() != loaded ? "Export ändert die Bäume" : outcome;
  });
}

TEST_F(DamagedFiles, FontsReadForTheirNames) {
  CopyFileW(platform::Utf8ToWide(platform::WindowsFolder() + "\\Fonts\\marlett.ttf").c_str(),
            platform::Utf8ToWide(f_->dir.File("schrift.ttf")).c_str(), FALSE);
  RunMutations("schrift.ttf", [](const std::string& file, int) {
    FontInfoRecord info;
    const bool read = FontInfo(file, 0x407, info);
    const std::string text = info.FontName + info.Summary + info.Records;  // nothing left when refused
    if (!read) return std::string(text.empty() ? "abgelehnt" : "Reste");
    return std::string(platform::IsValidUtf8(text) ? "gelesen" : "kein UTF-8");
  }, FontFields);
}

// A count may claim as many records as the rest of the file holds at their smallest;
// records in memory are far larger, so nothing may be reserved for a count.
TEST_F(DamagedFiles, CountsReserveNothingInAdvance) {
  TempFolder dir;
  const std::string file = dir.File("zahl.dat");
  const Bytes zeros(1 << 20, '\0');  // list ends where the records should be
  auto write = [&](const std::function<void(DataWriter&)>& before) {
    platform::FileStream f(file, platform::FileStream::Mode::Create);
    DataWriter w(f);
    before(w);
    w.WriteInteger(static_cast<int32_t>(zeros.size() / 16));
    w.WriteRaw(zeros.data(), zeros.size());
  };
  ResultFileInfo info;
  info.FileName = file;
  int32_t data = 0;
  write([&](DataWriter& w) {  // a record group in a value block that starts behind a first item
    w.WriteString("vorne");
    info.RegistryBlockStart = w.Position();
    w.WriteString(kValuesHeader);
    data = static_cast<int32_t>(w.Position() - info.RegistryBlockStart);
  });
  Tree tree;
  TreeNode* changed = tree.AddTop("geändert");
  TreeNode* added = tree.AddTop("neu");
  for (auto [node, state] : {std::pair{changed, stMembersChanged}, std::pair{added, stAdded}}) {
    node->SetStateIndex(state);
    node->SetHasChildren(true);
    node->SetData(data);
  }
  ScriptedInteraction ui;
  const std::pair<const char*, std::function<void()>> reads[] = {
      {"Werte eines Knotens", [&] { ReadNodeRecords(info, ResultSection::Registry, *changed); }},
      {"gespeicherte Unterschlüssel", [&] { ExpandStoredNode(info, ResultSection::Registry, *added); }},
  };
  for (const auto& [what, read] : reads) {
    Watch watch;
    EXPECT_THROW(read(), EReadError) << what;
    EXPECT_LT(g_largest, 256u << 10) << what;
  }

  Tree reg, drives, sys;  // the no-check list of a selection file
  write([&](DataWriter& w) {
    for (Tree* t : {&reg, &drives, &sys}) SaveTree("", &w, *t, false, false, true);
    w.WriteString(kNoCheckMarker);
  });
  std::vector<std::string> noCheck{"bleibt"};
  {
    Watch watch;
    LoadSelectionFile(file, nullptr, reg, drives, sys, noCheck);
  }
  EXPECT_LT(g_largest, 256u << 10);
  EXPECT_EQ(noCheck, (std::vector<std::string>{"bleibt"}));
}
