// Time and memory of one comparison of two configurations (CompareConfigurations),
// against reading both files through once, item by item, and doing nothing else: the
// least time a comparison can take.
//   compare_bench OLDFILE NEWFILE RESULTFILE [--sample-ms=5] [--list]
//
// OLDFILE, NEWFILE  configuration files (.TSD) of the registry roots and drives that
//                   snapshot_bench stores (HKLM, HKCU, HKU and C:); every root and
//                   drive they hold is watched
// RESULTFILE        the result file (.TSL) to write (replaced, kept after the run)
// --sample-ms=      interval of the private-bytes sampler, 0 to switch it off (default 5)
// --list            also prints every changed node of the result trees, one
//                   CHANGED_NODE=<state> <path> <records> line each; nodes inside a new
//                   or deleted key or folder are counted, not listed
//
// Prints KEY=value lines (numbers without separators) for scripts:
//   READ_MS                 both files read through with DataReader and the record
//                           routines (no writer), one after the other
//   COMPARE_MS              wall time of CompareConfigurations (QueryPerformanceCounter)
//   RATIO                   COMPARE_MS / READ_MS
//   OLD_BYTES, NEW_BYTES, RESULT_BYTES   file sizes
//   REG_BLOCK_BYTES, DRIVE_BLOCK_BYTES, SYSTEM_BLOCK_BYTES   value blocks of the result
//   REG_KEYS_NEW, REG_KEYS_DELETED, REG_KEYS_CHANGED         result nodes by state
//   REG_VALUES_NEW, REG_VALUES_DELETED, REG_VALUES_ALTERED   records (altered: pairs)
//   FOLDERS_NEW, FOLDERS_DELETED, FOLDERS_CHANGED, FILES_NEW, FILES_DELETED,
//   FILES_ALTERED, SYSTEM_NODES_CHANGED, SYSTEM_RECORDS      the same for the other trees
//   RECORDS                 all records in the three value blocks
//   PRIVATE_BEFORE, WS_BEFORE          private bytes and working set before the comparison
//   PEAK_PRIVATE, PEAK_WS              peaks during the comparison (absolute)
//   PEAK_PRIVATE_GROWTH, PEAK_WS_GROWTH   the same over the level before it
//   MESSAGES                message boxes the comparison showed (texts on stderr)
//
// The peak working set is the process's, kept by the system over its whole life, the
// reading before the comparison included; PEAK_WS_GROWTH (over WS_BEFORE) is therefore
// an upper bound of the comparison's own growth (PEAK_WS_BEFORE shows the peak before
// the comparison). Private bytes are PagefileUsage: Windows keeps their peak (over the
// process's life), Wine reports only the current value, so a thread samples it every few
// milliseconds during the comparison and PEAK_PRIVATE is the larger of the two
// (PEAK_PRIVATE_REPORTED and PEAK_PRIVATE_SAMPLED show both). The sampler starts before
// the level before the comparison is taken, so its own thread is not counted as growth.
//
// The benchmark installs no window: every message of the comparison is printed to
// stderr and answered with OK. Its settings live in a key of their own,
// HKEY_CURRENT_USER\Software\Velmoria\QuitawayBench.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/exceptions.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "bench_support.h"
#include "core/settings.h"
#include "platform/file_stream.h"
#include "platform/text.h"
#include "compare/compare.h"
#include "model/copy_records.h"
#include "model/data_codes.h"
#include "model/data_stream.h"
#include "result/result_file.h"
#include "snapshot/system_files.h"
#include "model/tree_model.h"
#include "model/treetool.h"

namespace {

using bench::ConsoleInteraction;
using bench::Memory;
using bench::PrivateBytesSampler;

class Stopwatch {
 public:
  Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
  }
  double Ms() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_, start_;
};

long long FileSize(const std::string& file) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!GetFileAttributesExW(platform::Utf8ToWide(file).c_str(), GetFileExInfoStandard, &info))
    return -1;
  return (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

void ExpectHeader(DataReader& r, const std::string& header, const char* expected, const char* alternative = "") {
  if (header != expected && header != alternative)
    r.Fail("unexpected header \"" + header + "\", expected \"" + expected + "\"");
}

// Reads one configuration file through, every item of every record, with no writer:
// the reading the comparison must do at least, and nothing else.
void ReadConfiguration(const std::string& fileName) {
  platform::FileStream stream(fileName, platform::FileStream::Mode::Read);
  DataReader r(stream);

  ExpectHeader(r, r.ReadString(), kRegistrationHeader);
  r.ReadListBegin();
  while (!r.EndOfList()) {
    r.ReadString();  // root key
    CopyKey(r, nullptr, 0);
  }
  r.ReadListEnd();

  const std::string drivesHeader = r.ReadString();
  ExpectHeader(r, drivesHeader, kDrivesHeader2, kDrivesHeader);
  const bool withVersion = drivesHeader == kDrivesHeader2;
  r.ReadListBegin();
  while (!r.EndOfList()) {
    r.ReadString();   // drive text
    r.ReadInteger();  // drive image
    CopyDirTree(r, nullptr, 0, withVersion);
  }
  r.ReadListEnd();

  ExpectHeader(r, r.ReadString(), kSystemFilesHeader);
  r.ReadListBegin();
  while (!r.EndOfList()) {
    const std::string name = r.ReadString();
    std::string path;
    const int kind = FileKindOf(name, path, std::string());
    CopySysTree(r, nullptr, 0, IsIniKind(kind), kind);
  }
  r.ReadListEnd();
  if (r.Remaining() != 0)
    std::fprintf(stderr, "compare_bench: %lld bytes after the last section of %s\n",
                 static_cast<long long>(r.Remaining()), fileName.c_str());
}

// What the result trees hold: nodes by state, records by status.
struct SectionCounts {
  long long added = 0, removed = 0, changed = 0;
  long long recordsNew = 0, recordsDeleted = 0, recordsOld = 0, recordsNewOfAltered = 0, recordsOther = 0;
  long long Records() const { return recordsNew + recordsDeleted + recordsOld + recordsNewOfAltered + recordsOther; }
};

// Walks a result tree; new and deleted keys and folders are expanded from the block,
// so that their nested subkeys or subfolders and their records count as well.
SectionCounts CountResult(const ResultFileInfo& info, ResultSection section, Tree& tree, bool list) {
  SectionCounts counts;
  std::vector<TreeNode*> stack;
  for (size_t i = tree.Count(); i > 0; --i) stack.push_back(tree.TopNode(i - 1));
  while (!stack.empty()) {
    TreeNode* node = stack.back();
    stack.pop_back();
    const int32_t state = StateCode(node->StateIndex());
    const bool inside = node->Parent() != nullptr && StateCode(node->Parent()->StateIndex()) == state &&
                        (state == stAdded || state == stRemoved);
    if (state == stAdded) ++counts.added;
    if (state == stRemoved) ++counts.removed;
    if (state == stMembersChanged) ++counts.changed;
    size_t records = 0;
    if (state == stAdded || state == stRemoved || state == stMembersChanged) {
      ExpandStoredNode(info, section, *node);
      const int kind = section == ResultSection::SystemFiles ? SystemKindOfNode(*node) : 0;
      for (const NodeRecord& record : ReadNodeRecords(info, section, *node, kind)) {
        switch (StateCode(record.Status)) {
          case rsNew: ++counts.recordsNew; break;
          case rsDeleted: ++counts.recordsDeleted; break;
          case rsOldOfAltered: ++counts.recordsOld; break;
          case rsNewOfAltered: ++counts.recordsNewOfAltered; break;
          default: ++counts.recordsOther; break;
        }
        ++records;
      }
      if (list && !inside)
        std::printf("CHANGED_NODE=%d %s %zu\n", state, NodePath(*node, true, false).c_str(), records);
    }
    for (size_t i = node->Count(); i > 0; --i) stack.push_back(node->Child(i - 1));
  }
  return counts;
}

int Usage(const char* message) {
  std::fprintf(stderr, "%s\nusage: compare_bench OLDFILE NEWFILE RESULTFILE [--sample-ms=5] [--list]\n", message);
  return 2;
}

int Run(int argc, wchar_t** argv) {
  std::vector<std::string> files;
  unsigned sampleMs = 5;
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = platform::WideToUtf8(argv[i]);
    if (arg.rfind("--sample-ms=", 0) == 0) {
      sampleMs = static_cast<unsigned>(std::stoul(arg.substr(12)));
    } else if (arg == "--list") {
      list = true;
    } else if (arg.rfind("--", 0) == 0) {
      return Usage(("unknown option " + arg).c_str());
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 3) return Usage("three files expected");
  const std::string& oldFile = files[0];
  const std::string& newFile = files[1];
  const std::string& resultFile = files[2];

  ConsoleInteraction console;
  struct Installed {
    explicit Installed(Interaction* i) { InstallInteraction(i); }
    ~Installed() { InstallInteraction(nullptr); }
  } installed(&console);
  OpenSettingsRegistry("Software\\Velmoria\\QuitawayBench");
  WriteBackAllSettings();

  // The selection trees as the main window holds them after the snapshot: every
  // stored root key and drive watched, no system files.
  Tree registrySelection, driveSelection, systemSelection;
  Tree registryResult, driveResult, systemResult;
  TreeNode* computer = registrySelection.AddTop(kRegistryTop);
  computer->SetStateIndex(stPartial);
  computer->SetHasChildren(true);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
    TreeNode* node = computer->AddChild(RootKeyName(root));
    node->SetStateIndex(stChecked);
    node->SetHasChildren(true);
  }
  TreeNode* drives = driveSelection.AddTop(kDrivesTop);
  drives->SetStateIndex(stPartial);
  drives->SetHasChildren(true);
  TreeNode* driveC = drives->AddChild("C:");
  driveC->SetStateIndex(stChecked);
  driveC->SetHasChildren(true);
  systemSelection.AddTop(kSystemTop)->SetStateIndex(stUnchecked);

  std::vector<std::string> noCheck;
  const KindImages images;
  ResultFileInfo info;
  const CompareTrees trees{registrySelection, driveSelection, systemSelection,
                           registryResult,    driveResult,    systemResult};

  std::printf("OLD=%s\nNEW=%s\nRESULT=%s\n", oldFile.c_str(), newFile.c_str(), resultFile.c_str());
  std::fflush(stdout);

  // Reading baseline.
  Stopwatch readClock;
  ReadConfiguration(oldFile);
  ReadConfiguration(newFile);
  const double readMs = readClock.Ms();

  // The comparison. The sampler starts first, so that the level before the call
  // includes its own thread (its stack is private memory too).
  PrivateBytesSampler sampler(sampleMs);
  Sleep(sampleMs > 0 ? 2 * sampleMs : 0);
  const PROCESS_MEMORY_COUNTERS before = Memory();
  sampler.Restart(before.PagefileUsage);
  Stopwatch compareClock;
  CompareConfigurations(oldFile, newFile, resultFile, trees, noCheck, images, info);
  const double compareMs = compareClock.Ms();
  const PROCESS_MEMORY_COUNTERS after = Memory();
  sampler.Stop();
  sampler.Note(after.PagefileUsage);

  const long long oldBytes = FileSize(oldFile);
  const long long newBytes = FileSize(newFile);
  const long long resultBytes = FileSize(resultFile);
  const unsigned long long peakPrivate = std::max<unsigned long long>(after.PeakPagefileUsage, sampler.Peak());
  const unsigned long long peakWs = after.PeakWorkingSetSize;
  auto growth = [](unsigned long long peak, unsigned long long base) { return peak > base ? peak - base : 0ull; };

  std::printf("READ_MS=%.1f\n", readMs);
  std::printf("COMPARE_MS=%.1f\n", compareMs);
  std::printf("RATIO=%.3f\n", readMs > 0 ? compareMs / readMs : 0.0);
  std::printf("OLD_BYTES=%lld\nNEW_BYTES=%lld\nRESULT_BYTES=%lld\n", oldBytes, newBytes, resultBytes);
  std::printf("REG_BLOCK_BYTES=%lld\n", static_cast<long long>(info.DriveTreePos - info.RegistryBlockStart));
  std::printf("DRIVE_BLOCK_BYTES=%lld\n", static_cast<long long>(info.SystemTreePos - info.DriveBlockStart));
  std::printf("SYSTEM_BLOCK_BYTES=%lld\n", resultBytes - static_cast<long long>(info.SystemBlockStart));
  std::printf("PRIVATE_BEFORE=%llu\n", static_cast<unsigned long long>(before.PagefileUsage));
  std::printf("WS_BEFORE=%llu\n", static_cast<unsigned long long>(before.WorkingSetSize));
  std::printf("PEAK_WS_BEFORE=%llu\n", static_cast<unsigned long long>(before.PeakWorkingSetSize));
  std::printf("PEAK_PRIVATE_REPORTED=%llu\n", static_cast<unsigned long long>(after.PeakPagefileUsage));
  std::printf("PEAK_PRIVATE_SAMPLED=%llu\n", sampler.Peak());
  std::printf("PEAK_PRIVATE=%llu\n", peakPrivate);
  std::printf("PEAK_PRIVATE_GROWTH=%llu\n", growth(peakPrivate, before.PagefileUsage));
  std::printf("PEAK_WS=%llu\n", peakWs);
  std::printf("PEAK_WS_GROWTH=%llu\n", growth(peakWs, before.WorkingSetSize));
  std::printf("MESSAGES=%d\n", console.Count());
  std::fflush(stdout);

  // What the comparison found, read back from the result file (not timed).
  const SectionCounts reg = CountResult(info, ResultSection::Registry, registryResult, list);
  const SectionCounts drv = CountResult(info, ResultSection::Drives, driveResult, list);
  const SectionCounts sys = CountResult(info, ResultSection::SystemFiles, systemResult, list);
  std::printf("REG_KEYS_NEW=%lld\nREG_KEYS_DELETED=%lld\nREG_KEYS_CHANGED=%lld\n", reg.added, reg.removed,
              reg.changed);
  std::printf("REG_VALUES_NEW=%lld\nREG_VALUES_DELETED=%lld\nREG_VALUES_ALTERED=%lld\n", reg.recordsNew,
              reg.recordsDeleted, reg.recordsOld);
  std::printf("FOLDERS_NEW=%lld\nFOLDERS_DELETED=%lld\nFOLDERS_CHANGED=%lld\n", drv.added, drv.removed,
              drv.changed);
  std::printf("FILES_NEW=%lld\nFILES_DELETED=%lld\nFILES_ALTERED=%lld\n", drv.recordsNew, drv.recordsDeleted,
              drv.recordsOld);
  std::printf("SYSTEM_NODES_CHANGED=%lld\nSYSTEM_RECORDS=%lld\n", sys.added + sys.removed + sys.changed,
              sys.Records());
  if (reg.recordsOld != reg.recordsNewOfAltered || drv.recordsOld != drv.recordsNewOfAltered ||
      reg.recordsOther + drv.recordsOther > 0)
    std::fprintf(stderr, "compare_bench: unpaired or unknown records in the result\n");
  std::printf("RECORDS=%lld\n", reg.Records() + drv.Records() + sys.Records());
  std::fflush(stdout);

  CloseSettingsRegistry();
  return resultBytes >= 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::printf("ERROR=%s\n", e.what());
    std::fprintf(stderr, "compare_bench: %s\n", e.what());
    return 1;
  }
}
