#include "removal/restore_run.h"

#include <exception>

#include "core/settings.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "removal/recyc.h"

RestoreRun::RestoreRun(const RestoreRequest& request)
    : request_(request), mask_((request.Flags & rfAgain) != 0 ? 15 : 0x7FFFFFFF) {
  // A selected altered value brings its partner row (old and new content) along.
  if (request_.Selection != nullptr) SelectAlteredPairs(*request_.Selection);
  // What one undo deletes lands together, whichever tree it comes from (a shared file
  // goes with its counter): below BackupDir, in a folder named after the result file.
  if (request_.Execute) {
    const std::string& file = request_.Result.FileName;
    std::string name = file.substr(file.find_last_of('\\') + 1);
    name = name.substr(0, name.find_last_of('.'));
    std::string folder = ReadSettingText("BackupDir");
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    CurrentBackupFolder = folder + name + "\\";
  }
}

bool RestoreRun::TakesPart(const std::string& name) const {
  if (request_.Selection == nullptr) return true;
  const ListModel& list = *request_.Selection;
  for (size_t i = 0; i < list.Count(); ++i)
    if (list.Row(i).Selected && list.Row(i).Name() == name) return true;
  return false;
}

bool RestoreRun::Act(const std::string& action, const std::string& path, const std::string& name,
                     const std::string& value, const std::function<void(std::string& status)>& perform) {
  std::string status = tr(kStatusOpen);
  RestoreOutcome outcome = roPlanned;
  if (request_.Execute) {
    status = tr(kStatusDone);
    try {
      perform(status);
      outcome = roDone;
    } catch (const ERestoreKept& e) {
      status = e.what();
      outcome = roKept;
    } catch (const ERestoreStatus& e) {
      status = e.what();
      outcome = roFailed;
    } catch (const std::exception& e) {
      status = tr(kStatusFailed) + e.what();
      outcome = roFailed;
    }
    if (outcome != roDone) ++failures_;
  }
  ListRow row;
  row.Caption = tr(action);
  row.SubItems = {path, name, value, status};
  row.Data = outcome;
  request_.Todo.Add(std::move(row));
  return outcome == roDone;
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

void RestoreRun::Run(ResultSection section, bool expandStored, const std::function<void(TreeNode&)>& down,
                     const std::function<void(TreeNode&)>& up) {
  TreeNode& start = *request_.Start;
  reader_.emplace(request_.Result);
  if (expandStored && !Selective()) ExpandStoredSubtree(*reader_, section, start);
  Walk(start, down, up);
  reader_.reset();  // closed before the file is written
  if (request_.Execute) MarkDoneInResultFile(request_.Result, section, done_, start.Owner());
}
