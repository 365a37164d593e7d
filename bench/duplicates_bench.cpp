// Time of the duplicate finder (FindDuplicates, both criteria) on a synthetic tree,
// made by the benchmark itself: folders with files whose names repeat across folders,
// in groups of copies (some large groups, some pairs that differ only in their last
// byte, some large files).
//   duplicates_bench FOLDER [FILES]
//
// FOLDER  a folder of the prefix to fill (made, and left for a second tool to read)
// FILES   about how many files (default 20000)
//
// Prints KEY=value lines:
//   FILES, FOLDERS, BYTES        the tree
//   DATE_MS, DATE_GROUPS, DATE_DUPLICATES           criterion "Name, Größe, Datum"
//   CONTENT_MS, CONTENT_GROUPS, CONTENT_DUPLICATES  criterion "Name, Größe, Inhalt"
//   BARE_READ_MS   every file of the tree opened and read through once with bare calls
//                  (CreateFileW, ReadFile in blocks of 102400 bytes, CloseHandle): the
//                  least the content criterion can take here
// Settings live in HKEY_CURRENT_USER\Software\Velmoria\QuitawayBench.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/text.h"
#include "tools/duplicates.h"

namespace {

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Names repeat across 20 folders; name n's copies share their bytes, except that every
// seventh name's last copy differs in its last byte; every hundredth name is 1 MB.
uint64_t MakeTree(const std::string& root, int files) {
  constexpr int kFolders = 20;
  const int names = files / kFolders;
  uint64_t bytes = 0;
  CreateDirectoryW(platform::Utf8ToWide(root).c_str(), nullptr);
  for (int f = 0; f < kFolders; ++f)
    CreateDirectoryW(platform::Utf8ToWide(root + "ordner" + std::to_string(f)).c_str(), nullptr);
  std::string content;
  for (int n = 0; n < names; ++n) {
    const size_t size = n % 100 == 0 ? 1 << 20 : 1024 + static_cast<size_t>(n % 61) * 512;
    content.assign(size, static_cast<char>('a' + n % 26));
    for (int f = 0; f < kFolders; ++f) {
      if (n % 7 == 0 && f == kFolders - 1) content.back() = '!';
      const std::string path = root + "ordner" + std::to_string(f) + "\\datei" + std::to_string(n) + ".dat";
      HANDLE h = CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      DWORD written = 0;
      WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
      CloseHandle(h);
      bytes += size;
    }
  }
  return bytes;
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: duplicates_bench FOLDER [FILES]\n");
    return 2;
  }
  std::string root = platform::WideToUtf8(argv[1]);
  if (root.back() != '\\') root += '\\';
  const int files = argc > 2 ? _wtoi(argv[2]) : 20000;
  bench::ConsoleInteraction console;
  InstallInteraction(&console);
  OpenSettingsRegistry("Software\\Velmoria\\QuitawayBench");
  WriteBackAllSettings();
  const uint64_t bytes = MakeTree(root, files);
  // The tree ticked down to the folder.
  Tree tree;
  std::vector<std::string> path = {kDrivesTop};
  for (size_t at = 0, slash; (slash = root.find('\\', at)) != std::string::npos; at = slash + 1)
    path.push_back(root.substr(at, slash - at));
  TreeNode* node = FindOrCreatePath(path, tree, 0, stChecked, 0);
  for (TreeNode* up = node->Parent(); up != nullptr; up = up->Parent()) up->SetStateIndex(stPartial);
  const struct {
    const char* name;
    DuplicateCriterion criterion;
  } criteria[] = {{"DATE", DuplicateCriterion::NameSizeDate}, {"CONTENT", DuplicateCriterion::NameSizeContent}};
  for (const auto& c : criteria) {
    const double start = NowMs();
    const DuplicateResult r = FindDuplicates(tree, c.criterion);
    const double took = NowMs() - start;
    if (c.criterion == DuplicateCriterion::NameSizeDate)
      std::printf("FILES=%d\nFOLDERS=%d\nBYTES=%llu\n", r.Files, r.Folders, static_cast<unsigned long long>(bytes));
    std::printf("%s_MS=%.0f\n%s_GROUPS=%zu\n%s_DUPLICATES=%d\n", c.name, took, c.name, r.Groups.size(), c.name,
                r.Duplicates);
  }
  // The bare loop: what opening and reading every file costs on this system.
  static char block[102400];
  const double start = NowMs();
  for (int f = 0; f < 20; ++f)
    for (int n = 0; n < files / 20; ++n) {
      const std::string file = root + "ordner" + std::to_string(f) + "\\datei" + std::to_string(n) + ".dat";
      HANDLE h = CreateFileW(platform::Utf8ToWide(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             0, nullptr);
      DWORD read = 0;
      while (ReadFile(h, block, sizeof block, &read, nullptr) && read > 0) {
      }
      CloseHandle(h);
    }
  std::printf("BARE_READ_MS=%.0f\n", NowMs() - start);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "duplicates_bench: %s\n", e.what());
    return 1;
  }
}
