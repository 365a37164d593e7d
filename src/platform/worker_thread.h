// Worker threads that hand work to the main thread.
//
// A worker is created suspended; Start() lets it run. Synchronize() runs a function
// on the thread that waits in WaitForWorkers() and returns when it has run, so
// progress and message boxes always happen on the main thread. This needs no
// message loop: tests and batch mode wait the same way as the window program.
#pragma once

#include <exception>
#include <functional>
#include <vector>

namespace platform {

class WorkerThread {
 public:
  WorkerThread();
  virtual ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Scheduling priority as SetThreadPriority takes it (-1: one step below normal).
  void SetPriority(int priority);
  void Start();
  bool Started() const { return started_; }
  void* Handle() const { return handle_; }
  // An exception that escaped Execute (workers normally report their own).
  std::exception_ptr Failure() const { return failure_; }

 protected:
  virtual void Execute() = 0;
  // Runs fn on the waiting main thread; an exception from fn is raised here.
  void Synchronize(const std::function<void()>& fn);

 private:
  static unsigned long __stdcall ThreadProc(void* self);

  void* handle_ = nullptr;
  bool started_ = false;
  std::exception_ptr failure_;
};

// Waits until every started worker has ended, running their synchronized calls
// meanwhile. pumpMessages (may be empty) runs when window messages arrive.
void WaitForWorkers(const std::vector<WorkerThread*>& workers, const std::function<void()>& pumpMessages);

}  // namespace platform
