// The main window's commands: their ids, the menu bar with every command (the ones of
// later parts of the program disabled), the toolbar and each command's hint.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Menu commands. The ones of later parts of the program are present but disabled.
enum Cmd : int {
  cmLoadSelection = 1000, cmSaveSelection, cmResetSelection, cmRestoreSavedConfiguration, cmLoadResult, cmExit,
  cmWizard, cmWizardOld, cmWizardInstall, cmWizardRemove, cmRestoreAll,
  cmStoreConfiguration, cmCreateLogfile, cmIncrementalCompare, cmDuplicates, cmTempFiles, cmFileBackup, cmFonts,
  cmExistingPrograms, cmInstallFiles, cmWebClean, cmEmptyFolders, cmStoreConfigurationAs, cmCompareTwo, cmRefresh,
  cmOptions, cmHelp, cmWelcome,
  cmNoCheckAdd = 1100, cmNoCheckDelete, cmDontWatchFiles,
  cmNewKey, cmDeleteKey, cmNewValue, cmEditValue, cmDeleteValue, cmAddUserFile, cmRemoveUserFile,
  cmUndoChanges = 1200, cmExportData, cmDontWatchNextTime, cmShowClsid, cmResultInstallFiles, cmResultDontWatchFiles,
};

// An entry of a popup menu; one with entries of its own opens them as a submenu.
struct PopupItem {
  int id;
  const char* caption;
  bool enabled;
  std::vector<PopupItem> sub = {};
};
// Shows a popup menu at a screen point; returns the chosen command, 0 when none.
int ShowPopupMenu(HWND owner, POINT at, const std::vector<PopupItem>& items);

// The menu bar: Datei, Assistent, Aktion (with Extras), Optionen, Hilfe.
HMENU CreateMainMenu();
// The toolbar's buttons with the common controls' standard pictures; with only, just
// those commands (captions: with their menu captions beside them).
void FillToolbar(HWND toolbar, int dpi, std::vector<int> only = {}, bool captions = false);
// The hint of a command: its caption with each single "&" removed and "&&" made one
// "&" (empty for an unknown command).
std::string CommandHint(int command);
