#include "tools/duplicates.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "platform/files.h"
#include "platform/names.h"
#include "platform/text.h"
#include "removal/recyc.h"
#include "tools/ticked_tree.h"

namespace {

constexpr size_t kBlock = 102400;  // bytes read from each file at a time

std::string NameOf(const FoundFile& f) { return f.Path.substr(f.Path.find_last_of('\\') + 1); }

uint64_t FileTimeOf(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// Collects the files of the ticked drives and folders.
class Collector {
 public:
  Collector(TickedTree& tree, std::vector<FoundFile>& files, DuplicateResult& result,
            const std::function<void(const DuplicateProgress&)>& progress)
      : tree_(tree), files_(files), result_(result), progress_(progress) {}

  void Walk(const std::string& folder, bool consultTree) {
    ++result_.Folders;
    std::vector<std::pair<std::string, bool>> subfolders;  // name, partly ticked
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(platform::LongPath(platform::Utf8ToWide(folder + "*.*")).c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {  // a folder that cannot be read holds nothing
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;  // a link leads anywhere
          const std::string n = platform::WideToUtf8(name);
          const int32_t state = consultTree ? tree_.StateOf(n) : stChecked;
          if (state == stChecked || state == stPartial) subfolders.emplace_back(n, state == stPartial);
          continue;
        }
        files_.push_back({folder + platform::WideToUtf8(name),
                          platform::PackedLocalTime(FileTimeOf(found.ftLastWriteTime)),
                          (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                          static_cast<int32_t>(found.dwFileAttributes)});
        if (++result_.Files % 100 == 0) Tick();
      } while (FindNextFileW(h, &found));
      FindClose(h);
    }
    for (const auto& [name, partly] : subfolders) {
      tree_.Enter(name);
      Walk(folder + name + "\\", partly);
      tree_.Leave();
    }
  }

 private:
  void Tick() {
    if (progress_) progress_({"", result_.Files, result_.Folders, 0});
    UI().ProcessMessages();
    if (UI().CancelRequested()) throw EMyAbort();
  }

  TickedTree& tree_;
  std::vector<FoundFile>& files_;
  DuplicateResult& result_;
  const std::function<void(const DuplicateProgress&)>& progress_;
};

// An open file read block by block.
struct Reader {
  size_t file;  // index into the candidates
  HANDLE handle;
  std::unique_ptr<char[]> block;
  DWORD length = 0;
};

void Close(Reader& r) {
  if (r.handle != INVALID_HANDLE_VALUE) CloseHandle(r.handle);
  r.handle = INVALID_HANDLE_VALUE;
}

// Files of one name and size, split into the sets with equal bytes: all are read side
// by side, one block each, and each set is split by what the block holds. A file that
// cannot be read counts as different from every other.
std::vector<std::vector<size_t>> SameBytes(const std::vector<FoundFile>& files, const std::vector<size_t>& candidates) {
  // A set of thousands of small files (desktop.ini) gets blocks of their size, so
  // that the set's buffers stay small.
  const size_t block = candidates.size() <= 64
                           ? kBlock
                           : static_cast<size_t>(std::min<uint64_t>(kBlock, files[candidates.front()].Size + 1));
  std::vector<std::vector<Reader>> sets(1);
  for (size_t i : candidates) {
    HANDLE h = CreateFileW(platform::LongPath(platform::Utf8ToWide(files[i].Path)).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h != INVALID_HANDLE_VALUE) sets[0].push_back({i, h, std::make_unique<char[]>(block)});
  }
  std::vector<std::vector<size_t>> equal;
  while (!sets.empty()) {
    std::vector<std::vector<Reader>> next;
    for (auto& set : sets) {
      if (set.size() < 2) {
        for (Reader& r : set) Close(r);
        continue;
      }
      for (Reader& r : set)
        if (!ReadFile(r.handle, r.block.get(), static_cast<DWORD>(block), &r.length, nullptr)) r.length = MAXDWORD;
      // Split by length and bytes: each reader joins the first part whose block matches.
      std::vector<std::vector<Reader>> parts;
      for (Reader& r : set) {
        if (r.length == MAXDWORD) {  // a read error: this file matches nothing
          Close(r);
          continue;
        }
        auto part = std::find_if(parts.begin(), parts.end(), [&](const std::vector<Reader>& p) {
          return p.front().length == r.length && std::memcmp(p.front().block.get(), r.block.get(), r.length) == 0;
        });
        if (part != parts.end()) {
          part->push_back(std::move(r));
        } else {
          parts.emplace_back();
          parts.back().push_back(std::move(r));
        }
      }
      for (auto& part : parts) {
        if (part.front().length == 0) {  // the end of all of them, equal all the way
          std::vector<size_t> indices;
          for (Reader& r : part) {
            indices.push_back(r.file);
            Close(r);
          }
          if (indices.size() > 1) equal.push_back(std::move(indices));
        } else {
          next.push_back(std::move(part));
        }
      }
    }
    sets = std::move(next);
  }
  std::sort(equal.begin(), equal.end());  // in the order the files were found
  return equal;
}

}  // namespace

namespace {

// The candidate sets of one name: files of one size (and time, for the first
// criterion), at least two, each set in the order the files were found.
std::vector<std::vector<size_t>> CandidateSets(const std::vector<FoundFile>& files, std::vector<size_t> run,
                                               DuplicateCriterion criterion) {
  std::stable_sort(run.begin(), run.end(), [&](size_t a, size_t b) {
    if (files[a].Size != files[b].Size) return files[a].Size < files[b].Size;
    return criterion == DuplicateCriterion::NameSizeDate &&
           static_cast<uint32_t>(files[a].Time) < static_cast<uint32_t>(files[b].Time);
  });
  std::vector<std::vector<size_t>> sets;
  for (size_t i = 0; i < run.size();) {
    size_t j = i + 1;
    while (j < run.size() && files[run[j]].Size == files[run[i]].Size &&
           (criterion == DuplicateCriterion::NameSizeContent || files[run[j]].Time == files[run[i]].Time))
      ++j;
    if (j - i >= 2) {
      sets.emplace_back(run.begin() + static_cast<ptrdiff_t>(i), run.begin() + static_cast<ptrdiff_t>(j));
      std::sort(sets.back().begin(), sets.back().end());
    }
    i = j;
  }
  return sets;
}

// The bytes of every candidate set compared, the sets shared out among a few threads
// (opening a file costs more than reading it under Wine, and two threads overlap that);
// the window stays alive meanwhile and a cancel stops the threads at their next set.
std::vector<std::vector<std::vector<size_t>>> CompareSets(const std::vector<FoundFile>& files,
                                                          const std::vector<std::vector<size_t>>& sets,
                                                          const std::function<void(int percent)>& report) {
  std::vector<std::vector<std::vector<size_t>>> equal(sets.size());
  std::atomic<size_t> next{0}, done{0};
  std::atomic<bool> stop{false};
  const unsigned threads = CompareThreads();
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t)
    pool.emplace_back([&] {
      for (size_t i; !stop && (i = next++) < sets.size(); ++done) equal[i] = SameBytes(files, sets[i]);
    });
  int last = -1;
  try {
    while (done < sets.size()) {
      Sleep(20);
      const int percent = static_cast<int>(done * 100 / std::max<size_t>(sets.size(), 1));
      if (percent > last) report(last = percent);
    }
  } catch (...) {  // a cancel: the threads end before the error goes on
    stop = true;
    for (std::thread& t : pool) t.join();
    throw;
  }
  for (std::thread& t : pool) t.join();
  return equal;
}

}  // namespace

void GroupDuplicates(std::vector<FoundFile>& files, DuplicateCriterion criterion, DuplicateResult& result,
                     const std::function<void(const DuplicateProgress&)>& progress) {
  auto report = [&](const std::string& status) {
    if (progress) progress({status, result.Files, result.Folders, result.Duplicates});
    UI().ProcessMessages();
    if (UI().CancelRequested()) throw EMyAbort();
  };
  report(tr("Dateien sortieren..."));
  // By name (any letter case); files of one name keep the order they were found in.
  std::vector<size_t> order(files.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::vector<std::string> names(files.size());
  for (size_t i = 0; i < files.size(); ++i) names[i] = platform::UpperCase(NameOf(files[i]));
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return names[a] < names[b]; });
  // The candidate sets of each name, in the order of the names.
  std::vector<std::vector<size_t>> sets;
  std::vector<size_t> firstSet;  // of each name with candidates
  for (size_t start = 0; start < order.size();) {
    size_t end = start + 1;
    while (end < order.size() && names[order[end]] == names[order[start]]) ++end;
    if (end - start >= 2) {
      firstSet.push_back(sets.size());
      for (auto& set : CandidateSets(files, {order.begin() + static_cast<ptrdiff_t>(start),
                                             order.begin() + static_cast<ptrdiff_t>(end)},
                                     criterion))
        sets.push_back(std::move(set));
    }
    start = end;
  }
  firstSet.push_back(sets.size());
  // The first criterion's sets are the groups; the second one's are split by their bytes.
  std::vector<std::vector<std::vector<size_t>>> equal;
  if (criterion == DuplicateCriterion::NameSizeContent) {
    equal = CompareSets(files, sets,
                        [&](int percent) { report(tr("Dubletten suchen...") + std::to_string(percent) + "%"); });
  } else {
    for (auto& set : sets) equal.push_back({set});
  }
  for (size_t name = 0; name + 1 < firstSet.size(); ++name) {
    std::vector<std::vector<size_t>> groups;
    for (size_t i = firstSet[name]; i < firstSet[name + 1]; ++i)
      for (auto& g : equal[i]) groups.push_back(std::move(g));
    std::sort(groups.begin(), groups.end());  // in the order the files were found
    for (const auto& g : groups) {
      DuplicateGroup group{NameOf(files[g.front()]), files[g.front()].Size, {}};
      for (size_t i : g) group.Files.push_back(files[i]);
      result.Duplicates += static_cast<int32_t>(g.size()) - 1;
      result.Groups.push_back(std::move(group));
    }
  }
  UI().SetStatusText(StatusControl::Statuspanel, tr("Dubletten suchen...beendet"));
  if (progress) progress({tr("Dubletten suchen...beendet"), result.Files, result.Folders, result.Duplicates});
}

DuplicateResult FindDuplicates(Tree& driveTree, DuplicateCriterion criterion,
                               const std::function<void(const DuplicateProgress&)>& progress) {
  UI().ResetCancel();
  std::string backup = ReadSettingText("BackupDir");
  if (!backup.empty() && backup.back() != '\\') backup += '\\';
  CurrentBackupFolder = backup + "DOUBLE\\";  // what this tool deletes goes below it
  BusyScope busy;
  DuplicateResult result;
  std::vector<FoundFile> files;
  TickedTree ticked(driveTree);
  Collector collect(ticked, files, result, progress);
  ticked.ForEachDrive([&](const std::string& root, bool partly) {
    const std::string status = FormatMsg(tr("Dateien suchen auf %s"), {root});
    UI().SetStatusText(StatusControl::Statuspanel, status);
    if (progress) progress({status, result.Files, result.Folders, 0});
    UI().ProcessMessages();
    collect.Walk(root, partly);
  });
  GroupDuplicates(files, criterion, result, progress);
  return result;
}

unsigned CompareThreads() { return std::clamp(std::thread::hardware_concurrency(), 1u, 4u); }

bool SameContent(const std::string& a, const std::string& b) {
  std::vector<FoundFile> files = {{a, 0, 0, 0}, {b, 0, 0, 0}};
  for (FoundFile& f : files) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(platform::LongPath(platform::Utf8ToWide(f.Path)).c_str(), GetFileExInfoStandard, &data))
      return false;
    f.Size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  return files[0].Size == files[1].Size && !SameBytes(files, {0, 1}).empty();
}
