// The main window's state as one object without a window: the six trees with their
// loaders, the no-check list, the current result and the program's folders. The
// window shows it; batch mode and tests use it alone.
#pragma once

#include <string>
#include <vector>

#include "result/result_file.h"
#include "snapshot/selection_trees.h"
#include "model/tree_model.h"

struct Workspace {
  Workspace();

  // Selection trees and the files the drive snapshot skips.
  Tree RegView, DriveSel, SystemSelect;
  std::vector<std::string> NoCheck;
  bool SelectionModified = false;

  // Result trees and what is known of the loaded result file.
  Tree ResultView, DriveResult, SystemResult;
  ResultFileInfo Result;  // Result.FileName is the current result file ("" when none)
  bool ResultModified = false;

  std::string ProgramFolder;  // with trailing backslash
  std::string WindowsFolder;  // with trailing backslash
  std::string SystemFolder;   // with trailing backslash
  KindImages Images;

  const std::string& CurrentResultFile() const { return Result.FileName; }
  // A default data file in the program folder ("OldCFG.TSD" ...).
  std::string DataFile(const char* name) const { return ProgramFolder + name; }
  SelectionContext Context() const;

  // The result trees show "<Keine Ergebnisdatei geladen>" while no result is loaded.
  void ShowNoResult();
};
