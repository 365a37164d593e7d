// The configuration and logfile commands of the main window, as functions on the
// workspace. Dialogs (file names) are the window's part; these take the names.
// Failures are exceptions with the German messages; "&Nein" at a question raises
// EMyAbort.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/workspace.h"

// "Bitte speichern Sie zuerst ..." unless OldCFG.TSD exists.
void RequireStoredConfiguration(Workspace& ws);
// "Bitte geben Sie einen Dateinamen an !" for an empty name.
void RequireName(const std::string& resultFile);

// The checks before writing or comparing a configuration. With firstTwoOnly only
// "no key" and "no drive" are asked (incremental compare, two configurations).
void RunSanityChecks(Workspace& ws, bool firstTwoOnly = false);

// "&Speichere aktuelle Konfiguration": OldCFG.TSD becomes OldCFG.BAK, the current
// state is written to OldCFG.TSD.
void StoreConfiguration(Workspace& ws);
// The file backup store's run over its stored definitions after a configuration was
// written, when the setting MakeDLLBackup is on; its errors are swallowed. overwrite
// as RunFileBackup takes it (0 asks).
void AutomaticFileBackup(int overwrite);
// "&Speichere Konfiguration unter": no checks, any file.
void StoreConfigurationAs(Workspace& ws, const std::string& fileName);

// Asks for a file name (the window's file dialog); false when the user cancelled.
using ChooseFile = std::function<bool(std::string& fileName)>;

// "&Erstelle Installationsprotokoll (vergleiche)": checks, then the file is chosen,
// NewCFG.TSD written now, compared with OldCFG.TSD into it, result loaded.
void CreateLogfile(Workspace& ws, const ChooseFile& choose);
void CreateLogfile(Workspace& ws, const std::string& resultFile);
// "&Inkrementelles Vergleichen": as CreateLogfile, then NewCFG.TSD replaces OldCFG.TSD.
void IncrementalCompare(Workspace& ws, const ChooseFile& choose);
void IncrementalCompare(Workspace& ws, const std::string& resultFile);
// Compares two given configurations into resultFile and makes it the current result.
void CompareInto(Workspace& ws, const std::string& resultFile, const std::string& oldFile,
                 const std::string& newFile);

// "&Wiederherstellen der gespeicherten Konfiguration": OldCFG.BAK back to OldCFG.TSD.
void RestoreSavedConfiguration(Workspace& ws);

// "Lade &Ergebnisdatei (Installationsprotokoll)" after the file dialog.
void LoadResult(Workspace& ws, const std::string& fileName);

// Selection files: the default selection, "Last.TSS", loading and saving.
void LoadStartupSelection(Workspace& ws);
void LoadSelection(Workspace& ws, const std::string& fileName);
void SaveSelection(Workspace& ws, const std::string& fileName);

// Adds the files not yet in the no-check list and reports how many with "%d Dateien
// zur `nicht prüfen`-Liste hinzugefügt"; the selection counts as changed.
int AddToNoCheck(Workspace& ws, const std::vector<std::string>& files);

// The file types TSS, TSL and TSD below HKEY_CLASSES_ROOT; a failure is not reported.
void RegisterFileTypes();
