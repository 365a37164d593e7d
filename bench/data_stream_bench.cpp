// Throughput of the item stream and of tree blocks, through real files.
//   data_stream_bench [FOLDER]     (default: the temporary folder)
// Prints one line per measurement: what, count, milliseconds, rate.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/file_stream.h"
#include "platform/text.h"
#include "model/data_stream.h"
#include "model/treetool.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Report(const char* what, long long count, double ms, long long bytes) {
  std::printf("%-34s %10lld items %9.1f ms %8.2f M items/s %8.1f MB/s\n", what, count, ms,
              count / ms / 1000.0, bytes / ms / 1000.0);
}

// A snapshot-like stream: a name, a status and a small number per entry.
void ItemStream(const std::string& file, int entries) {
  auto t0 = Clock::now();
  long long bytes = 0;
  {
    platform::FileStream out(file, platform::FileStream::Mode::Create);
    DataWriter w(out);
    for (int i = 0; i < entries; ++i) {
      w.WriteString("Eintrag_" + std::to_string(i) + "_Größe");
      w.WriteInteger(21);
      w.WriteInteger(i);
    }
    w.Flush();
    bytes = w.Position();
  }
  Report("write name+status+number", 3LL * entries, Ms(t0), bytes);

  t0 = Clock::now();
  long long sum = 0;
  {
    platform::FileStream in(file, platform::FileStream::Mode::Read);
    DataReader r(in);
    for (int i = 0; i < entries; ++i) {
      sum += static_cast<long long>(r.ReadString().size());
      sum += r.ReadInteger();
      sum += r.ReadInteger();
    }
  }
  Report("read name+status+number", 3LL * entries, Ms(t0), bytes);
  if (sum == 0) std::printf("(checksum 0)\n");
}

// A result-tree-like block: wide folders two levels deep.
void TreeBlocks(const std::string& file, int width) {
  Tree tree;
  TreeNode* top = tree.AddTop("Laufwerke");
  for (int i = 0; i < width; ++i) {
    TreeNode* folder = top->AddChild("Ordner " + std::to_string(i));
    folder->SetStateIndex(8);
    for (int k = 0; k < width; ++k) folder->AddChild("Datei " + std::to_string(k))->SetStateIndex(6);
  }
  const long long nodes = 1LL + width + 1LL * width * width;
  auto t0 = Clock::now();
  SaveTree(file, nullptr, tree, false, true, true);
  const double saveMs = Ms(t0);
  WIN32_FILE_ATTRIBUTE_DATA info{};
  GetFileAttributesExW(platform::Utf8ToWide(file).c_str(), GetFileExInfoStandard, &info);
  const long long bytes = info.nFileSizeLow;
  Report("SaveTree (nodes)", nodes, saveMs, bytes);

  Tree loaded;
  t0 = Clock::now();
  LoadTree(file, nullptr, loaded, true);
  Report("LoadTree (nodes)", nodes, Ms(t0), bytes);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (argc > 1) {
    folder = argv[1];
  } else {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, temp);
    folder = platform::WideToUtf8(temp);
  }
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  const std::string file = folder + "qw_bench.dat";
  ItemStream(file, 1000000);
  TreeBlocks(file, 700);
  DeleteFileW(platform::Utf8ToWide(file).c_str());
  return 0;
}
