// The file backup store: copies of the files of chosen folders below the setting
// DLLBackupPath, each at its own full path without the drive's colon, from which the
// undo brings back deleted and altered files. Also the overwrite question that the
// backup run and the undo share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The store's folder (DLLBackupPath, with a backslash) and where a file is kept in it.
std::string BackupStoreFolder();
std::string StoredCopyOf(const std::string& fullPath);

// "Die Datei existiert bereits im Zielordner. ..." about copying source over target
// (shown names the file in the question). answer holds 0, or the remembered "&Alle
// Nein" / "A&lle Ja", and takes such an answer when given; "Abbrechen" raises
// EMyAbort. True when the copy is to be made.
bool AskOverwrite(const std::string& shown, const std::string& source, const std::string& target, int& answer);

// One folder definition: the folder, whether its subfolders count, the mask, and how
// many files the last run found there (-1 before a run).
struct BackupDefinition {
  std::string Folder;
  bool Recursive = false;
  std::string Mask = "*.*";
  int32_t Found = -1;
};

// The definitions kept in the settings section "DLLBackUpFRM"; without any, the
// system folder, not recursive, "*.*".
std::vector<BackupDefinition> LoadBackupDefinitions();
void SaveBackupDefinitions(const std::vector<BackupDefinition>& rows);

struct BackupCounters {
  int32_t Folders = 0;
  int32_t Files = 0;
};

// Copies every file of the definitions' folders that the store does not hold with the
// same time and size. overwrite: 0 asks before replacing a stored copy; mrYesToAll or
// mrNoToAll answer for all (batch mode asks nobody). A cancel ends the current row;
// an error of one row is shown and the next row follows.
// progress, when given, hears of each folder searched and of every tenth file.
struct BackupProgress {
  size_t Row = 0;      // the definition being run
  std::string Folder;  // the folder being searched
  BackupCounters Counters;
};
BackupCounters RunFileBackup(std::vector<BackupDefinition>& rows, int overwrite = 0,
                             const std::function<void(const BackupProgress&)>& progress = {});
