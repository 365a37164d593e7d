#include "app/commands.h"

#include <algorithm>

#include <windows.h>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/files.h"
#include "platform/names.h"
#include "platform/text.h"
#include "compare/compare.h"
#include "removal/file_store.h"
#include "snapshot/configuration.h"
#include "model/data_codes.h"
#include "model/treetool.h"

namespace {

using platform::FileExists;

// A confirmation question whose "&Nein" ends the command.
void Confirm(const std::string& question) {
  if (MessageDlg(question, mtConfirmation, mbYesNo) != mrYes) throw EMyAbort();
}

int32_t StateAt(Tree& tree, const std::string& path) {
  const TreeNode* node = FindNodeByPath(path, tree, true, true);
  return node ? node->StateIndex() : stUnchecked;
}

bool Watched(int32_t state) { return state == stChecked || state == stPartial; }

bool NothingSelected(Tree& tree) { return tree.First() == nullptr || tree.First()->StateIndex() == stUnchecked; }

void AskFirstTwo(Workspace& ws) {
  if (NothingSelected(ws.RegView))
    Confirm(tr("Sie haben keine Schlüssel der Registry zur Überwachung gewählt!\rWollen Sie trotzdem fortfahren ?"));
  if (NothingSelected(ws.DriveSel))
    Confirm(tr("Sie haben keine Laufwerke zur Überwachung ausgewählt !\rWollen Sie trotzdem fortfahren ?"));
}

// Suspends the registry tree's updates and shows the hourglass for one command.
class CommandScope {
 public:
  explicit CommandScope(Workspace& ws) : update_(ws.RegView) {}

 private:
  TreeUpdateScope update_;
  BusyScope busy_;
};

}  // namespace

void RequireStoredConfiguration(Workspace& ws) {
  if (!FileExists(ws.DataFile(kOldConfigFile)))
    throw EQuitawayError(tr("Bitte speichern Sie zuerst die aktuelle Konfiguration\r(`aktuelle Konfiguration "
                            "speichern` zuerst benutzen, siehe Hilfedatei !"));
}

void RequireName(const std::string& resultFile) {
  if (resultFile.empty()) throw EQuitawayError(tr("Bitte geben Sie einen Dateinamen an !"));
}

void RunSanityChecks(Workspace& ws, bool firstTwoOnly) {
  AskFirstTwo(ws);
  if (firstTwoOnly) return;
  const std::string top = std::string(kRegistryTop) + "\\";
  if (Watched(StateAt(ws.RegView, top + "HKEY_DYN_DATA")))
    Confirm(tr("Der Bereich HKEY_DYN_DATA sollte nicht überwacht werden !\rEs können hier keine Werte "
               "zurückgesetzt werden, eine Überwachung ist hier sinnlos.\rWollen Sie trotzdem fortfahren ?"));
  if (Watched(StateAt(ws.RegView, top + "HKEY_CLASSES_ROOT")) &&
      Watched(StateAt(ws.RegView, top + "HKEY_LOCAL_MACHINE\\Software\\Classes")))
    Confirm(tr("Die beiden Bereiche HKEY_CLASSES_ROOT und HKEY_LOCAL_MACHINE\\Software\\Classes\rsollten nicht "
               "gleichzeitig ausgewählt sein, da sie dieselben Daten enthalten.\rWollen Sie trotzdem fortfahren ?"));
  if (Watched(StateAt(ws.RegView, top + "HKEY_CURRENT_USER")) && Watched(StateAt(ws.RegView, top + "HKEY_USERS")))
    Confirm(tr("Die beiden Bereiche HKEY_CURRENT_USER und HKEY_USERS\rsollten nicht gleichzeitig ausgewählt sein, "
               "da sie dieselben Daten enthalten.\rWollen Sie trotzdem fortfahren ?"));
}

void AutomaticFileBackup(int overwrite) {
  if (ReadSettingInt("MakeDLLBackup") <= 0) return;
  try {
    std::vector<BackupDefinition> rows = LoadBackupDefinitions();
    RunFileBackup(rows, overwrite);
  } catch (const std::exception&) {
    // The configuration is written; a backup that fails does not undo that.
  }
}

void StoreConfiguration(Workspace& ws) {
  CommandScope scope(ws);
  RunSanityChecks(ws);
  const std::string stored = ws.DataFile(kOldConfigFile);
  const std::string backup = ws.DataFile(kOldConfigBackup);
  if (FileExists(stored)) platform::MoveReplacing(stored, backup);
  WriteConfiguration(stored, ws.RegView, ws.DriveSel, ws.SystemSelect);
  AutomaticFileBackup(0);
}

void StoreConfigurationAs(Workspace& ws, const std::string& fileName) {
  BusyScope busy;
  WriteConfiguration(fileName, ws.RegView, ws.DriveSel, ws.SystemSelect);
}

void CompareInto(Workspace& ws, const std::string& resultFile, const std::string& oldFile,
                 const std::string& newFile) {
  BusyScope busy;
  ResultFileInfo info;
  CompareConfigurations(oldFile, newFile, resultFile,
                        {ws.RegView, ws.DriveSel, ws.SystemSelect, ws.ResultView, ws.DriveResult, ws.SystemResult},
                        ws.NoCheck, ws.Images, info);
  ws.Result = info;
  ws.ResultModified = false;
  for (Tree* tree : {&ws.ResultView, &ws.DriveResult, &ws.SystemResult})
    if (TreeNode* top = tree->First()) top->Expand();
}

void CreateLogfile(Workspace& ws, const std::string& resultFile) {
  CreateLogfile(ws, [&](std::string& name) { return name = resultFile, true; });
}

void CreateLogfile(Workspace& ws, const ChooseFile& choose) {
  RequireStoredConfiguration(ws);
  TreeUpdateScope update(ws.RegView);
  RunSanityChecks(ws);
  std::string resultFile;
  if (!choose(resultFile)) return;
  RequireName(resultFile);
  const std::string current = ws.DataFile(kNewConfigFile);
  {
    BusyScope busy;
    WriteConfiguration(current, ws.RegView, ws.DriveSel, ws.SystemSelect);
  }
  CompareInto(ws, resultFile, ws.DataFile(kOldConfigFile), current);
}

void IncrementalCompare(Workspace& ws, const std::string& resultFile) {
  IncrementalCompare(ws, [&](std::string& name) { return name = resultFile, true; });
}

void IncrementalCompare(Workspace& ws, const ChooseFile& choose) {
  RequireStoredConfiguration(ws);
  TreeUpdateScope update(ws.RegView);
  RunSanityChecks(ws, true);
  std::string resultFile;
  if (!choose(resultFile)) return;
  RequireName(resultFile);
  const std::string current = ws.DataFile(kNewConfigFile);
  {
    BusyScope busy;
    WriteConfiguration(current, ws.RegView, ws.DriveSel, ws.SystemSelect);
  }
  CompareInto(ws, resultFile, ws.DataFile(kOldConfigFile), current);
  // The next compare starts from the state just recorded.
  platform::MoveReplacing(current, ws.DataFile(kOldConfigFile));
}

void RestoreSavedConfiguration(Workspace& ws) {
  const std::string stored = ws.DataFile(kOldConfigFile);
  const std::string backup = ws.DataFile(kOldConfigBackup);
  if (!FileExists(backup)) {
    MessageDlg(tr("Die benötigte Datei:OLDCFG.BAK existiert nicht !\rdas Wiederherstellen ist nicht möglich."),
               mtInformation, mbOK);
    return;
  }
  if (MessageDlg(tr("Wollen Sie die aktuelle gespeicherte Konfiguration (OLDCFG.TSD)\rdurch die erstellte "
                    "Sicherheitskopie (OLDCFG.BAK) ersetzen ?"),
                 mtConfirmation, mbYesNo) != mrYes)
    return;
  platform::MoveReplacing(backup, stored);  // raises when it cannot be done; stored stays then
}

void LoadResult(Workspace& ws, const std::string& fileName) {
  BusyScope busy;
  ResultFileInfo info;
  LoadResultFile(fileName, ws.RegView, ws.DriveSel, ws.ResultView, ws.DriveResult, ws.SystemSelect,
                 ws.SystemResult, ws.NoCheck, ws.Images, info);
  ws.Result = info;
  ws.ResultModified = false;
  ws.SelectionModified = true;
  for (Tree* tree : {&ws.ResultView, &ws.DriveResult, &ws.SystemResult})
    if (TreeNode* top = tree->First()) top->Expand();
}

void LoadStartupSelection(Workspace& ws) {
  DefaultSelection(ws.RegView, ws.DriveSel, ws.SystemSelect, ws.NoCheck, ws.Context());
  const std::string last = ws.DataFile(kLastSelectionFile);
  if (FileExists(last)) LoadSelectionFile(last, nullptr, ws.RegView, ws.DriveSel, ws.SystemSelect, ws.NoCheck);
  ws.SelectionModified = false;
}

void LoadSelection(Workspace& ws, const std::string& fileName) {
  BusyScope busy;
  LoadSelectionFile(fileName, nullptr, ws.RegView, ws.DriveSel, ws.SystemSelect, ws.NoCheck);
  ws.SelectionModified = !platform::SameText(fileName, ws.DataFile(kLastSelectionFile));
}

void SaveSelection(Workspace& ws, const std::string& fileName) {
  SaveSelectionFile(fileName, nullptr, ws.RegView, ws.DriveSel, ws.SystemSelect, ws.NoCheck);
  ws.SelectionModified = false;
}

int AddToNoCheck(Workspace& ws, const std::vector<std::string>& files) {
  int added = 0;
  for (const std::string& file : files) {
    const bool listed = std::any_of(ws.NoCheck.begin(), ws.NoCheck.end(),
                                    [&](const std::string& entry) { return platform::SameText(entry, file); });
    if (listed) continue;
    ws.NoCheck.push_back(file);
    ++added;
  }
  ws.SelectionModified = true;
  MessageDlg(FormatMsg(tr("%d Dateien zur `nicht prüfen`-Liste hinzugefügt"), {std::to_string(added)}),
             mtInformation, mbOK);
  return added;
}

void RegisterFileTypes() {
  try {
    const std::string program = ProgramFile();
    TMyRegistry reg(raFull);
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    for (const char* ext : {".TSS", ".TSL", ".TSD"}) {
      if (!reg.OpenKey(std::string("\\") + ext, true)) return;
      reg.WriteString("", ProductName);
    }
    const std::string base = std::string("\\") + ProductName;
    if (!reg.OpenKey(base, true)) return;
    reg.WriteString("", std::string(ProductName) + " Datei");
    if (!reg.OpenKey(base + "\\DefaultIcon", true)) return;
    reg.WriteString("", program + ",1");
    if (!reg.OpenKey(base + "\\shell\\open\\command", true)) return;
    reg.WriteString("", program + " \"%1\"");
  } catch (const std::exception&) {
    // Without the rights to write there the program works all the same.
  }
}
