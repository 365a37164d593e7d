#include "platform/worker_thread.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>

namespace platform {
namespace {

struct SyncCall {
  const std::function<void()>* fn;
  std::exception_ptr failure;
  bool done = false;
};

// Calls waiting for the main thread. The event wakes the main thread's wait.
struct SyncQueue {
  std::mutex mutex;
  std::condition_variable doneSignal;
  std::deque<SyncCall*> pending;
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
};

SyncQueue& Queue() {
  static SyncQueue queue;
  return queue;
}

void RunPendingCalls() {
  SyncQueue& q = Queue();
  for (;;) {
    SyncCall* call;
    {
      std::lock_guard<std::mutex> lock(q.mutex);
      if (q.pending.empty()) return;
      call = q.pending.front();
      q.pending.pop_front();
    }
    try {
      (*call->fn)();
    } catch (...) {
      call->failure = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(q.mutex);
      call->done = true;
    }
    q.doneSignal.notify_all();
  }
}

}  // namespace

WorkerThread::WorkerThread() {
  // The walks descend one call per folder or key level, and long paths allow folders
  // thousands of levels deep: a generous stack, only reserved, never committed unused.
  constexpr SIZE_T kStackReserve = 64u << 20;
  handle_ = CreateThread(nullptr, kStackReserve, &WorkerThread::ThreadProc, this,
                         CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (handle_ == nullptr) throw std::runtime_error("Der Arbeitsthread konnte nicht erzeugt werden");
}

WorkerThread::~WorkerThread() {
  if (started_) WaitForSingleObject(handle_, INFINITE);
  else TerminateThread(handle_, 0);  // never ran: nothing of ours is on its stack
  CloseHandle(handle_);
}

void WorkerThread::SetPriority(int priority) { SetThreadPriority(handle_, priority); }

void WorkerThread::Start() {
  if (started_) return;
  started_ = true;
  ResumeThread(handle_);
}

unsigned long __stdcall WorkerThread::ThreadProc(void* self) {
  auto* worker = static_cast<WorkerThread*>(self);
  try {
    worker->Execute();
  } catch (...) {
    worker->failure_ = std::current_exception();
  }
  return 0;
}

void WorkerThread::Synchronize(const std::function<void()>& fn) {
  SyncQueue& q = Queue();
  SyncCall call{&fn, nullptr, false};
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    q.pending.push_back(&call);
  }
  SetEvent(q.event);
  std::unique_lock<std::mutex> lock(q.mutex);
  q.doneSignal.wait(lock, [&] { return call.done; });
  if (call.failure) std::rethrow_exception(call.failure);
}

void WaitForWorkers(const std::vector<WorkerThread*>& workers, const std::function<void()>& pumpMessages) {
  SyncQueue& q = Queue();
  for (WorkerThread* worker : workers) {
    if (!worker->Started()) continue;
    HANDLE handles[2] = {worker->Handle(), q.event};
    for (;;) {
      const DWORD rc = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_ALLINPUT);
      RunPendingCalls();
      if (rc == WAIT_OBJECT_0) break;
      if (rc == WAIT_OBJECT_0 + 2 && pumpMessages) pumpMessages();
      if (rc == WAIT_FAILED) {
        WaitForSingleObject(worker->Handle(), INFINITE);  // cannot serve calls: only wait
        break;
      }
    }
  }
  RunPendingCalls();
}

}  // namespace platform
