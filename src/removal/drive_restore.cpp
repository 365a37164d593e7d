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
#include "platform/files.h"
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

std::string FileText(const FileData& f) {
  return FormatFileSize(f.Size) + tr(" Bytes, ") + FormatFileTime(f.Time) + ", Attr: " + FormatAttributes(f.Attributes);
}

class DriveRestore {
 public:
  explicit DriveRestore(const RestoreRequest& request)
      : request_(request),
        run_(request),
        store_(BackupStoreFolder()),
        use_store_(ReadSettingBool("UseDLLBackupRestore")),
        overwrite_answer_(request.Overwrite) {
    if (request.RegistryResult != nullptr) shared_ = CollectSharedDlls(request.Result, *request.RegistryResult);
  }

  void Run() {
    run_.Run(
        ResultSection::Drives, true, [&](TreeNode& node) { BringBackFolder(node); },
        [&](TreeNode& node) {
          Files(node);
          TakeBackFolder(node);
        });
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
      SHCreateDirectoryExW(nullptr, platform::Utf8ToWide(full).c_str(), nullptr);
      // A file of that name answers "exists" as well: only a folder is success.
      if (!FolderExists(full)) Fail("Der Ordner konnte nicht angelegt werden");
    });
  }

  void TakeBackFolder(TreeNode& node) {
    std::string full, stored;
    if (!FolderOf(node, full, stored) || node.Level() == RootKeyLevel) return;
    if (run_.Kind(node.StateIndex()) != stAdded || !run_.Has(rfNew) || run_.Selective()) return;
    run_.Act("lösche Ordner", full, "", "", [&](std::string&) {
      if (HoldsKeptFile(full)) throw ERestoreKept(tr(kStatusFailed) + tr("Gemeinsam benutzte Datei, nicht gelöscht"));
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
    for (const NodeRecord& rec : run_.Reader().Records(ResultSection::Drives, node)) {
      if (!run_.TakesPart(rec.Name)) continue;
      const int32_t kind = run_.Kind(rec.Status);
      const std::string target = full + rec.Name, text = FileText(rec.File);
      bool done = false;
      if (((kind == rsDeleted && run_.Has(rfDeleted)) || (kind == rsOldOfAltered && run_.Has(rfAltered))) &&
          use_store_) {
        if (!storeFolder) storeFolder = StoreHasFolder(stored);
        const std::string copy = store_ + stored + rec.Name;
        if (*storeFolder && platform::FileExists(copy))
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
    // Not overwritten on the user's word: not done, so a later undo still offers it.
    if (platform::FileExists(target) && !AskOverwrite(target, copy, target, overwrite_answer_))
      throw ERestoreKept(tr("Nicht getan: Datei nicht überschrieben"));
    if (!ShellCopy(copy, target, false, true, false)) Fail("Datei konnte nicht kopiert werden");
  }

  void DeleteNew(const std::string& path) {
    const SharedDllEntry* shared = SharedEntryOf(path);
    // Its counter was taken back before: that step decided about the file already.
    // Gone now, it went there; still here, it was kept on purpose.
    if (shared != nullptr && shared->Done && !platform::FileExists(path)) return;
    if (!platform::FileExists(path)) Fail("Datei existiert nicht");
    if (shared != nullptr) {
      if (shared->Done) Keep(path, "Gemeinsam benutzte Datei, nicht gelöscht (Registry wurde schon zurückgesetzt)");
      int answer = shared_answer_;
      if (answer == 0) {
        bool sameForAll = false;
        answer = UI().AskSharedFile(SharedFileQuestion::StillRegistered, path, sameForAll);
        if (sameForAll) shared_answer_ = answer;
      }
      if (answer != mrYes) Keep(path, "Gemeinsam benutzte Datei, nicht gelöscht");
    }
    DeleteFileWithBackup(path);
  }

  const SharedDllEntry* SharedEntryOf(const std::string& path) const {
    const std::string upper = platform::UpperCase(path);
    for (const SharedDllEntry& e : shared_)
      if (platform::UpperCase(e.Name) == upper) return &e;
    return nullptr;
  }

  [[noreturn]] void Keep(const std::string& path, const char* message) {
    kept_.push_back(platform::UpperCase(path));
    throw ERestoreKept(tr(kStatusFailed) + tr(message));
  }

  // A new folder that holds a file kept on purpose stays, or the file would go with it.
  bool HoldsKeptFile(const std::string& folder) const {
    const std::string upper = platform::UpperCase(folder);
    for (const std::string& k : kept_)
      if (k.compare(0, upper.size(), upper) == 0) return true;
    return false;
  }

  const RestoreRequest& request_;
  RestoreRun run_;
  std::string store_;
  bool use_store_;
  std::vector<SharedDllEntry> shared_;
  std::vector<std::string> kept_;  // shared files kept, upper case
  int overwrite_answer_;  // mrNoToAll or mrYesToAll once given
  int shared_answer_ = 0;     // the answer about shared files, once it holds for all
};

}  // namespace

void RestoreDriveChanges(const RestoreRequest& request) {
  if (request.Start == nullptr) return;
  DriveRestore(request).Run();
}
