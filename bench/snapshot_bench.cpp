// Time and memory of one snapshot (WriteConfiguration) of registry roots and drives.
//   snapshot_bench [OUTFILE] [--reg=HKLM,HKCU,HKU] [--drives=C] [--sample-ms=5] [--threads=N]
//
// OUTFILE    the configuration file to write (default: snapshot_bench.dat in the
//            temporary folder; replaced, kept after the run)
// --reg=     root keys to check below "Arbeitsplatz", short or long names, comma
//            separated; empty for none (default HKLM,HKCU,HKU)
// --drives=  drive letters to check below "Laufwerke"; empty for none (default C)
// --sample-ms= interval of the private-bytes sampler, 0 to switch it off (default 5)
// --threads= threads of the registry walk (default: as the program chooses, by the
//            processor count)
//
// Prints KEY=value lines (numbers without separators) for scripts:
//   MS                     wall time of WriteConfiguration (QueryPerformanceCounter)
//   THREADS                threads of the registry walk
//   FILE_BYTES             size of the written file
//   PRIVATE_BEFORE, WS_BEFORE          private bytes and working set before the call
//   PEAK_PRIVATE, PEAK_WS              peaks during the call (absolute)
//   PEAK_PRIVATE_GROWTH, PEAK_WS_GROWTH   the same over the level before the call
//   *_PER_FILE             the four peak figures divided by FILE_BYTES
//   MESSAGES               message boxes the snapshot showed (texts on stderr)
//
// Private bytes: Windows keeps PeakPagefileUsage itself; Wine reports the current
// value there, so a sampler thread also reads PagefileUsage every few milliseconds and
// PEAK_PRIVATE is the larger of the two (PEAK_PRIVATE_REPORTED and
// PEAK_PRIVATE_SAMPLED show both). The peak working set is kept by the system on both.
//
// The benchmark installs no window: every message the snapshot shows is printed to
// stderr and answered with OK. Its settings live in a key of their own,
// HKEY_CURRENT_USER\Software\Velmoria\QuitawayBench.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/identity.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "bench_support.h"
#include "core/settings.h"
#include "platform/text.h"
#include "snapshot/configuration.h"
#include "snapshot/registry_snapshot.h"
#include "model/tree_model.h"

namespace {

using bench::ConsoleInteraction;
using bench::Memory;
using bench::PrivateBytesSampler;

// Check states of the selection trees.
constexpr int32_t kUnchecked = 3;
constexpr int32_t kChecked = 4;
constexpr int32_t kPartial = 5;

std::string TempFile() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  std::string folder = n > 0 && n <= MAX_PATH ? platform::WideToUtf8(buffer) : std::string(".\\");
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder + "snapshot_bench.dat";
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    if (comma > start) items.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return items;
}

long long FileSize(const std::string& file) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!GetFileAttributesExW(platform::Utf8ToWide(file).c_str(), GetFileExInfoStandard, &info))
    return -1;
  return (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

void Ratio(const char* key, unsigned long long value, long long fileBytes) {
  if (fileBytes > 0)
    std::printf("%s=%.3f\n", key, static_cast<double>(value) / static_cast<double>(fileBytes));
  else
    std::printf("%s=n/a\n", key);
}

int Usage(const char* message) {
  std::fprintf(stderr, "%s\nusage: snapshot_bench [OUTFILE] [--reg=HKLM,HKCU,HKU] [--drives=C] "
                       "[--sample-ms=5] [--threads=N]\n", message);
  return 2;
}

int Run(int argc, wchar_t** argv) {
  std::string outFile;
  std::vector<std::string> roots = {"HKLM", "HKCU", "HKU"};
  std::string drives = "C";
  unsigned sampleMs = 5;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = platform::WideToUtf8(argv[i]);
    if (arg.rfind("--reg=", 0) == 0) {
      roots = SplitList(arg.substr(6));
    } else if (arg.rfind("--drives=", 0) == 0) {
      drives.clear();
      for (char c : arg.substr(9))
        if (c != ',' && c != ':') drives += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    } else if (arg.rfind("--sample-ms=", 0) == 0) {
      sampleMs = static_cast<unsigned>(std::stoul(arg.substr(12)));
    } else if (arg.rfind("--threads=", 0) == 0) {
      SetRegistryWalkThreads(static_cast<unsigned>(std::stoul(arg.substr(10))));
    } else if (arg.rfind("--", 0) == 0) {
      return Usage(("unknown option " + arg).c_str());
    } else if (outFile.empty()) {
      outFile = arg;
    } else {
      return Usage("more than one output file");
    }
  }
  if (outFile.empty()) outFile = TempFile();

  ConsoleInteraction console;
  struct Installed {
    explicit Installed(Interaction* i) { InstallInteraction(i); }
    ~Installed() { InstallInteraction(nullptr); }
  } installed(&console);
  OpenSettingsRegistry("Software\\Velmoria\\QuitawayBench");
  WriteBackAllSettings();

  // The three selection trees as the main window holds them.
  Tree registryTree, driveTree, systemTree;
  TreeNode* computer = registryTree.AddTop("Arbeitsplatz");
  computer->SetStateIndex(kPartial);
  computer->SetHasChildren(true);
  std::string rootNames;
  for (const std::string& root : roots) {
    const int index = RootKeyIndex(root);
    if (index < 0) return Usage(("unknown root key " + root).c_str());
    const std::string name = RootKeyName(RootKeyByIndex(index));
    TreeNode* node = computer->AddChild(name);
    node->SetStateIndex(kChecked);
    node->SetHasChildren(true);
    rootNames += (rootNames.empty() ? "" : ",") + name;
  }
  if (roots.empty()) computer->SetStateIndex(kUnchecked);

  TreeNode* drivesTop = driveTree.AddTop("Laufwerke");
  drivesTop->SetStateIndex(drives.empty() ? kUnchecked : kPartial);
  drivesTop->SetHasChildren(true);
  std::string driveNames;
  for (char letter : drives) {
    TreeNode* node = drivesTop->AddChild(std::string(1, letter) + ":");
    node->SetStateIndex(kChecked);
    node->SetHasChildren(true);
    driveNames += (driveNames.empty() ? "" : ",") + node->Text();
  }

  systemTree.AddTop("Systemdateien")->SetStateIndex(kUnchecked);

  std::printf("FILE=%s\nROOTS=%s\nDRIVES=%s\n", outFile.c_str(), rootNames.c_str(), driveNames.c_str());
  std::fflush(stdout);

  // The sampler thread starts first, so that its own stack is not counted as growth.
  PrivateBytesSampler sampler(sampleMs);
  const PROCESS_MEMORY_COUNTERS before = Memory();
  sampler.Note(before.PagefileUsage);
  LARGE_INTEGER frequency, t0, t1;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&t0);
  WriteConfiguration(outFile, registryTree, driveTree, systemTree);
  QueryPerformanceCounter(&t1);
  const PROCESS_MEMORY_COUNTERS after = Memory();
  sampler.Stop();
  sampler.Note(after.PagefileUsage);

  const double ms = static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 /
                    static_cast<double>(frequency.QuadPart);
  const long long fileBytes = FileSize(outFile);
  const unsigned long long peakPrivate = std::max<unsigned long long>(after.PeakPagefileUsage, sampler.Peak());
  const unsigned long long peakWs = after.PeakWorkingSetSize;
  auto growth = [](unsigned long long peak, unsigned long long base) { return peak > base ? peak - base : 0ull; };
  const unsigned long long privateGrowth = growth(peakPrivate, before.PagefileUsage);
  const unsigned long long wsGrowth = growth(peakWs, before.WorkingSetSize);

  std::printf("MS=%.1f\n", ms);
  std::printf("THREADS=%u\n", RegistryWalkThreads());
  std::printf("FILE_BYTES=%lld\n", fileBytes);
  std::printf("PRIVATE_BEFORE=%llu\n", static_cast<unsigned long long>(before.PagefileUsage));
  std::printf("WS_BEFORE=%llu\n", static_cast<unsigned long long>(before.WorkingSetSize));
  std::printf("PEAK_WS_BEFORE=%llu\n", static_cast<unsigned long long>(before.PeakWorkingSetSize));
  std::printf("PEAK_PRIVATE_REPORTED=%llu\n", static_cast<unsigned long long>(after.PeakPagefileUsage));
  std::printf("PEAK_PRIVATE_SAMPLED=%llu\n", sampler.Peak());
  std::printf("PEAK_PRIVATE=%llu\n", peakPrivate);
  std::printf("PEAK_PRIVATE_GROWTH=%llu\n", privateGrowth);
  std::printf("PEAK_WS=%llu\n", peakWs);
  std::printf("PEAK_WS_GROWTH=%llu\n", wsGrowth);
  Ratio("PEAK_PRIVATE_PER_FILE", peakPrivate, fileBytes);
  Ratio("PEAK_PRIVATE_GROWTH_PER_FILE", privateGrowth, fileBytes);
  Ratio("PEAK_WS_PER_FILE", peakWs, fileBytes);
  Ratio("PEAK_WS_GROWTH_PER_FILE", wsGrowth, fileBytes);
  std::printf("MESSAGES=%d\n", console.Count());
  std::fflush(stdout);

  CloseSettingsRegistry();
  return fileBytes >= 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::printf("ERROR=%s\n", e.what());
    std::fprintf(stderr, "snapshot_bench: %s\n", e.what());
    return 1;
  }
}
