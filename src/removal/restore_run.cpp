#include "removal/restore_run.h"

#include <exception>

#include "core/translate.h"
#include "model/data_codes.h"
#include "model/treetool.h"

RestoreRun::RestoreRun(const RestoreRequest& request)
    : request_(request), mask_((request.Flags & rfAgain) != 0 ? 15 : 0x7FFFFFFF) {
  // A selected altered value brings its partner row (old and new content) along.
  if (request_.Selection != nullptr) SelectAlteredPairs(*request_.Selection);
}

bool RestoreRun::TakesPart(const std::string& caption) const {
  if (request_.Selection == nullptr) return true;
  const ListModel& list = *request_.Selection;
  for (size_t i = 0; i < list.Count(); ++i)
    if (list.Row(i).Selected && list.Row(i).Caption == caption) return true;
  return false;
}

bool RestoreRun::Act(const std::string& action, const std::string& path, const std::string& name,
                     const std::string& value, const std::function<void(std::string& status)>& perform) {
  std::string status = tr(kStatusOpen);
  bool done = false;
  if (request_.Execute) {
    status = tr(kStatusDone);
    try {
      perform(status);
      done = true;
    } catch (const ERestoreStatus& e) {
      status = e.what();
      ++failures_;
    } catch (const std::exception& e) {
      status = tr(kStatusFailed) + e.what();
      ++failures_;
    }
  }
  ListRow row;
  row.Caption = tr(action);
  row.SubItems = {path, name, value, status};
  request_.Todo.Add(std::move(row));
  return done;
}

void RestoreRun::NoteDone(int64_t statusPos, int32_t status) {
  if (request_.Execute) done_.push_back({statusPos, Kind(status)});
}

void RestoreRun::Walk(TreeNode& start, const std::function<void(TreeNode&)>& down,
                      const std::function<void(TreeNode&)>& up) {
  struct Frame {
    TreeNode* node;
    bool failed;  // an action on the way down failed
    size_t next = 0;
  };
  std::vector<Frame> stack;
  auto enter = [&](TreeNode& node) {
    const size_t failures = failures_;
    if (down) down(node);
    stack.push_back({&node, failures_ != failures});
  };
  enter(start);
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (request_.Selection == nullptr && top.next < top.node->Count()) {
      enter(*top.node->Child(top.next++));  // may move the stack: top is not used again
      continue;
    }
    const Frame frame = stack.back();
    stack.pop_back();
    const size_t failures = failures_;
    up(*frame.node);
    if (request_.Execute && request_.Selection == nullptr && !frame.failed && failures_ == failures)
      MarkDone(*frame.node);
  }
}

void RestoreRun::RecordInResultFile(ResultSection section, Tree& tree) {
  if (request_.Execute) MarkDoneInResultFile(request_.Result, section, done_, tree);
}
