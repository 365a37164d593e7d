// Time of the duplicate finder (FindDuplicates, both criteria) on a synthetic tree,
// made by the benchmark itself: 20 folders with files whose names repeat across the
// folders, in groups of copies (some pairs that differ only in their last byte, some
// large files).
//   duplicates_bench FOLDER [FILES] [LOAD] [make]
//
// FOLDER  a folder of the prefix to fill (made, and left for a second tool to read)
// FILES   about how many files (default 20000)
// LOAD    "all": every name in all 20 folders, so every file is a candidate (default);
//         "mixed": a quarter of the files so, the rest with names of their own but
//         sizes that many others share (what a disk looks like more often)
// make    only make the tree (so that the host writes it out before the timed run,
//         which then reads the tree already there)
//
// Prints KEY=value lines:
//   FILES, FOLDERS, BYTES        the tree
//   DATE_MS, DATE_GROUPS, DATE_DUPLICATES           criterion "Name, Größe, Datum"
//   CONTENT_MS, CONTENT_GROUPS, CONTENT_DUPLICATES  criterion "Name, Größe, Inhalt"
//   BARE_READ_MS   every candidate (a file whose name is in all folders) opened and read
//                  through once with bare calls (CreateFileW, ReadFile in blocks of
//                  102400 bytes, CloseHandle), one thread
//   BARE_READ_THREADS_MS  the same loop shared among as many threads as the finder
//                  uses: the least the content criterion can take here
// Settings live in HKEY_CURRENT_USER\Software\Velmoria\QuitawayBench.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
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

constexpr int kFolders = 20;

std::string CopyPath(const std::string& root, int folder, int name) {
  return root + "ordner" + std::to_string(folder) + "\\datei" + std::to_string(name) + ".dat";
}

void Write(const std::string& path, const std::string& content) {
  HANDLE h = CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(h);
}

size_t SizeOf(int n) { return n % 100 == 0 ? 1 << 20 : 1024 + static_cast<size_t>(n % 61) * 512; }

// Name n's copies share their bytes, except that every seventh name's last copy differs
// in its last byte; every hundredth name is 1 MB. With `shared` names in all folders,
// the rest of the files get names of their own, their sizes from the same few.
uint64_t MakeTree(const std::string& root, int files, int shared) {
  uint64_t bytes = 0;
  CreateDirectoryW(platform::Utf8ToWide(root).c_str(), nullptr);
  for (int f = 0; f < kFolders; ++f)
    CreateDirectoryW(platform::Utf8ToWide(root + "ordner" + std::to_string(f)).c_str(), nullptr);
  std::string content;
  for (int n = 0; n < shared; ++n) {
    content.assign(SizeOf(n), static_cast<char>('a' + n % 26));
    for (int f = 0; f < kFolders; ++f) {
      if (n % 7 == 0 && f == kFolders - 1) content.back() = '!';
      Write(CopyPath(root, f, n), content);
      bytes += content.size();
    }
  }
  for (int i = 0; i < files - shared * kFolders; ++i) {
    content.assign(SizeOf(i + 1), 'e');
    content.replace(0, 12, std::to_string(1000000000000 + i));  // unlike every other file from its start
    Write(root + "ordner" + std::to_string(i % kFolders) + "\\einzeln" + std::to_string(i) + ".dat", content);
    bytes += content.size();
  }
  return bytes;
}

// Every candidate opened and read through once, shared among `threads` threads.
double BareRead(const std::string& root, int shared, unsigned threads) {
  std::atomic<int> next{0};
  const double start = NowMs();
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t)
    pool.emplace_back([&] {
      std::vector<char> block(102400);
      for (int i; (i = next++) < shared * kFolders;) {
        HANDLE h = CreateFileW(platform::Utf8ToWide(CopyPath(root, i % kFolders, i / kFolders)).c_str(), GENERIC_READ,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD read = 0;
        while (ReadFile(h, block.data(), static_cast<DWORD>(block.size()), &read, nullptr) && read > 0) {
        }
        CloseHandle(h);
      }
    });
  for (std::thread& t : pool) t.join();
  return NowMs() - start;
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: duplicates_bench FOLDER [FILES] [all|mixed]\n");
    return 2;
  }
  std::string root = platform::WideToUtf8(argv[1]);
  if (root.back() != '\\') root += '\\';
  const int files = argc > 2 ? _wtoi(argv[2]) : 20000;
  const bool mixed = argc > 3 && std::wstring(argv[3]) == L"mixed";
  const int shared = (mixed ? files / 4 : files) / kFolders;
  bench::ConsoleInteraction console;
  InstallInteraction(&console);
  OpenSettingsRegistry("Software\\Velmoria\\QuitawayBench");
  WriteBackAllSettings();
  const bool makeOnly = argc > 4 && std::wstring(argv[4]) == L"make";
  if (makeOnly) {
    const uint64_t bytes = MakeTree(root, files, shared);
    std::printf("FILES=%d\nBYTES=%llu\n", files, static_cast<unsigned long long>(bytes));
    return 0;
  }
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
      std::printf("FOUND_FILES=%d\nFOLDERS=%d\n", r.Files, r.Folders);
    std::printf("%s_MS=%.0f\n%s_GROUPS=%zu\n%s_DUPLICATES=%d\n", c.name, took, c.name, r.Groups.size(), c.name,
                r.Duplicates);
  }
  // The bare loops: what opening and reading the candidates costs on this system.
  std::printf("BARE_READ_MS=%.0f\n", BareRead(root, shared, 1));
  std::printf("BARE_READ_THREADS_MS=%.0f\n", BareRead(root, shared, CompareThreads()));
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
