// Batch mode: the workflow from the command line, without a person.
//
//   STORECONFIG [file]                  the current state into file or OldCFG.TSD
//   COMPARE logfile [old.TSD [new.TSD]]  compare into logfile (".TSL" appended)
//   EXPORTTEXT logfile                  logfile_REG.txt, _FILES.txt, _INI.txt
//
// Commands are also taken with a leading "/". Messages go to standard error, one
// line each; a question nobody can answer ends the run with an error.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/workspace.h"

class SplashScreen;

// True when args name a batch command with a fitting number of arguments; other
// argument lists start the program normally.
bool IsBatchCommand(const std::vector<std::string>& args);

// Runs the batch command; returns the exit code (0 done, 1 failed).
int RunBatchCommand(Workspace& ws, const std::vector<std::string>& args, SplashScreen* splash);

// The text of "?" and "/?".
std::string CommandLineHelpText();

// A result file name as batch mode takes it: ".TSL" appended when the name does not
// contain it (in capitals), made absolute against the current folder.
std::string BatchResultName(const std::string& name);
