// The undo of the file-structure result tree.
#include <windows.h>
#include <shlobj.h>

#include <map>
#include <optional>

#include "core/exceptions.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/names.h"
#include "platform/text.h"
#include "removal/file_store.h"
#include "removal/recyc.h"
#include "removal/restore.h"
#include "removal/restore_run.h"

namespace {

[[noreturn]] void Fail(const char* message) { throw EQuitawayError(tr(message)); }

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

bool IsFile(const std::string& path) {
  const DWORD a = GetFileAttributesW(platform::Utf8ToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string FileText(const FileData& f) {
  return FormatFileSize(f.Size) + tr(" Bytes, ") + FormatFileTime(f.Time) + ", Attr: " + FormatAttributes(f.Attributes);
}

class DriveRestore {
 public:
  explicit DriveRestore(const RestoreRequest& request)
      : request_(request),
        run_(request),
        store_(BackupStoreFolder()),
        use_store_(ReadSettingBool("UseDLLBackupRestore")) {
    if (request.RegistryResult != nullptr) shared_ = CollectSharedDlls(request.Result, *request.RegistryResult);
    // What one undo deletes lands together: below BackupDir, in a folder named after
    // the result file.
    std::string name = request.Result.FileName.substr(request.Result.FileName.find_last_of('\\') + 1);
    name = name.substr(0, name.find_last_of('.'));
    CurrentBackupFolder = WithBackslash(ReadSettingText("BackupDir")) + name + "\\";
  }

  void Run() {
    TreeNode& start = *request_.Start;
    reader_.emplace(request_.Result);
    if (!run_.Selective()) ExpandStoredSubtree(*reader_, ResultSection::Drives, start);
    run_.Walk(
        start, [&](TreeNode& node) { BringBackFolder(node); },
        [&](TreeNode& node) {
          Files(node);
          TakeBackFolder(node);
        });
    reader_.reset();  // closed before the file is written
    run_.RecordInResultFile(ResultSection::Drives, start.Owner());
  }

 private:
  // A folder node below a drive: "C:\a\b\" and its place in the store, "C\a\b\".
  static bool FolderOf(const TreeNode& node, std::string& full, std::string& stored) {
    if (node.Level() < RootKeyLevel) return false;
    full = NodePath(node, true, true);
    if (full.size() < 2 || full[1] != ':') return false;
    full = WithBackslash(full.size() == 2 ? full + "\\" : full);
    stored = full.substr(0, 1) + full.substr(2);
    return true;
  }

  bool StoreHasFolder(const std::string& stored) const { return FolderExists(store_ + stored); }

  void BringBackFolder(TreeNode& node) {
    std::string full, stored;
    if (!FolderOf(node, full, stored) || node.Level() == RootKeyLevel) return;
    if (run_.Kind(node.StateIndex()) != stRemoved || !run_.Has(rfDeleted) || run_.Selective() || !use_store_) return;
    if (!StoreHasFolder(stored)) return;
    run_.Act("erzeuge Ordner", full, "", "", [&](std::string&) {
      const int rc = SHCreateDirectoryExW(nullptr, platform::Utf8ToWide(full).c_str(), nullptr);
      if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS) Fail("Der Ordner konnte nicht angelegt werden");
    });
  }

  void TakeBackFolder(TreeNode& node) {
    std::string full, stored;
    if (!FolderOf(node, full, stored) || node.Level() == RootKeyLevel) return;
    if (run_.Kind(node.StateIndex()) != stAdded || !run_.Has(rfNew) || run_.Selective()) return;
    run_.Act("lösche Ordner", full, "", "", [&](std::string&) {
      // Through DeleteFileWithBackup: whatever is still inside goes where the settings
      // say (recycle bin or backup folder), never beyond recall.
      try {
        if (!FolderExists(full)) throw EQuitawayError("");
        DeleteFileWithBackup(full.substr(0, full.size() - 1));  // the folder, not its content
      } catch (const std::exception&) {
        throw ERestoreStatus(tr("Fehler: Ordner besteht nicht, oder Fehler beim Löschen"));
      }
    });
  }

  void Files(TreeNode& node) {
    std::string full, stored;
    if (!FolderOf(node, full, stored)) return;
    std::optional<bool> storeFolder;  // looked at once per folder, when needed
    bool alteredDone = false;
    for (const NodeRecord& rec : reader_->Records(ResultSection::Drives, node)) {
      if (!run_.TakesPart(rec.Name)) continue;
      const int32_t kind = run_.Kind(rec.Status);
      const std::string target = full + rec.Name, text = FileText(rec.File);
      bool done = false;
      if (((kind == rsDeleted && run_.Has(rfDeleted)) || (kind == rsOldOfAltered && run_.Has(rfAltered))) &&
          use_store_) {
        if (!storeFolder) storeFolder = StoreHasFolder(stored);
        const std::string copy = store_ + stored + rec.Name;
        if (*storeFolder && IsFile(copy))
          done = run_.Act(kind == rsOldOfAltered ? "verändert, stelle alte Datei wieder her"
                                                 : "stelle gelöschte Datei wieder her",
                          full, rec.Name, text, [&](std::string&) { CopyBack(copy, target); });
        alteredDone = done && kind == rsOldOfAltered;
      } else if (kind == rsNewOfAltered && run_.Has(rfAltered)) {
        done = alteredDone;  // the new content goes with its old partner, restored just before
        alteredDone = false;
      } else if (kind == rsNew && run_.Has(rfNew)) {
        done = run_.Act("lösche Datei", full, rec.Name, text, [&](std::string&) { DeleteNew(target); });
      }
      if (done) run_.NoteDone(rec.StatusPos, rec.Status);
    }
  }

  void CopyBack(const std::string& copy, const std::string& target) {
    if (IsFile(target) && !AskOverwrite(target, copy, target, overwrite_answer_)) return;
    if (!ShellCopy(copy, target, false, true, false)) Fail("Datei konnte nicht kopiert werden");
  }

  void DeleteNew(const std::string& path) {
    if (!IsFile(path)) Fail("Datei existiert nicht");
    const std::string upper = platform::UpperCase(path);
    const SharedDllEntry* shared = nullptr;
    for (const SharedDllEntry& e : shared_)
      if (platform::UpperCase(e.Name) == upper) shared = &e;
    if (shared != nullptr) {
      if (shared->Done) Fail("Gemeinsam benutzte Datei, nicht gelöscht (Registry wurde schon zurückgesetzt)");
      int answer = shared_answer_;
      if (answer == 0) {
        bool sameForAll = false;
        answer = UI().AskSharedFile(SharedFileQuestion::StillRegistered, path, sameForAll);
        if (sameForAll) shared_answer_ = answer;
      }
      if (answer != mrYes) Fail("Gemeinsam benutzte Datei, nicht gelöscht");
    }
    DeleteFileWithBackup(path);
  }

  const RestoreRequest& request_;
  RestoreRun run_;
  std::optional<ResultReader> reader_;
  std::string store_;
  bool use_store_;
  std::vector<SharedDllEntry> shared_;
  int overwrite_answer_ = 0;  // mrNoToAll or mrYesToAll once given
  int shared_answer_ = 0;     // the answer about shared files, once it holds for all
};

}  // namespace

void RestoreDriveChanges(const RestoreRequest& request) {
  if (request.Start == nullptr) return;
  DriveRestore(request).Run();
}
