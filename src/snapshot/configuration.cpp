#include "snapshot/configuration.h"

#include <windows.h>

#include <memory>

#include "core/interaction.h"
#include "core/settings.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/files.h"
#include "platform/names.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "platform/worker_thread.h"
#include "model/data_codes.h"
#include "snapshot/drive_snapshot.h"
#include "snapshot/registry_snapshot.h"
#include "snapshot/system_files.h"
#include "model/treetool.h"

namespace {

// Progress and messages of a worker, shown on the main thread through the worker's
// synchronized call: the worker goes on only after the update has run.
class WorkerReport : public SnapshotReport {
 public:
  using Sync = std::function<void(const std::function<void()>&)>;
  WorkerReport(Sync sync, StatusControl label, StatusControl bar)
      : sync_(std::move(sync)), label_(label), bar_(bar) {}

  void Update() override {
    sync_([this] {
      Interaction& ui = UI();
      ui.SetStatusText(label_, StatusText);
      ui.SetStatusMax(bar_, ProgressMax);
      ui.SetStatusPosition(bar_, ProgressPos);
      if (error_pending_) {
        error_pending_ = false;
        ui.MessageDlg(error_text_, mtError, mbOK, 0);
      }
      ui.ProcessMessages();
    });
  }

  void ShowError(const std::string& message) override {
    error_text_ = message;
    error_pending_ = true;
    Update();
  }

 private:
  Sync sync_;
  StatusControl label_, bar_;
  bool error_pending_ = false;
  std::string error_text_;
};

class SnapshotWorker : public platform::WorkerThread {
 public:
  SnapshotWorker(StatusControl label, StatusControl bar)
      : report_([this](const std::function<void()>& fn) { Synchronize(fn); }, label, bar) {
    SetPriority(THREAD_PRIORITY_BELOW_NORMAL);
  }
  ~SnapshotWorker() override = default;

  // The section(s) this worker produced; flushed.
  const platform::ChunkedMemoryStream& Output() {
    writer_.Flush();
    return output_;
  }

 protected:
  platform::ChunkedMemoryStream output_;
  DataWriter writer_{output_};
  WorkerReport report_;
};

// The registry section. The root keys are taken in alphabetical order: the tree is
// sorted for the walk and restored from a copy afterwards. Tree work happens on the
// main thread, which owns the tree and its views.
class TWriteRegThread : public SnapshotWorker {
 public:
  explicit TWriteRegThread(Tree& registryTree)
      : SnapshotWorker(StatusControl::Statuspanel, StatusControl::ProgressBar1),
        tree_(registryTree),
        show_errors_(ReadSettingBool("ShowRegistryErrors")) {}

 protected:
  void Execute() override {
    platform::MemoryStream copy;
    std::vector<std::string> roots;
    bool suspended = false;
    try {
      Synchronize([&] {
        tree_.BeginUpdate();
        suspended = true;
        {
          DataWriter w(copy);
          SaveTree(std::string(), &w, tree_, false, false, true);
        }
        tree_.SortAll([](const TreeNode& a, const TreeNode& b) {
          return platform::CompareNames(a.Text(), b.Text()) < 0;
        });
        if (TreeNode* top = tree_.First())
          for (size_t i = 0; i < top->Count(); ++i)
            if (top->Child(i)->StateIndex() != stUnchecked) roots.push_back(top->Child(i)->Text());
      });
      WriteRegistrySection(writer_, roots, show_errors_, report_);
      writer_.Flush();
    } catch (const std::exception& e) {
      report_.ShowError(e.what());
    }
    try {
      Synchronize([&] {
        if (!suspended) return;
        if (copy.Size() > 0) {
          copy.Seek(0);
          DataReader r(copy);
          LoadTree(std::string(), &r, tree_, false);
          if (TreeNode* top = tree_.First()) top->Expand();
        }
        tree_.EndUpdate();
      });
    } catch (const std::exception& e) {
      report_.ShowError(e.what());
    }
    report_.StatusText = " Status";
    report_.ProgressPos = 0;
    report_.Update();
  }

 private:
  Tree& tree_;
  bool show_errors_;
};

// The drive section, then the system-file section. What the walk needs of the trees
// and the settings is taken on the main thread before the worker starts.
class TWriteDrivesThread : public SnapshotWorker {
 public:
  TWriteDrivesThread(Tree& driveTree, Tree& systemTree)
      : SnapshotWorker(StatusControl::StatusLBL2, StatusControl::ProgressBar2) {
    if (TreeNode* top = driveTree.First())
      for (size_t i = 0; i < top->Count(); ++i) {
        const TreeNode* d = top->Child(i);
        drives_.push_back({d->Text(), d->ImageIndex(), d->StateIndex()});
      }
    if (TreeNode* top = systemTree.First())
      for (size_t i = 0; i < top->Count(); ++i)
        system_files_.push_back({top->Child(i)->Text(), top->Child(i)->StateIndex()});
    versions_.StoreVersionInfo = ReadSettingBool("StoreVersionInfo");
    versions_.ExtListUpper = platform::UpperCase(ReadSettingText("VersionExtList"));
    path_to_system_files_ = ReadSettingText("PathToSystemFiles");
  }

 protected:
  void Execute() override {
    try {
      WriteDriveSection(writer_, drives_, versions_, report_);
    } catch (const std::exception& e) {
      report_.ShowError(e.what());  // the system-file section is not written
      writer_.Flush();
      return;
    }
    try {
      WriteSystemFilesSection(writer_, system_files_, path_to_system_files_, report_);
    } catch (const std::exception& e) {
      report_.ShowError(e.what());
    }
    writer_.Flush();
  }

 private:
  std::vector<DriveEntry> drives_;
  std::vector<SystemFileEntry> system_files_;
  VersionOptions versions_;
  std::string path_to_system_files_;
};

void AppendOutput(DataWriter& file, SnapshotWorker& worker) {
  worker.Output().ForEachChunk([&](const uint8_t* bytes, size_t n) { file.WriteRaw(bytes, n); });
}

// Shows the drive worker's status controls for the snapshot and puts them back.
class StatusScope {
 public:
  StatusScope() : reglabel_visible_(UI().StatusVisible(StatusControl::reglabel)) {
    UI().SetStatusVisible(StatusControl::StatusLBL2, true);
    UI().SetStatusVisible(StatusControl::ProgressBar2, true);
    UI().SetStatusVisible(StatusControl::reglabel, false);
  }
  ~StatusScope() {
    UI().SetStatusVisible(StatusControl::StatusLBL2, false);
    UI().SetStatusVisible(StatusControl::ProgressBar2, false);
    UI().SetStatusVisible(StatusControl::reglabel, reglabel_visible_);
  }

 private:
  bool reglabel_visible_;
};

}  // namespace

void WriteConfiguration(const std::string& fileName, Tree& registryTree, Tree& driveTree,
                        Tree& systemTree) {
  StatusScope status;
  auto registryWorker = std::make_unique<TWriteRegThread>(registryTree);
  auto driveWorker = std::make_unique<TWriteDrivesThread>(driveTree, systemTree);
  registryWorker->Start();
  driveWorker->Start();
  platform::WaitForWorkers({registryWorker.get(), driveWorker.get()}, [] { UI().ProcessMessages(); });

  // Written even after a worker's error: the file then holds what the worker produced.
  // It is written beside the target first and takes its place only when complete, so a
  // full disk never costs the configuration stored before.
  const std::string partial = fileName + ".tmp";
  try {
    {
      platform::FileStream file(partial, platform::FileStream::Mode::Create);
      DataWriter writer(file);
      writer.WriteString(kRegistrationHeader);
      AppendOutput(writer, *registryWorker);
      AppendOutput(writer, *driveWorker);
      writer.Flush();
    }
    platform::MoveReplacing(partial, fileName);
  } catch (...) {
    platform::RemoveFile(partial);
    throw;
  }
}
