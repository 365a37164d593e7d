// File deletion under the user's deletion settings, and the shell's file operations.
//
// Every file the program deletes on the user's behalf goes through
// DeleteFileWithBackup; every deletion, move and copy of files and folders goes
// through the Shell* routines below, which wrap SHFileOperationW. Paths are UTF-8.
#pragma once

#include <windows.h>

#include <string>

// Folder below which DeleteFileWithBackup moves files while the setting BackupFiles
// is on. Each deleting command sets it before it starts (the undo run to BackupDir
// plus the result file's name, the tools to their own sub-folders of BackupDir).
// Empty until then. Process-wide and unguarded: one deleting command at a time.
extern std::string CurrentBackupFolder;

// While set, DeleteFileWithBackup asks before it deletes a read-only file. Commands
// set it before they delete; answering "&Alles" clears it for the rest of the run.
extern bool AskReadOnly;

// The window that owns the shell's dialogs (the application window); nullptr until
// the window program sets it, as in tests and batch mode.
void SetShellOwnerWindow(HWND owner);
HWND ShellOwnerWindow();

// Deletes a file, or a folder with its contents, as the user's settings say: asks
// about read-only files while AskReadOnly is set, moves the item below
// CurrentBackupFolder when BackupFiles is on (else deletes it), through the recycle
// bin when UseRecycleBin is on. Returns true; every failure raises EQuitawayError
// with the German message ("Datei existiert nicht", "Löschen vom Benutzer
// abgebrochen", "Datei %s konnte nicht gelöscht werden"). It never returns while the
// item is still at its place.
bool DeleteFileWithBackup(const std::string& path);

// The shell's file operations on a single absolute path (a drive letter with a
// backslash, or a share), expanded to a full path first. A relative path ("C:",
// "name") depends on the current folder and names no item for them.
// toRecycleBin: deletions go into the recycle bin; silent: no progress window;
// confirm: the shell may ask its own questions (overwriting) and show its own
// errors. Missing folders of a move or copy target are created without a question.
//
// Each returns true when the shell reported success, and false at once, without a
// shell call, when the source is neither an existing file nor folder (a path with
// wildcards or a relative one never exists here), when a deletion or move would take a drive or share
// root, or when the target of a move or copy is the source or lies inside it.
bool ShellDelete(const std::string& path, bool toRecycleBin, bool silent, bool confirm);
// As ShellDelete, after trimming blanks and one trailing backslash from the path.
bool ShellDeleteFolder(const std::string& path, bool toRecycleBin, bool silent, bool confirm);
bool ShellMove(const std::string& source, const std::string& target, bool toRecycleBin, bool silent,
               bool confirm);
bool ShellCopy(const std::string& source, const std::string& target, bool toRecycleBin, bool silent,
               bool confirm);

// True when a find on the path (one trailing backslash removed) yields a folder.
// Drive roots count as folders when the drive is there.
bool FolderExists(const std::string& path);

// True for the root of a drive or share ("C:\", "C:", "\\server\share\"): never
// deleted or moved by the routines above.
bool IsRootPath(const std::string& path);
