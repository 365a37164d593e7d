// What every undo run shares: the kind mask, the selection, the to-do rows with the
// guard around each action, and the records undone for the in-place update.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "removal/restore.h"

class RestoreRun {
 public:
  explicit RestoreRun(const RestoreRequest& request);

  bool Execute() const { return request_.Execute; }
  bool Has(uint8_t flag) const { return (request_.Flags & flag) != 0; }
  bool Selective() const { return request_.Selection != nullptr; }
  // A state or status after the kind mask: without rfAgain, anything done before
  // carries flDone and matches no kind.
  int32_t Kind(int32_t state) const { return state & mask_; }
  // A record takes part: no selection list, or a selected row standing for this name
  // (ListRow::Name: the unnamed value's row shows another caption).
  bool TakesPart(const std::string& name) const;

  // One action: planned, its row says "unerledigt"; executed, perform runs under its
  // own guard and the row gets "Ok, fertig" (or the status perform sets), or "Nicht
  // getan, Fehler: " and the error's message. True when it was executed and done.
  bool Act(const std::string& action, const std::string& path, const std::string& name, const std::string& value,
           const std::function<void(std::string& status)>& perform);

  // A record whose change was undone (executed runs only).
  void NoteDone(int64_t statusPos, int32_t status);
  // Actions not done so far in this run: failed, or kept by an answer.
  size_t Failures() const { return failures_; }
  // Walks start and, without a selection list, its subtree on a stack of its own (as
  // deep as the tree is): down(node) before a node's children, up(node) after them.
  // Executed without a selection list, each node is then greyed and marked done,
  // unless one of its own actions failed: what was not done stays to do.
  void Walk(TreeNode& start, const std::function<void(TreeNode&)>& down, const std::function<void(TreeNode&)>& up);
  // One whole run over the request's start node: the result file opened, the keys
  // and folders inside a new or deleted start read from their stored copies (with
  // expandStored, without a selection list), the walk, the file closed again and,
  // executed, the statuses and the tree written back into it.
  void Run(ResultSection section, bool expandStored, const std::function<void(TreeNode&)>& down,
           const std::function<void(TreeNode&)>& up);
  // The result file's records during Run.
  ResultReader& Reader() { return *reader_; }

 private:
  const RestoreRequest& request_;
  std::optional<ResultReader> reader_;
  int32_t mask_;
  std::vector<DoneRecord> done_;
  size_t failures_ = 0;
};

// "Nicht getan, Fehler: "
inline constexpr char kStatusFailed[] = "Nicht getan, Fehler: ";

// An action not done, with a status text of its own instead of "Nicht getan, Fehler: ".
class ERestoreStatus : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An action left undone on purpose, because an answer (a person's or a setting's)
// said so; its status is the full text given. Not done, but not a failure either.
class ERestoreKept : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
