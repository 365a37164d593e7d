// The system's open and save dialogs with the program's texts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct FileDialogOptions {
  std::string Title;                                         // translated here
  std::vector<std::pair<std::string, std::string>> Filter;  // caption (translated), pattern
  std::string DefaultExtension;                             // without the dot
  std::string Folder;                                       // where the dialog opens
  bool Save = false;                                        // save: asks before overwriting
  bool Multiple = false;                                    // open: several files
};

// name: preset on entry, chosen on OK. False when cancelled. Several chosen files come
// back as full paths in names (name is then the first).
bool ChooseFileName(HWND owner, const FileDialogOptions& options, std::string& name,
                    std::vector<std::string>* names = nullptr);
