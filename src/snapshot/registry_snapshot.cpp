#include "snapshot/registry_snapshot.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "core/registry.h"
#include "snapshot/registry_walk.h"

namespace {
std::atomic<unsigned> g_walk_threads{0};
}  // namespace

void SetRegistryWalkThreads(unsigned threads) { g_walk_threads = threads; }

unsigned RegistryWalkThreads() {
  if (const unsigned set = g_walk_threads) return set;
  return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

void WriteRegistryKey(DataWriter& writer, HKEY key, const std::string& path, bool showRegistryErrors,
                      SnapshotReport& report) {
  RegistryWalk walk(writer, showRegistryErrors, report);
  walk.Key(key, path);
}

size_t WriteRegistryRoots(DataWriter& writer, const std::vector<RegistryRoot>& roots, bool showRegistryErrors,
                          SnapshotReport& report, unsigned threads) {
  if (threads > 1 && !roots.empty())
    return WriteRegistryRootsOnPool(writer, roots, showRegistryErrors, report, threads);
  for (const RegistryRoot& root : roots) {
    report.ProgressMax = 0;
    report.ProgressPos = 0;
    report.StatusText = std::string(" Registry:").append(root.name);
    report.Update();
    writer.WriteString(root.name);
    if (root.key == nullptr) {  // not a root key of this system: stored empty
      writer.WriteInteger(0);
      writer.WriteInteger(0);
      continue;
    }
    WriteRegistryKey(writer, root.key, "", showRegistryErrors, report);
  }
  return 0;
}

void WriteRegistrySection(DataWriter& writer, const std::vector<std::string>& rootKeys,
                          bool showRegistryErrors, SnapshotReport& report) {
  std::vector<RegistryRoot> roots;
  for (const std::string& name : rootKeys) roots.push_back({name, RootKeyByIndex(RootKeyIndex(name))});
  writer.WriteListBegin();
  WriteRegistryRoots(writer, roots, showRegistryErrors, report, RegistryWalkThreads());
  writer.WriteListEnd();
}
