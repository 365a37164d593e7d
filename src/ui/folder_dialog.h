// The system's folder browser (folders only) with the program's texts.
#pragma once

#include <windows.h>

#include <string>

struct FolderDialogOptions {
  std::string Caption;  // the window's title; empty: the system's
  std::string Text;     // the text above the folders
  std::string Status;   // the status line below it; empty: none
  bool DrivesRoot = false;  // only the drives and what is below them
};

// folder: preset on entry (selected when it exists), chosen on OK, with a trailing
// backslash. False when cancelled.
bool ChooseFolder(HWND owner, const FolderDialogOptions& options, std::string& folder);
