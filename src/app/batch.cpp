#include "app/batch.h"

#include <windows.h>

#include <cstdio>

#include "app/batch_interaction.h"
#include "app/commands.h"
#include "core/exceptions.h"
#include "core/format.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/files.h"
#include "platform/names.h"
#include "platform/text.h"
#include "removal/export.h"
#include "removal/install_files.h"
#include "removal/recyc.h"
#include "removal/restore.h"
#include "snapshot/configuration.h"
#include "model/data_codes.h"
#include "ui/splash.h"

namespace {

std::string Upper(const std::string& s) { return platform::UpperCase(s); }

std::string CommandOf(const std::vector<std::string>& args) {
  if (args.empty()) return {};
  std::string c = Upper(args[0]);
  if (!c.empty() && c[0] == '/') c.erase(0, 1);
  return c;
}

using platform::FileExists;

// The folder of a file name must exist before anything long is done for it.
void RequireFolderOf(const std::string& file) {
  const size_t slash = file.find_last_of('\\');
  if (slash == std::string::npos) return;
  const std::string folder = file.substr(0, slash + 1);
  const DWORD a = GetFileAttributesW(platform::Utf8ToWide(folder).c_str());
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY))
    throw EQuitawayError(FormatMsg(tr("Das Verzeichnis %s existiert nicht"), {folder}));
}

void Status(SplashScreen* splash, const std::string& text) {
  if (splash != nullptr) splash->SetStatus(text);
}

void LoadForBatch(Workspace& ws, const std::string& resultFile, SplashScreen* splash) {
  if (!FileExists(resultFile))
    throw EQuitawayError(FormatMsg(tr("Die Logdatei %s existiert nicht"), {resultFile}));
  Status(splash, tr("Status: Lade Protokolldatei"));
  LoadResult(ws, resultFile);
}

void StoreConfigCommand(Workspace& ws, const std::vector<std::string>& args, SplashScreen* splash) {
  Status(splash, tr("Status: Speichern der aktuellen Konfiguration"));
  const std::string target = args.size() > 1 ? args[1] : ws.DataFile(kOldConfigFile);
  RequireFolderOf(target);
  StoreConfigurationAs(ws, target);
  // Taken before an installation: the store is brought up to this state, asking nobody.
  AutomaticFileBackup(mrYesToAll);
}

void CompareCommand(Workspace& ws, const std::vector<std::string>& args, SplashScreen* splash) {
  Status(splash, tr("Status: Speichern der aktuellen Konfiguration"));
  RequireName(args[1]);
  const std::string resultFile = BatchResultName(args[1]);
  RequireFolderOf(resultFile);
  const std::string oldFile = args.size() > 2 ? args[2] : ws.DataFile(kOldConfigFile);
  if (args.size() <= 2) RequireStoredConfiguration(ws);
  else if (!FileExists(oldFile)) throw EQuitawayError(FormatMsg(tr("Die Datei %s existiert nicht"), {oldFile}));
  std::string newFile;
  if (args.size() > 3) {
    newFile = args[3];
    if (!FileExists(newFile)) throw EQuitawayError(FormatMsg(tr("Die Datei %s existiert nicht"), {newFile}));
  } else {
    newFile = ws.DataFile(kNewConfigFile);
    StoreConfigurationAs(ws, newFile);
  }
  Status(splash, tr("Status: Erstellen der Logdatei"));
  CompareInto(ws, resultFile, oldFile, newFile);
}

// The result file's name without its extension.
std::string WithoutExtension(const std::string& file) {
  const size_t dot = file.find_last_of('.'), slash = file.find_last_of('\\');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? file.substr(0, dot) : file;
}

void ExportTextCommand(Workspace& ws, const std::vector<std::string>& args, SplashScreen* splash) {
  RequireName(args[1]);
  const std::string resultFile = BatchResultName(args[1]);
  LoadForBatch(ws, resultFile, splash);
  Status(splash, tr("Status: Exportiere Installationsdaten..."));
  const size_t slash = resultFile.find_last_of('\\');
  const std::string base = WithoutExtension(resultFile);
  const std::string label = resultFile.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::string defaultText = ReadSettingText("DefaultText");
  const struct {
    Tree& tree;
    int kind;
    const char* suffix;
  } exports[] = {{ws.ResultView, tkRegistry, "_REG.txt"},
                 {ws.DriveResult, tkFiles, "_FILES.txt"},
                 {ws.SystemResult, tkSystem, "_INI.txt"}};
  for (const auto& e : exports)
    SaveTextLines(base + e.suffix,
                  ExportResultText(ws.Result, e.tree.First(), kAllKinds, e.kind, label, defaultText));
}

void CreateInstallCommand(Workspace& ws, const std::vector<std::string>& args, SplashScreen* splash) {
  RequireName(args[1]);
  const std::string resultFile = BatchResultName(args[1]);
  LoadForBatch(ws, resultFile, splash);
  Status(splash, tr("Status: Exportiere Installationsdaten..."));
  const std::string base = WithoutExtension(resultFile);
  std::string name = base;
  for (char& c : name)
    if (c == '~') c = '_';
  // Nobody is asked: the files go into the default folder, replacing what is there.
  CreateAllInstallFiles(ws.Result, ws.ResultView.First(), ws.SystemResult.First(), ws.DriveResult.First(), name, base,
                        false);
}

// Every change of the log taken back, asking nobody; one line on standard error for
// each failed action (action, path, name, status, separated by tabs). False when any
// failed. A shared file kept by the answers is no failure.
bool UninstallCommand(Workspace& ws, const std::vector<std::string>& args, SplashScreen* splash,
                      BatchInteraction& batch) {
  RequireName(args[1]);
  LoadForBatch(ws, BatchResultName(args[1]), splash);
  std::vector<std::string> newShared;
  for (const SharedDllEntry& e : CollectSharedDlls(ws.Result, ws.ResultView))
    if (RecordsNewFile(ws.Result, ws.DriveResult, e.Name)) newShared.push_back(e.Name);
  batch.SetNewSharedFiles(std::move(newShared));
  const bool askReadOnly = AskReadOnly;
  AskReadOnly = false;  // read-only files the log records as new go too
  ListModel todo;
  const struct {
    const char* status;
    RestoreProc proc;
    Tree& tree;
  } areas[] = {{"Status: Registry wiederherstellen", RestoreRegistryChanges, ws.ResultView},
               {"Status: Dateien wiederherstellen", RestoreDriveChanges, ws.DriveResult},
               {"Status: Systemdateien wiederherstellen", RestoreSystemFileChanges, ws.SystemResult}};
  try {
    for (const auto& area : areas) {
      Status(splash, tr(area.status));
      // What the log records as altered is what it was: its stored copy replaces it.
      RestoreRequest request{ws.Result, area.tree.First(), nullptr, rfNew | rfDeleted | rfAltered, true, todo,
                             &ws.ResultView, mrYesToAll};
      area.proc(request);
    }
  } catch (...) {
    AskReadOnly = askReadOnly;
    throw;
  }
  AskReadOnly = askReadOnly;
  bool allDone = true;
  for (size_t i = 0; i < todo.Count(); ++i) {
    const ListRow& row = todo.Row(i);
    if (row.Data != roFailed) continue;
    allDone = false;
    std::string line = row.Caption;
    for (size_t column : {0, 1, 3}) line.append("\t").append(row.SubItems[column]);
    PrintError(line);
  }
  return allDone;
}

}  // namespace

std::string CommandLineHelpText() {
  return "COMMANDLINE Options:\r? - for help\rSTORECONFIG [filename]\r  (if no filename is given, 'OldCfg.TSD' is "
         "used, Last.TSS is used as selection)\rCOMPARE logfilename [old_tsd_file] [new_tsd_file]\r  (if "
         "[new_tsd_file] is given it should already exist, if not given 'NewCfg.TSD' will be created, Last.TSS is "
         "used as selection\rUNINSTALL filename\r  uninstalls the complete info given in the logfile\rCREATEINSTALL "
         "filename\r  create installation files from the logfile (targetfilenames = filename+_xxx.xxx)\rEXPORTTEXT "
         "filename\r  create Text export (targetfilenames = filename+_xxx.txt)\r";
}

std::string BatchResultName(const std::string& name) {
  std::string result = name;
  if (Upper(result).find(".TSL") == std::string::npos) result += ".TSL";
  const std::wstring wide = platform::Utf8ToWide(result);
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {
    full.resize(n);
    n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (n == 0) return result;
  full.resize(n);
  return platform::WideToUtf8(full);
}

bool IsBatchCommand(const std::vector<std::string>& args) {
  const std::string c = CommandOf(args);
  if (c == "STORECONFIG") return args.size() <= 2;
  if (c == "COMPARE") return args.size() >= 2 && args.size() <= 4;
  if (c == "EXPORTTEXT" || c == "UNINSTALL" || c == "CREATEINSTALL") return args.size() == 2;
  return false;
}

int RunBatchCommand(Workspace& ws, const std::vector<std::string>& args, SplashScreen* splash) {
  BatchInteraction batch(splash);
  Interaction* previous = &UI();
  InstallInteraction(&batch);
  Status(splash, "running Batchmode...");
  int code = 0;
  try {
    const std::string c = CommandOf(args);
    if (c == "STORECONFIG") StoreConfigCommand(ws, args, splash);
    else if (c == "COMPARE") CompareCommand(ws, args, splash);
    else if (c == "EXPORTTEXT") ExportTextCommand(ws, args, splash);
    else if (c == "CREATEINSTALL") CreateInstallCommand(ws, args, splash);
    else if (c == "UNINSTALL") code = UninstallCommand(ws, args, splash, batch) ? 0 : 1;
    else throw EQuitawayError(FormatMsg(tr("Der Befehl %s ist in dieser Version noch nicht verfügbar"), {c}));
  } catch (const EAbort&) {
    code = 1;  // its messages were shown already
  } catch (const std::exception& e) {
    PrintError(e.what());
    code = 1;
  }
  if (batch.ErrorShown()) code = 1;
  InstallInteraction(previous);
  return code;
}
