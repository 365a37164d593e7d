#include "snapshot/registry_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>

#include "platform/worker_thread.h"
#include "snapshot/registry_walk.h"

// A run of the section's bytes. The pieces form a list in the order of the file; a list
// link is changed only under the pool's lock, and only after a piece whose writer is the
// thread that changes it, so a thread's later output always stays behind its earlier one.
struct Piece {
  Piece* next = nullptr;
  std::vector<std::string> errors;  // messages raised while this piece was written
  size_t shown = 0;                 // of errors
  bool complete = false;            // its writer has moved on for good

  void Append(const uint8_t* bytes, size_t count) {
    while (count > 0) {
      if (chunks.empty() || chunks.back().size() == chunks.back().capacity()) {
        // Small pieces are many, large ones few: chunks double from 256 bytes to 1 MiB.
        const size_t last = chunks.empty() ? 128 : chunks.back().capacity();
        chunks.emplace_back().reserve(std::min<size_t>(last * 2, 1 << 20));
      }
      std::vector<uint8_t>& chunk = chunks.back();
      const size_t n = std::min(count, chunk.capacity() - chunk.size());
      chunk.insert(chunk.end(), bytes, bytes + n);
      bytes += n;
      count -= n;
    }
  }
  std::vector<std::vector<uint8_t>> chunks;
};

namespace {

// The stream under a thread's writer: appends to the piece the thread writes now.
class PieceStream : public platform::Stream {
 public:
  Piece* piece = nullptr;

  size_t Read(void*, size_t) override { return 0; }
  void Write(const void* buffer, size_t count) override {
    piece->Append(static_cast<const uint8_t*>(buffer), count);
    pos_ += static_cast<int64_t>(count);
  }
  int64_t Position() const override { return pos_; }
  void Seek(int64_t position) override {
    if (position != pos_) throw platform::EStreamError("Ungültige Position im Speicherstrom");
  }
  int64_t Size() const override { return pos_; }

 private:
  int64_t pos_ = 0;
};

// A root to walk whole, or subkeys of a key handed over by another walk.
struct Task {
  Piece* piece;
  size_t root;
  HKEY key = nullptr;  // handed over: a handle of the key
  bool closeKey = false;  // the handle is the task's own (a root key's is never closed)
  std::string path{};
  int depth = 0;
  size_t offset = 0;
  std::vector<std::wstring> names{};
  bool whole = true;
};

struct RootState {
  int32_t max = 0, pos = 0;
  int open = 1;  // tasks of this root not yet done
};

class Pool {
 public:
  Pool(const std::vector<RegistryRoot>& roots, bool showErrors, SnapshotReport& report)
      : roots_(roots), show_errors_(showErrors), report_(report), state_(roots.size()) {
    Piece* before = nullptr;
    for (size_t r = 0; r < roots.size(); ++r) {
      Piece* piece = NewPiece();
      if (before != nullptr) before->next = piece;
      before = piece;
      queue_.push_back(Task{piece, r});
    }
    shown_piece_ = head_ = pieces_.empty() ? nullptr : pieces_.front().get();
    std::lock_guard<std::mutex> lock(mutex_);
    ShowProgress();
  }

  bool ShowErrors() const { return show_errors_; }
  const RegistryRoot& Root(size_t r) const { return roots_[r]; }
  bool Wanted() const { return wanted_.load(std::memory_order_relaxed) > 0; }

  // Waits for a task; false when every task is done (or one failed).
  bool Take(Task& task) {
    std::unique_lock<std::mutex> lock(mutex_);
    ++idle_;
    UpdateWanted();
    cv_.wait(lock, [&] { return !queue_.empty() || busy_ == 0 || failure_; });
    --idle_;
    if (queue_.empty() || failure_) {
      UpdateWanted();
      cv_.notify_all();
      return false;
    }
    task = std::move(queue_.front());
    queue_.pop_front();
    ++busy_;
    UpdateWanted();
    return true;
  }

  void Finish(const Task& task, std::exception_ptr failure) {
    std::lock_guard<std::mutex> lock(mutex_);
    --busy_;
    if (failure && !failure_) failure_ = failure;
    UpdateWanted();
    task.piece->complete = true;
    --state_[task.root].open;
    if (busy_ == 0 || failure_) cv_.notify_all();
    if (failure_) return;
    ShowProgress();
    ShowPendingErrors();
  }

  Piece* HandOver(Piece* after, size_t root, HKEY key, const std::string& path, int depth, size_t offset,
                  std::vector<std::wstring> names, bool continuation) {
    HKEY own = nullptr;  // the giver closes its handle when it is done with the key
    if (RegOpenKeyExW(key, L"", 0, KEY_READ, &own) != ERROR_SUCCESS) own = nullptr;  // subkeys then unreadable
    const bool closeKey = own != nullptr && own != key;  // a root key gives back itself
    std::lock_guard<std::mutex> lock(mutex_);
    Piece* handed = NewPiece();
    Piece* goOn = continuation ? NewPiece() : nullptr;
    handed->next = goOn != nullptr ? goOn : after->next;
    if (goOn != nullptr) goOn->next = after->next;
    after->next = handed;
    queue_.push_back(Task{handed, root, own, closeKey, path, depth, offset, std::move(names), false});
    ++state_[root].open;
    ++handovers_;
    UpdateWanted();
    cv_.notify_one();
    return goOn;
  }

  void Complete(Piece* piece) {
    std::lock_guard<std::mutex> lock(mutex_);
    piece->complete = true;
    ShowPendingErrors();
  }

  void Error(Piece* piece, const std::string& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    piece->errors.push_back(message);
    ShowPendingErrors();
  }

  void Progress(size_t root, int32_t max, int32_t pos) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_[root].max = std::max(state_[root].max, max);
    state_[root].pos = std::max(state_[root].pos, pos);
    ShowProgress();
  }

  size_t Handovers() const { return handovers_; }

  // After every thread has ended: the pieces in order, each freed once written.
  void Join(DataWriter& writer) {
    if (failure_) std::rethrow_exception(failure_);
    for (Piece* piece = head_; piece != nullptr; piece = piece->next) {
      for (std::vector<uint8_t>& chunk : piece->chunks) {
        writer.WriteRaw(chunk.data(), chunk.size());
        std::vector<uint8_t>().swap(chunk);
      }
    }
  }

 private:
  Piece* NewPiece() {
    pieces_.push_back(std::make_unique<Piece>());
    return pieces_.back().get();
  }

  void UpdateWanted() {
    wanted_.store(failure_ ? 0 : idle_ - static_cast<int>(queue_.size()), std::memory_order_relaxed);
  }

  // The status shows the first root not done, and passes every root in order as the
  // one-thread walk does. The report's calls run on the main thread while the lock is
  // held, so what it shows never goes backwards.
  void ShowProgress() {
    if (state_.empty()) return;
    size_t front = shown_root_ == SIZE_MAX ? 0 : shown_root_;
    if (shown_root_ == SIZE_MAX) ShowRoot(front);
    while (front + 1 < state_.size() && state_[front].open == 0) ShowRoot(++front);
    const RootState& s = state_[front];
    if (s.max != report_.ProgressMax || s.pos != report_.ProgressPos) ShowRoot(front);
  }

  void ShowRoot(size_t r) {
    shown_root_ = r;
    report_.StatusText = std::string(" Registry:").append(roots_[r].name);
    report_.ProgressMax = state_[r].max;
    report_.ProgressPos = state_[r].pos;
    report_.Update();
  }

  // Shows the messages of the complete pieces at the front of the list, and those of the
  // first piece not complete: no piece before it can get any more.
  void ShowPendingErrors() {
    while (shown_piece_ != nullptr) {
      while (shown_piece_->shown < shown_piece_->errors.size())
        report_.ShowError(shown_piece_->errors[shown_piece_->shown++]);
      if (!shown_piece_->complete) return;
      shown_piece_ = shown_piece_->next;
    }
  }

  const std::vector<RegistryRoot>& roots_;
  const bool show_errors_;
  SnapshotReport& report_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Task> queue_;
  std::vector<std::unique_ptr<Piece>> pieces_;
  std::vector<RootState> state_;
  Piece* head_ = nullptr;
  Piece* shown_piece_ = nullptr;
  size_t shown_root_ = SIZE_MAX;
  int idle_ = 0, busy_ = 0;
  size_t handovers_ = 0;
  std::atomic<int> wanted_{0};
  std::exception_ptr failure_;
};

// One thread of the pool: walks tasks into its pieces and passes progress and messages
// to the pool.
class PoolWalker : public WalkHelp, public SnapshotReport {
 public:
  explicit PoolWalker(Pool& pool) : pool_(pool) {}

  void Run() {
    Task task{nullptr, 0};
    while (pool_.Take(task)) {
      std::exception_ptr failure;
      try {
        Walk(task);
      } catch (...) {
        failure = std::current_exception();
      }
      if (task.closeKey) RegCloseKey(task.key);
      pool_.Finish(Task{stream_.piece, task.root}, failure);
    }
  }

  bool Wanted() const override { return pool_.Wanted(); }
  Piece* HandOver(HKEY key, const std::string& path, int depth, size_t offset, std::vector<std::wstring> names,
                  bool continuation) override {
    return pool_.HandOver(stream_.piece, root_, key, path, depth, offset,
                          std::move(names), continuation);
  }
  void GoOn(Piece* piece) override {
    writer_.Flush();
    pool_.Complete(stream_.piece);
    stream_.piece = piece;
  }

  void Update() override { pool_.Progress(root_, ProgressMax, ProgressPos); }
  void ShowError(const std::string& message) override { pool_.Error(stream_.piece, message); }

 private:
  void Walk(Task& task) {
    stream_.piece = task.piece;
    root_ = task.root;
    ProgressMax = ProgressPos = 0;
    RegistryWalk walk(writer_, pool_.ShowErrors(), *this, this);
    if (task.whole) {
      const RegistryRoot& root = pool_.Root(task.root);
      writer_.WriteString(root.name);
      if (root.key == nullptr) {  // not a root key of this system: stored empty
        writer_.WriteInteger(0);
        writer_.WriteInteger(0);
      } else {
        walk.Key(root.key, "");
      }
    } else {
      walk.Subkeys(task.key, task.path, task.depth, task.names, task.offset);
    }
    writer_.Flush();
  }

  Pool& pool_;
  PieceStream stream_;
  DataWriter writer_{stream_, 32768};
  size_t root_ = 0;
};

class PoolThread : public platform::WorkerThread {
 public:
  explicit PoolThread(Pool& pool) : walker_(pool) { SetPriority(THREAD_PRIORITY_BELOW_NORMAL); }
  // The thread runs in walker_ until its very end: it must have ended before walker_
  // goes (the base class waits only after the members are gone).
  ~PoolThread() override {
    if (Started()) WaitForSingleObject(Handle(), INFINITE);
  }

 protected:
  void Execute() override { walker_.Run(); }

 private:
  PoolWalker walker_;
};

}  // namespace

size_t WriteRegistryRootsOnPool(DataWriter& writer, const std::vector<RegistryRoot>& roots,
                                bool showRegistryErrors, SnapshotReport& report, unsigned threads) {
  Pool pool(roots, showRegistryErrors, report);
  {
    std::vector<std::unique_ptr<PoolThread>> helpers;
    for (unsigned i = 1; i < threads; ++i) {
      helpers.push_back(std::make_unique<PoolThread>(pool));
      helpers.back()->Start();
    }
    PoolWalker(pool).Run();
  }  // the helpers have ended here
  pool.Join(writer);
  return pool.Handovers();
}
