#include "compare/compare.h"

#include "compare/drive_compare.h"
#include "compare/registry_compare.h"
#include "compare/system_compare.h"
#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/file_stream.h"
#include "platform/files.h"

namespace {

// The program's own files stand in the no-check list while the drives are compared.
class NoCheckScope {
 public:
  explicit NoCheckScope(std::vector<std::string>& list) : list_(list), size_(list.size()) {}
  void Add(const std::string& path) { list_.push_back(path); }
  ~NoCheckScope() {
    if (list_.size() > size_) list_.resize(size_);
  }

 private:
  std::vector<std::string>& list_;
  size_t size_;
};

void CheckHeaders(DataReader& o, DataReader& n, const std::string& oldFile, const std::string& newFile) {
  try {
    const std::string oldHeader = o.ReadString();
    const std::string newHeader = n.ReadString();
    if (oldHeader == kRegistrationHeaderV2 || newHeader == kRegistrationHeaderV2) {
      MessageDlg(tr("Diese Version des Programmes verarbeitet keine *.TSD der Versionen 1.4 oder früher!"),
                 mtError, mbOK);
      throw EAbort();
    }
    for (const auto& [header, file] : {std::pair{oldHeader, oldFile}, std::pair{newHeader, newFile}}) {
      if (header != kRegistrationHeader) {
        MessageDlg(FormatMsg(tr("Error: %s\rDies ist keine gültige Datei, oder eine inkompatible Version "), {file}),
                   mtError, mbOK);
        throw EAbort();
      }
    }
  } catch (const std::exception&) {
    MessageDlg(tr("Fehler beim Einlesen der Dateien, Abbruch"), mtError, mbOK);
    throw EAbort();
  }
}

// The three sections into out and the three trees; info gets the positions.
void CompareSections(DataReader& o, DataReader& n, DataWriter& out, const CompareTrees& trees, Tree results[3],
                     std::vector<std::string>& noCheck, const std::vector<std::string>& ownFiles,
                     const KindImages& images, ResultFileInfo& info) {
  out.WriteString(kResultHeader2);

  RegistryCompare registry(o, n, trees.RegistrySelection, results[0]);
  registry.Run();
  SaveSelectionFile(std::string(), &out, trees.RegistrySelection, trees.DriveSelection, trees.SystemSelection,
                    noCheck);
  registry.WriteResult(out, info.RegistryTreePos, info.RegistryBlockStart, true);

  NoCheckScope scope(noCheck);
  for (const std::string& file : ownFiles) scope.Add(file);
  DriveCompare drives(o, n, trees.DriveSelection, results[1], noCheck);
  drives.Run(ownFiles[0], ownFiles[1]);
  drives.WriteResult(out, info.DriveTreePos, info.DriveBlockStart, true);

  SystemCompare system(o, n, trees.SystemSelection, results[2], images);
  system.Run(ownFiles[0], ownFiles[1]);
  system.WriteResult(out, info.SystemTreePos, info.SystemBlockStart, false);
  out.Flush();
}

}  // namespace

void CompareConfigurations(const std::string& oldFile, const std::string& newFile,
                           const std::string& resultFile, const CompareTrees& trees,
                           std::vector<std::string>& noCheck, const KindImages& images,
                           ResultFileInfo& info) {
  platform::FileStream oldStream(oldFile, platform::FileStream::Mode::Read);
  platform::FileStream newStream(newFile, platform::FileStream::Mode::Read);
  DataReader o(oldStream);
  DataReader n(newStream);
  CheckHeaders(o, n, oldFile, newFile);

  // The result is written beside the target and built in trees of its own; only a
  // complete comparison replaces the file and the shown result, so that a failure
  // leaves both as they were (and a log of the same name is never lost).
  const std::string partial = resultFile + ".tmp";
  ResultFileInfo result;
  result.FileName = resultFile;
  result.Versions = true;
  Tree results[3];
  try {
    {
      platform::FileStream resultStream(partial, platform::FileStream::Mode::Create);
      DataWriter out(resultStream);
      CompareSections(o, n, out, trees, results, noCheck, {oldFile, newFile, resultFile, partial}, images, result);
    }
    platform::MoveReplacing(partial, resultFile);
  } catch (...) {
    platform::RemoveFile(partial);
    throw;
  }

  trees.RegistryResult.Adopt(results[0]);
  trees.DriveResult.Adopt(results[1]);
  trees.SystemResult.Adopt(results[2]);
  info = result;
}
