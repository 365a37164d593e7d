// Damaged data files by the thousand. Real files written by the program (a selection
// file, two configurations with all three sections and a result file with every kind
// of change, file versions on) are mutated deterministically and fed to their readers:
// loading a selection, comparing a configuration against a good one, loading a result
// and exporting it as text. Each run must end with the file read or refused by the
// program's own errors: no crash, no hang, no allocation beyond what the file can
// hold, no tree or file left half-changed.
//
// QW_MUTATIONS sets the number of mutations per file kind (default 2000); a failure
// names the mutation, and QW_MUTATION runs that one alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "compare/compare.h"
#include "core/exceptions.h"
#include "model/data_codes.h"
#include "model/data_stream.h"
#include "model/treetool.h"
#include "platform/file_stream.h"
#include "platform/files.h"
#include "platform/text.h"
#include "removal/export.h"
#include "result/result_file.h"
#include "snapshot/drive_snapshot.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/system_files.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

// ---------------------------------------------------------------- allocation watch

namespace {
std::atomic<bool> g_watching{false};
std::atomic<size_t> g_largest{0};

void* Allocate(size_t n) {
  if (g_watching.load(std::memory_order_relaxed)) {
    size_t seen = g_largest.load(std::memory_order_relaxed);
    while (n > seen && !g_largest.compare_exchange_weak(seen, n)) {
    }
  }
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

using Bytes = std::string;

// The largest single allocation while fn runs.
template <typename F>
size_t LargestAllocation(F fn) {
  g_largest = 0;
  g_watching = true;
  try {
    fn();
  } catch (...) {
    g_watching = false;
    throw;
  }
  g_watching = false;
  return g_largest;
}

// ---------------------------------------------------------------- crash and hang watch

std::string g_current;  // the mutation running, for the crash and hang reports
std::atomic<int64_t> g_started{0};

LONG WINAPI ReportCrash(EXCEPTION_POINTERS*) {
  std::fprintf(stderr, "\nAbsturz bei %s\n", g_current.c_str());
  std::fflush(stderr);
  return EXCEPTION_CONTINUE_SEARCH;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

class HangWatch {
 public:
  HangWatch() : thread_([this] { Run(); }) {}
  ~HangWatch() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Run() {
    while (!stop_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      const int64_t started = g_started;
      if (started != 0 && NowMs() - started > 60000) {
        std::fprintf(stderr, "\nKein Ende nach 60 s bei %s\n", g_current.c_str());
        std::fflush(stderr);
        ExitProcess(3);
      }
    }
  }
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// ---------------------------------------------------------------- the real files

constexpr char kKeyPath[] = "Software\\Velmoria\\QuitawayTests\\damaged";

class NullReport : public SnapshotReport {
 public:
  void Update() override {}
  void ShowError(const std::string&) override {}
};

void SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
}

HKEY CreateKey(const std::string& sub) {
  HKEY key = nullptr;
  const std::string path = sub.empty() ? kKeyPath : std::string(kKeyPath) + "\\" + sub;
  RegCreateKeyExW(HKEY_CURRENT_USER, platform::Utf8ToWide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  &key, nullptr);
  return key;
}

// The watched things in their first state, and their changes: every kind of value,
// key, file, folder, section, entry and line added, deleted and altered.
struct Fixture {
  TempFolder dir;
  std::string folder = dir.File("Laufwerk\\");
  std::string ini = dir.File("test.ini"), text = dir.File("test.txt");

  void FirstState() {
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKeyPath).c_str());
    HKEY key = CreateKey("");
    const DWORD number = 42;
    const BYTE blob[300] = {1, 2, 3};
    SetValue(key, L"", REG_SZ, L"", 2);
    SetValue(key, L"Text", REG_SZ, L"Wert", 10);
    SetValue(key, L"Pfad", REG_EXPAND_SZ, L"%TEMP%", 14);
    SetValue(key, L"Zahl", REG_DWORD, &number, 4);
    SetValue(key, L"Blob", REG_BINARY, blob, sizeof blob);
    SetValue(key, L"Multi", REG_MULTI_SZ, L"a\0b\0", 10);
    RegCloseKey(key);
    for (const char* sub : {"Alt", "Alt\\Tief", "Bleibt"}) {
      HKEY k = CreateKey(sub);
      SetValue(k, L"v", REG_SZ, L"x", 4);
      RegCloseKey(k);
    }
    for (const char* f : {"", "Alt\\", "Bleibt\\"})
      CreateDirectoryW(platform::Utf8ToWide(folder + f).c_str(), nullptr);
    WriteFileBytes(folder + "a.txt", "eins");
    WriteFileBytes(folder + "b.txt", "zwei");
    WriteFileBytes(folder + "Alt\\c.txt", "drei");
    WriteFileBytes(folder + "Bleibt\\d.txt", "vier");
    CopyFileW(platform::Utf8ToWide(VersionedDll()).c_str(), platform::Utf8ToWide(folder + "v.dll").c_str(), FALSE);
    WriteFileBytes(ini, "[Bleibt]\r\nx=1\r\ny=2\r\n[Geht]\r\nz=3\r\n[Doppelt]\r\nk=1\r\nk=2\r\n");
    WriteFileBytes(text, "zeile eins\r\nzeile zwei\r\n\r\nzeile drei\r\n");
  }

  void Change() {
    HKEY key = CreateKey("");
    const DWORD number = 43;
    SetValue(key, L"Zahl", REG_DWORD, &number, 4);
    SetValue(key, L"Neu", REG_SZ, L"ja", 6);
    RegDeleteValueW(key, L"Multi");
    RegCloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(std::string(kKeyPath) + "\\Alt").c_str());
    HKEY fresh = CreateKey("Neu\\Unter");
    SetValue(fresh, L"w", REG_BINARY, "\x01\x02", 2);
    RegCloseKey(fresh);
    DeleteFileW(platform::Utf8ToWide(folder + "Alt\\c.txt").c_str());
    RemoveDirectoryW(platform::Utf8ToWide(folder + "Alt").c_str());
    CreateDirectoryW(platform::Utf8ToWide(folder + "Neu").c_str(), nullptr);
    WriteFileBytes(folder + "Neu\\e.txt", "fünf");
    WriteFileBytes(folder + "a.txt", "eins und mehr");
    DeleteFileW(platform::Utf8ToWide(folder + "b.txt").c_str());
    WriteFileBytes(ini, "[Bleibt]\r\nw=0\r\nx=1\r\ny=9\r\n[Neu]\r\nn=1\r\n[Doppelt]\r\nk=1\r\nk=3\r\n");
    WriteFileBytes(text, "zeile eins\r\nzeile vier\r\nzeile drei\r\n");
  }

  static std::string VersionedDll() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::string path = platform::WideToUtf8(exe);
    return path.substr(0, path.find_last_of('\\') + 1) + "versioned.dll";
  }

  // A configuration with the registry key as HKEY_CURRENT_USER, the folder as drive
  // T: and the two system files.
  void WriteConfiguration(const std::string& file) {
    NullReport report;
    platform::FileStream f(file, platform::FileStream::Mode::Create);
    DataWriter w(f);
    w.WriteString(kRegistrationHeader);
    w.WriteListBegin();
    w.WriteString("HKEY_CURRENT_USER");
    HKEY key = CreateKey("");
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

// The six trees and the no-check list of a main window.
struct Trees {
  Tree regSel, driveSel, sysSel, regResult, driveResult, sysResult;
  std::vector<std::string> noCheck;
  ResultFileInfo info;
  KindImages images{23, 24};
  CompareTrees Compare() { return {regSel, driveSel, sysSel, regResult, driveResult, sysResult}; }

  void Select(const Fixture& f) {
    TreeNode* reg = regSel.AddTop(kRegistryTop);
    reg->SetStateIndex(stPartial);
    TreeNode* hkcu = reg->AddChild("HKEY_CURRENT_USER");
    hkcu->SetStateIndex(stPartial);
    hkcu->AddChild("Bleibt")->SetStateIndex(stChecked);
    TreeNode* drives = driveSel.AddTop(kDrivesTop);
    drives->SetStateIndex(stPartial);
    drives->AddChild("T:")->SetStateIndex(stChecked);
    TreeNode* sys = sysSel.AddTop(kSystemTop);
    sys->SetStateIndex(stPartial);
    sys->AddChild(f.ini + "(INI)")->SetStateIndex(stChecked);
    sys->AddChild(f.text + "(TXT)")->SetStateIndex(stChecked);
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

struct RealFiles {
  Bytes selection, oldConfig, newConfig, result;
};

// ---------------------------------------------------------------- mutations

// Item boundaries of a data stream, as far as a scan by tags finds them (raw byte
// runs are crossed byte by byte).
std::vector<size_t> ItemBoundaries(const Bytes& b) {
  std::vector<size_t> at;
  size_t i = 0;
  while (i < b.size()) {
    at.push_back(i);
    const uint8_t tag = static_cast<uint8_t>(b[i]);
    size_t length = 1;
    if (tag == tagInt8) length = 2;
    else if (tag == tagInt16) length = 3;
    else if (tag == tagInt32) length = 5;
    else if (tag == tagShortString && i + 1 < b.size()) length = 2 + static_cast<uint8_t>(b[i + 1]);
    else if (tag == tagLongString && i + 4 < b.size()) {
      uint32_t n;
      std::memcpy(&n, b.data() + i + 1, 4);
      length = n < b.size() ? 5 + n : 1;
    }
    i += length;
  }
  return at;
}

Bytes Int32Item(int32_t v) {
  Bytes item(1, static_cast<char>(tagInt32));
  item.append(reinterpret_cast<const char*>(&v), 4);
  return item;
}

bool IsIntegerTag(char c) { return c == tagInt8 || c == tagInt16 || c == tagInt32; }

size_t ItemLength(const Bytes& b, size_t at) {
  switch (static_cast<uint8_t>(b[at])) {
    case tagInt8: return 2;
    case tagInt16: return 3;
    case tagInt32: return 5;
    case tagShortString: return at + 1 < b.size() ? 2 + static_cast<uint8_t>(b[at + 1]) : 1;
  }
  return 1;
}

// Mutation number id of a file: the first ones cut the file at each item boundary in
// turn, the others are drawn from a generator seeded with the number.
Bytes Mutate(const Bytes& good, const std::vector<size_t>& boundaries, int id, std::string& what) {
  if (static_cast<size_t>(id) < boundaries.size()) {
    what = "abgeschnitten an Grenze " + std::to_string(boundaries[id]);
    return good.substr(0, boundaries[id]);
  }
  std::mt19937 rng(static_cast<uint32_t>(id) * 2654435761u);
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % (n ? n : 1)); };
  auto integerItem = [&] {
    for (int tries = 0; tries < 64; ++tries) {
      const size_t at = boundaries[pick(boundaries.size())];
      if (IsIntegerTag(good[at])) return at;
    }
    return boundaries[pick(boundaries.size())];
  };
  static const int32_t kHuge[] = {0x7FFFFFFF, -1, INT32_MIN, 0x01000000, 65536, 1000000, -100, 0x40000000};
  static const char kBytes[] = {0x00, 0x7F, static_cast<char>(0xFF), 0x0C};
  static const char kTags[] = {0, 1, 2, 3, 4, 6, 8, 9, 12};
  Bytes b = good;
  switch (id % 8) {
    case 0: {
      const size_t at = pick(b.size());
      what = "abgeschnitten bei " + std::to_string(at);
      return b.substr(0, at);
    }
    case 1: {
      const size_t at = pick(b.size());
      b[at] = kBytes[pick(4)];
      what = "Byte " + std::to_string(at) + " = " + std::to_string(static_cast<uint8_t>(b[at]));
      return b;
    }
    case 2: {  // a count or length as a huge or negative number
      const size_t at = integerItem();
      const int32_t v = kHuge[pick(8)];
      what = "Zahl bei " + std::to_string(at) + " = " + std::to_string(v);
      return b.replace(at, IsIntegerTag(b[at]) ? ItemLength(b, at) : 0, Int32Item(v));
    }
    case 3: {  // four bytes anywhere
      const size_t at = pick(b.size() > 4 ? b.size() - 4 : 1);
      const int32_t v = kHuge[pick(8)];
      what = "vier Bytes bei " + std::to_string(at) + " = " + std::to_string(v);
      return b.replace(at, std::min<size_t>(4, b.size() - at), reinterpret_cast<const char*>(&v), 4);
    }
    case 4: {  // another item code
      const size_t at = boundaries[pick(boundaries.size())];
      b[at] = kTags[pick(9)];
      what = "Kennung bei " + std::to_string(at) + " = " + std::to_string(static_cast<int>(b[at]));
      return b;
    }
    case 5: {  // two neighbouring items swapped
      const size_t k = pick(boundaries.size() > 2 ? boundaries.size() - 2 : 1);
      const size_t a = boundaries[k], m = boundaries[k + 1], e = k + 2 < boundaries.size() ? boundaries[k + 2] : b.size();
      what = "vertauscht bei " + std::to_string(a);
      return b.substr(0, a) + b.substr(m, e - m) + b.substr(a, m - a) + b.substr(e);
    }
    case 6: {  // a short string given a long length
      const size_t at = boundaries[pick(boundaries.size())];
      const int32_t v = kHuge[pick(8)];
      what = "lange Zeichenkette bei " + std::to_string(at) + " = " + std::to_string(v);
      Bytes head(1, static_cast<char>(tagLongString));
      head.append(reinterpret_cast<const char*>(&v), 4);
      return b.replace(at, std::min<size_t>(2, b.size() - at), head);
    }
    default: {  // deep nesting: a count replaced by a long chain of single children
      const size_t at = integerItem();
      const size_t depth = 1000 + pick(100000);
      Bytes chain;
      for (size_t i = 0; i < depth; ++i) chain += Bytes("\x02\x01\x06\x01x", 5);
      what = "Verschachtelung " + std::to_string(depth) + " bei " + std::to_string(at);
      return b.insert(at, chain);
    }
  }
}

int MutationCount() {
  const char* n = std::getenv("QW_MUTATIONS");
  return n && std::atoi(n) > 0 ? std::atoi(n) : 2000;
}

int OnlyMutation() {
  const char* n = std::getenv("QW_MUTATION");
  return n ? std::atoi(n) : -1;
}

// How a reader ended: read, refused by the program's own errors, or anything else.
template <typename F>
std::string Outcome(F fn) {
  try {
    fn();
    return "gelesen";
  } catch (const EQuitawayError&) {
    return "abgelehnt";
  } catch (const platform::EStreamError&) {
    return "abgelehnt";
  } catch (const EAbort&) {
    return "abgelehnt";
  } catch (const std::exception& e) {
    return std::string("fremder Fehler ") + typeid(e).name() + ": " + e.what();
  }
}

class DamagedFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetUnhandledExceptionFilter(ReportCrash);
    files_ = new RealFiles;
    fixture_ = new Fixture;
    Fixture& f = *fixture_;
    f.FirstState();
    f.WriteConfiguration(f.dir.File("alt.TSD"));
    f.Change();
    f.WriteConfiguration(f.dir.File("neu.TSD"));
    ScriptedInteraction ui;
    Trees t;
    t.Select(f);
    SaveSelectionFile(f.dir.File("auswahl.TSS"), nullptr, t.regSel, t.driveSel, t.sysSel, t.noCheck);
    CompareConfigurations(f.dir.File("alt.TSD"), f.dir.File("neu.TSD"), f.dir.File("gut.TSL"), t.Compare(),
                          t.noCheck, t.images, t.info);
    files_->selection = ReadFileBytes(f.dir.File("auswahl.TSS"));
    files_->oldConfig = ReadFileBytes(f.dir.File("alt.TSD"));
    files_->newConfig = ReadFileBytes(f.dir.File("neu.TSD"));
    files_->result = ReadFileBytes(f.dir.File("gut.TSL"));
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKeyPath).c_str());
  }
  static void TearDownTestSuite() {
    delete fixture_;
    delete files_;
  }

  // Runs the mutations of good through check(file, id), which tells how the reader
  // ended or what went wrong.
  void RunMutations(const char* kind, const Bytes& good,
                    const std::function<std::string(const std::string&, int)>& check) {
    HangWatch watch;
    const std::vector<size_t> boundaries = ItemBoundaries(good);
    const std::string file = fixture_->dir.File(std::string("kaputt.") + kind);
    const int only = OnlyMutation();
    int read = 0, refused = 0;
    for (int id = only >= 0 ? only : 0; id < (only >= 0 ? only + 1 : MutationCount()); ++id) {
      std::string what;
      const Bytes bytes = Mutate(good, boundaries, id, what);
      WriteFileBytes(file, bytes);
      g_current = std::string(kind) + " Nr. " + std::to_string(id) + " (" + what + ")";
      g_started = NowMs();
      std::string failure;
      const size_t largest = LargestAllocation([&] { failure = check(file, id); });
      g_started = 0;
      // Memory follows what the file holds: nothing is reserved for what a count claims.
      const size_t bound = 64 * bytes.size() + (4u << 20);
      if (largest > bound) failure += " Speicher " + std::to_string(largest) + " Bytes am Stück;";
      if (failure == "gelesen") ++read;
      else if (failure == "abgelehnt") ++refused;
      else ADD_FAILURE() << g_current << ": " << failure;
    }
    std::printf("%s: %d gelesen, %d abgelehnt\n", kind, read, refused);
  }

  static RealFiles* files_;
  static Fixture* fixture_;
};

RealFiles* DamagedFiles::files_ = nullptr;
Fixture* DamagedFiles::fixture_ = nullptr;

}  // namespace

TEST_F(DamagedFiles, SelectionFiles) {
  ScriptedInteraction setup;
  Trees t;
  const std::string good = fixture_->dir.File("auswahl.TSS");
  RunMutations("TSS", files_->selection, [&](const std::string& file, int) {
    ScriptedInteraction ui;
    LoadSelectionFile(good, nullptr, t.regSel, t.driveSel, t.sysSel, t.noCheck);
    const Bytes before = t.State();
    const std::string outcome =
        Outcome([&] { LoadSelectionFile(file, nullptr, t.regSel, t.driveSel, t.sysSel, t.noCheck); });
    if (outcome == "abgelehnt" && t.State() != before) return std::string("Bäume halb geändert");
    return outcome;
  });
}

TEST_F(DamagedFiles, ConfigurationsComparedWithAGoodOne) {
  Trees t;
  t.Select(*fixture_);
  const std::string oldGood = fixture_->dir.File("alt.TSD"), newGood = fixture_->dir.File("neu.TSD");
  const std::string log = fixture_->dir.File("vergleich.TSL");
  WriteFileBytes(log, files_->result);
  RunMutations("TSD", files_->newConfig, [&](const std::string& file, int id) {
    ScriptedInteraction ui;
    const Bytes before = t.State(), logBefore = ReadFileBytes(log);
    const bool mutatedIsNew = id % 2 == 0;
    const std::string outcome = Outcome([&] {
      CompareConfigurations(mutatedIsNew ? oldGood : file, mutatedIsNew ? file : newGood, log, t.Compare(), t.noCheck,
                            t.images, t.info);
    });
    if (outcome != "abgelehnt") return outcome;
    if (t.State() != before) return std::string("Bäume oder Ergebnis halb geändert");
    if (ReadFileBytes(log) != logBefore || platform::FileExists(log + ".tmp")) return std::string("Logdatei verändert");
    return outcome;
  });
}

TEST_F(DamagedFiles, ResultFilesLoadedAndExported) {
  Trees t;
  const std::string good = fixture_->dir.File("gut.TSL");
  RunMutations("TSL", files_->result, [&](const std::string& file, int) {
    ScriptedInteraction ui;
    LoadResultFile(good, t.regSel, t.driveSel, t.regResult, t.driveResult, t.sysSel, t.sysResult, t.noCheck,
                   t.images, t.info);
    const Bytes before = t.State();
    std::string outcome = Outcome([&] {
      LoadResultFile(file, t.regSel, t.driveSel, t.regResult, t.driveResult, t.sysSel, t.sysResult, t.noCheck,
                     t.images, t.info);
    });
    if (outcome == "abgelehnt") return t.State() != before ? std::string("Bäume halb geändert") : outcome;
    if (outcome != "gelesen") return outcome;
    // A file that loads may still hold damaged records: the export reads them all.
    const Bytes loaded = t.State();
    const struct {
      Tree& tree;
      int kind;
    } trees[] = {{t.regResult, tkRegistry}, {t.driveResult, tkFiles}, {t.sysResult, tkSystem}};
    for (const auto& e : trees) {
      const std::string exported =
          Outcome([&] { ExportResultText(t.info, e.tree.First(), kAllKinds, e.kind, "x", "(Standard)"); });
      if (exported != "gelesen" && exported != "abgelehnt") return "Export: " + exported;
    }
    if (t.State() != loaded) return std::string("Export ändert die Bäume");
    return outcome;
  });
}

// A count may claim as many records as the rest of the file could hold at their
// smallest; records in memory are far larger, so nothing is reserved for a count.
TEST_F(DamagedFiles, CountsReserveNothingInAdvance) {
  TempFolder dir;
  const Bytes garbage(1 << 20, '\0');  // list ends where the records should be
  const int32_t claimed = static_cast<int32_t>(garbage.size() / 16);
  const std::string file = dir.File("zahl.dat");

  // A record group of a result file, behind something so that the block starts later.
  int64_t blockStart = 0;
  int32_t data = 0;
  {
    platform::FileStream f(file, platform::FileStream::Mode::Create);
    DataWriter w(f);
    w.WriteString("vorne");
    blockStart = w.Position();
    w.WriteString(kValuesHeader);
    data = static_cast<int32_t>(w.Position() - blockStart);
    w.WriteInteger(claimed);
    w.WriteRaw(garbage.data(), garbage.size());
  }
  ResultFileInfo info;
  info.FileName = file;
  info.RegistryBlockStart = blockStart;
  Tree tree;
  TreeNode* changed = tree.AddTop("geändert");
  changed->SetStateIndex(stMembersChanged);
  changed->SetData(data);
  TreeNode* added = tree.AddTop("neu");
  added->SetStateIndex(stAdded);
  added->SetHasChildren(true);
  added->SetData(data);
  ScriptedInteraction ui;
  const struct {
    const char* what;
    std::function<void()> read;
  } cases[] = {
      {"Werte eines Knotens", [&] { ReadNodeRecords(info, ResultSection::Registry, *changed); }},
      {"gespeicherte Unterschlüssel", [&] { ExpandStoredNode(info, ResultSection::Registry, *added); }},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(LargestAllocation(c.read), EReadError) << c.what;
    EXPECT_LT(g_largest.load(), 256u << 10) << c.what;
  }

  // The no-check list of a selection file.
  Tree reg, drives, sys;
  {
    platform::FileStream f(file, platform::FileStream::Mode::Create);
    DataWriter w(f);
    for (Tree* t : {&reg, &drives, &sys}) SaveTree("", &w, *t, false, false, true);
    w.WriteString(kNoCheckMarker);
    w.WriteInteger(claimed);
    w.WriteRaw(garbage.data(), garbage.size());
  }
  std::vector<std::string> noCheck{"bleibt"};
  LargestAllocation([&] { LoadSelectionFile(file, nullptr, reg, drives, sys, noCheck); });
  EXPECT_LT(g_largest.load(), 256u << 10);
  EXPECT_EQ(noCheck, (std::vector<std::string>{"bleibt"}));
}
