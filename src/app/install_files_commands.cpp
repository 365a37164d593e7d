#include "app/install_files_commands.h"

#include "app/export_dialog.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "removal/export.h"
#include "removal/install_files.h"
#include "ui/folder_dialog.h"

namespace {

std::string WithoutExtension(const std::string& file) {
  const size_t dot = file.find_last_of('.'), slash = file.find_last_of('\\');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? file.substr(0, dot) : file;
}

// The kinds to write; false when cancelled.
bool ChooseKinds(HWND owner, int treeKind, uint32_t& mask) {
  TfExpForm choice(kAllKinds, treeKind);
  if (choice.ShowModal(owner) != 1) return false;
  mask = choice.Mask();
  return true;
}

bool AskName(std::string& name) {
  return UI().InputQuery(tr("Eingabe des Dateinamens"), tr("Bitte Dateinamen eingeben (ohne Endung)"), name);
}

// The target folder: the default one, or one chosen in the folder browser.
bool AskFolder(HWND owner, std::string& folder) {
  const int answer =
      MessageDlg(tr("Wollen Sie den Default-Ordner verwenden:\r") + folder, mtConfirmation, mbYes | mbNo | mbCancel);
  if (answer == mrCancel) return false;
  if (answer == mrYes) return true;
  return ChooseFolder(owner, {"Ordner wählen", "Wählen Sie einen Ziel-Ordner für die Dateien", "", false}, folder);
}

void Written(const std::string& kind, size_t lines) {
  const char* pattern = kind == ".REG" ? "*.REG-Datei erzeugt, (%d Zeilen)"
                        : kind == ".VBS" ? "*.VBS-Datei erzeugt, (%d Zeilen)"
                                         : "*.INF-Datei erzeugt, (%d Zeilen)";
  MessageDlg(FormatMsg(tr(pattern), {std::to_string(lines)}), mtInformation, mbOK);
}

}  // namespace

void CreateInstallFilesFor(HWND owner, const ResultFileInfo& info, TreeNode& node, int tab) {
  uint32_t mask = 0;
  // The system files' choice shows the captions of the file structure, as its own does.
  if (!ChooseKinds(owner, tab == 0 ? tkRegistry : tkFiles, mask)) return;
  const std::string base = WithoutExtension(info.FileName);
  if (tab == 1) {
    std::string folder = base;
    if (!AskFolder(owner, folder)) return;
    CopyChangedFiles(info, &node, mask, folder, true);
    MessageDlg(tr("Kopieren der Dateien abgeschlossen !"), mtInformation, mbOK);
    return;
  }
  std::string name = base;
  if (!AskName(name)) return;
  std::vector<std::string> lines;
  if (tab == 0) {
    ExportRegFile(info, &node, mask, lines);
    if (lines.empty()) return;  // nothing to write
    SaveTextLines(name + ".REG", lines, true);
    Written(".REG", lines.size());
  } else {
    ExportInfFile(info, &node, mask, lines);
    SaveTextLines(name + "_add.INF", lines, true);
    Written(".INF", lines.size());
  }
}

void CreateAllInstallFilesCommand(HWND owner, Workspace& ws) {
  if (ws.CurrentResultFile().empty()) return;
  InstallFilesDialog dialog;
  if (!ChooseKinds(owner, tkRegistry, dialog.Mask)) return;
  std::string name = WithoutExtension(ws.CurrentResultFile());
  for (char& c : name)
    if (c == '~') c = '_';
  if (!AskName(name)) return;
  dialog.Written = Written;
  bool copied = false;  // a cancelled folder question ends the run without a word
  dialog.ChooseFolder = [owner, &copied](std::string& folder) { return copied = AskFolder(owner, folder); };
  CreateAllInstallFiles(ws.Result, ws.ResultView.First(), ws.SystemResult.First(), ws.DriveResult.First(), name,
                        WithoutExtension(ws.CurrentResultFile()), true, dialog);
  if (copied) MessageDlg(tr("Export abgeschlossen!"), mtInformation, mbOK);
}
