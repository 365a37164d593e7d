// What the benchmark programs share: an interaction that prints messages instead of
// showing them, and the process memory with a sampler for the peak of private bytes
// (Wine keeps no peak for them).
#pragma once

#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "core/interaction.h"

namespace bench {

// No window: messages go to stderr and are answered with OK; nothing is cancelled.
class ConsoleInteraction : public Interaction {
 public:
  int MessageDlg(const std::string& text, MsgDlgType, TMsgDlgButtons, int) override {
    Print("MessageDlg", text);
    return mrOk;
  }
  void ShowMessage(const std::string& text) override { Print("ShowMessage", text); }
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string&) override {
    Print("InputQuery", caption + ": " + prompt);
    return false;
  }
  void SetStatusText(StatusControl, const std::string&) override {}
  void SetStatusMax(StatusControl, int) override {}
  void SetStatusPosition(StatusControl, int) override {}
  void SetStatusVisible(StatusControl control, bool visible) override {
    visible_[static_cast<int>(control)] = visible;
  }
  bool StatusVisible(StatusControl control) const override { return visible_[static_cast<int>(control)]; }
  void ProcessMessages() override {}
  bool CancelRequested() const override { return false; }
  void ResetCancel() override {}
  void BeginBusy() override { ++busy_; }
  void EndBusy() override { if (busy_ > 0) --busy_; }
  bool IsBusy() const override { return busy_ > 0; }

  int Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
  }

 private:
  void Print(const char* what, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++count_;
    std::fprintf(stderr, "%s: %s\n", what, text.c_str());
    std::fflush(stderr);
  }

  mutable std::mutex mutex_;
  int count_ = 0;
  int busy_ = 0;
  bool visible_[5] = {true, true, true, true, true};
};

inline PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

// Keeps the largest PagefileUsage seen while it runs.
class PrivateBytesSampler {
 public:
  explicit PrivateBytesSampler(unsigned intervalMs) {
    if (intervalMs == 0) return;
    thread_ = std::thread([this, intervalMs] {
      while (!stop_.load()) {
        Note(Memory().PagefileUsage);
        Sleep(intervalMs);
      }
    });
  }
  ~PrivateBytesSampler() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  void Note(unsigned long long value) {
    unsigned long long seen = peak_.load();
    while (value > seen && !peak_.compare_exchange_weak(seen, value)) {
    }
  }
  unsigned long long Peak() const { return peak_.load(); }
  // Forgets what was seen so far: value is the new level.
  void Restart(unsigned long long value) { peak_ = value; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<unsigned long long> peak_{0};
  std::thread thread_;
};

}  // namespace bench
