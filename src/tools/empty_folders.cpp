#include "tools/empty_folders.h"

#include <windows.h>

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

class EmptyWalk {
 public:
  EmptyWalk(TickedTree& tree, bool ignoreEmptyFiles, const std::function<void(const EmptyFolderProgress&)>& progress)
      : tree_(tree), ignore_(ignoreEmptyFiles), progress_(progress) {}

  // Whether folder (ending in "\") holds nothing; empty ones are listed on the way.
  bool Walk(const std::string& folder, bool consultTree) {
    ++folders_;
    bool empty = true;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(platform::LongPath(platform::Utf8ToWide(folder + "*.*")).c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {  // a folder that cannot be read holds nothing
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        Tick();
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          if (!Folder(folder, platform::WideToUtf8(name), consultTree, found.dwFileAttributes)) empty = false;
        } else if (found.nFileSizeLow != 0 || found.nFileSizeHigh != 0 || !ignore_) {
          empty = false;
        }
      } while (FindNextFileW(h, &found));
      FindClose(h);
    }
    if (empty) empty_.push_back(folder);
    return empty;
  }

  void SetDrive(const std::string& drive) { drive_ = drive; }
  std::vector<std::string> empty_;
  int32_t folders_ = 0;

 private:
  // A subfolder: walked when ticked or partly ticked (the tree says, where asked);
  // one that is not walked, or a link, counts as content.
  bool Folder(const std::string& parent, const std::string& name, bool consultTree, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
    const int32_t state = consultTree ? tree_.StateOf(name) : stChecked;
    if (state != stChecked && state != stPartial) return false;
    tree_.Enter(name);
    const bool empty = Walk(parent + name + "\\", state == stPartial);
    tree_.Leave();
    return empty;
  }

  void Tick() {
    if (++entries_ % 20 != 0) return;
    if (progress_) progress_({drive_, folders_, static_cast<int32_t>(empty_.size())});
    UI().ProcessMessages();
    if (UI().CancelRequested()) throw EMyAbort();
  }

  TickedTree& tree_;
  bool ignore_;
  const std::function<void(const EmptyFolderProgress&)>& progress_;
  std::string drive_;
  int32_t entries_ = 0;
};

// The selection tree's node of a folder path: the drive node whose text begins with
// the path's first two characters, then folder by folder.
TreeNode* NodeOfFolder(Tree& tree, const std::string& folder) {
  TreeNode* top = tree.First();
  if (top == nullptr || folder.size() < 2) return nullptr;
  TreeNode* node = nullptr;
  for (size_t i = 0; i < top->Count() && node == nullptr; ++i)
    if (platform::SameText(top->Child(i)->Text().substr(0, 2), folder.substr(0, 2))) node = top->Child(i);
  for (size_t at = 3; node != nullptr && at < folder.size();) {
    const size_t slash = folder.find('\\', at);
    const std::string name = folder.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
    TreeNode* next = nullptr;
    for (size_t i = 0; i < node->Count() && next == nullptr; ++i)
      if (platform::SameText(node->Child(i)->Text(), name)) next = node->Child(i);
    node = next;
    at = slash == std::string::npos ? folder.size() : slash + 1;
  }
  return node;
}

}  // namespace

std::vector<std::string> FindEmptyFolders(Tree& driveTree, bool ignoreEmptyFiles,
                                          const std::function<void(const EmptyFolderProgress&)>& progress) {
  BusyScope busy;
  UI().ResetCancel();
  TickedTree ticked(driveTree);
  EmptyWalk walk(ticked, ignoreEmptyFiles, progress);
  ticked.ForEachDrive([&](const std::string& root, bool partly) {
    UI().SetStatusText(StatusControl::Statuspanel, FormatMsg(tr("Leere Ordner suchen auf %s"), {root}));
    walk.SetDrive(root);
    UI().ProcessMessages();
    walk.Walk(root, partly);
  });
  if (progress) progress({"", walk.folders_, static_cast<int32_t>(walk.empty_.size())});
  UI().SetStatusText(StatusControl::Statuspanel, tr("Leere Ordner suchen...beendet"));
  return walk.empty_;
}

bool FolderIsEmpty(const std::string& folder, bool ignoreEmptyFiles) {
  Tree none;  // nothing to consult: every subfolder is looked into
  TickedTree ticked(none);
  const std::function<void(const EmptyFolderProgress&)> quiet;
  EmptyWalk walk(ticked, ignoreEmptyFiles, quiet);
  std::string f = folder;
  if (!f.empty() && f.back() != '\\') f += '\\';
  return walk.Walk(f, false);
}

EmptyFolderDeletion DeleteEmptyFolders(const std::vector<std::string>& folders, bool ignoreEmptyFiles,
                                       Tree* driveTree) {
  EmptyFolderDeletion outcome;
  const bool recycle = ReadSettingBool("UseRecycleBin");
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    const std::string& folder = *it;
    if (!FolderExists(folder)) {  // gone with its parent
      outcome.Deleted.push_back(folder);
      continue;
    }
    if (!FolderIsEmpty(folder, ignoreEmptyFiles) || !ShellDeleteFolder(folder, recycle, true, false) ||
        FolderExists(folder)) {
      outcome.Kept.push_back(folder);
      continue;
    }
    outcome.Deleted.push_back(folder);
    if (driveTree != nullptr)
      if (TreeNode* node = NodeOfFolder(*driveTree, folder)) node->Delete();
  }
  return outcome;
}
