// Time to open a log and to show its parts as the log page does, for a small log and
// a large one: loading the trees (LoadResultFile), expanding a new key whose subkeys
// are read from its stored copy (ExpandStoredNode), and reading one key's values for
// the list beside the tree (ReadNodeRecords). The views read only what they show, so
// the large log should take about as long as the small one.
//   log_view_bench [CHANGES]
//
// CHANGES  about how many changes the large log holds (default 100000): new registry
//          keys below HKEY_CURRENT_USER\Software\QuitawayLogViewBench, in groups of 100
//          keys with 99 values each (the small log: one group with one key)
//
// Prints KEY=value lines, for the small log (SMALL_) and the large one (LARGE_):
//   _CHANGES        keys and values in the log
//   _LOG_BYTES      size of the log
//   _LOAD_MS        LoadResultFile
//   _EXPAND_ROOT_MS the new root key expanded: its groups
//   _EXPAND_GROUP_MS the first group expanded: its keys
//   _SELECT_MS      the first key's values read
// Each time is the best of five runs. Settings live in
// HKEY_CURRENT_USER\Software\Velmoria\QuitawayBench.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "compare/compare.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "model/data_codes.h"
#include "model/tree_model.h"
#include "model/treetool.h"
#include "platform/text.h"
#include "result/result_file.h"
#include "snapshot/configuration.h"

namespace {

const wchar_t kLoadKey[] = L"Software\\QuitawayLogViewBench";

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// groups x 100 keys (one key for the small log), 99 values each.
void MakeLoad(int groups, int keysPerGroup) {
  for (int g = 0; g < groups; ++g)
    for (int k = 0; k < keysPerGroup; ++k) {
      const std::wstring path =
          std::wstring(kLoadKey) + L"\\Group" + std::to_wstring(g) + L"\\Key" + std::to_wstring(k);
      HKEY key = nullptr;
      RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
      for (int v = 0; v < 99; ++v) {
        const DWORD data = static_cast<DWORD>(v);
        RegSetValueExW(key, (L"Value" + std::to_wstring(v)).c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&data), 4);
      }
      RegCloseKey(key);
    }
}

struct Trees {
  Tree regSel, driveSel, sysSel, regResult, driveResult, sysResult;
  std::vector<std::string> noCheck;
};

void Watch(Trees& t) {
  TreeNode* reg = t.regSel.AddTop(kRegistryTop);
  reg->SetStateIndex(stPartial);
  reg->AddChild("HKEY_CURRENT_USER")->SetStateIndex(stChecked);
  t.driveSel.AddTop(kDrivesTop);
  t.sysSel.AddTop(kSystemTop);
}

// One log made and measured; prefix names the lines.
void Measure(const char* prefix, int groups, int keysPerGroup, const std::string& folder) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kLoadKey);
  Trees t;
  Watch(t);
  const std::string log = folder + "logview.TSL";
  WriteConfiguration(folder + "logview-old.TSD", t.regSel, t.driveSel, t.sysSel);
  MakeLoad(groups, keysPerGroup);
  WriteConfiguration(folder + "logview-new.TSD", t.regSel, t.driveSel, t.sysSel);
  ResultFileInfo info;
  CompareConfigurations(folder + "logview-old.TSD", folder + "logview-new.TSD", log,
                        {t.regSel, t.driveSel, t.sysSel, t.regResult, t.driveResult, t.sysResult}, t.noCheck,
                        KindImages{}, info);
  RegDeleteTreeW(HKEY_CURRENT_USER, kLoadKey);

  // Five runs as the log page does them; the best time of each step counts.
  const std::string rootPath = "HKEY_CURRENT_USER\\" + platform::WideToUtf8(kLoadKey);
  double loadMs = 1e30, rootMs = 1e30, groupMs = 1e30, selectMs = 1e30;
  auto timed = [](double& best, const std::function<void()>& step) {
    const double start = NowMs();
    step();
    best = std::min(best, NowMs() - start);
  };
  for (int i = 0; i < 5; ++i) {
    Trees view;
    timed(loadMs, [&] {
      LoadResultFile(log, view.regSel, view.driveSel, view.regResult, view.driveResult, view.sysSel, view.sysResult,
                     view.noCheck, KindImages{}, info);
    });
    TreeNode* root = FindNodeByPath(rootPath, view.regResult, false, false);
    if (root == nullptr) throw std::runtime_error("the new key is not in the log");
    timed(rootMs, [&] { ExpandStoredNode(info, ResultSection::Registry, *root); });
    if (root->Count() != static_cast<size_t>(groups)) throw std::runtime_error("the groups are not all there");
    TreeNode* group = root->Child(0);
    timed(groupMs, [&] { ExpandStoredNode(info, ResultSection::Registry, *group); });
    if (group->Count() != static_cast<size_t>(keysPerGroup)) throw std::runtime_error("the keys are not all there");
    size_t values = 0;
    timed(selectMs, [&] { values = ReadNodeRecords(info, ResultSection::Registry, *group->Child(0)).size(); });
    if (values != 99) throw std::runtime_error("the values are not all there");
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(platform::Utf8ToWide(log).c_str(), GetFileExInfoStandard, &data);
  std::printf("%s_CHANGES=%d\n%s_LOG_BYTES=%lu\n", prefix, groups * keysPerGroup * 100, prefix, data.nFileSizeLow);
  std::printf("%s_LOAD_MS=%.2f\n%s_EXPAND_ROOT_MS=%.2f\n%s_EXPAND_GROUP_MS=%.2f\n%s_SELECT_MS=%.2f\n", prefix, loadMs,
              prefix, rootMs, prefix, groupMs, prefix, selectMs);
  for (const char* f : {"logview-old.TSD", "logview-new.TSD", "logview.TSL"})
    DeleteFileW(platform::Utf8ToWide(folder + f).c_str());
}

int Run(int argc, wchar_t** argv) {
  const int changes = argc > 1 ? _wtoi(argv[1]) : 100000;
  if (changes < 10000) {
    std::fprintf(stderr, "usage: log_view_bench [CHANGES>=10000]\n");
    return 2;
  }
  bench::ConsoleInteraction console;
  InstallInteraction(&console);
  OpenSettingsRegistry("Software\\Velmoria\\QuitawayBench");
  WriteBackAllSettings();
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::string folder = platform::WideToUtf8(temp);
  Measure("SMALL", 1, 1, folder);
  Measure("LARGE", std::max(1, changes / 100 / 100), 100, folder);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "log_view_bench: %s\n", e.what());
    return 1;
  }
}
