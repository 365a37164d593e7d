// What a snapshot walk tells the user: a status text, a progress bar and messages.
// A worker thread implements it by handing each update to the main thread, which
// shows the fields in its status controls and the messages in error boxes; the walk
// continues after a message.
#pragma once

#include <cstdint>
#include <string>

class SnapshotReport {
 public:
  virtual ~SnapshotReport() = default;

  std::string StatusText;
  int32_t ProgressMax = 0;
  int32_t ProgressPos = 0;

  // Shows the three fields (on the main thread) and lets pending window messages run.
  virtual void Update() = 0;
  // Shows message in an error box with an OK button, then goes on.
  virtual void ShowError(const std::string& message) = 0;
};
