// A configuration file: the watched registry, drives and system files at one moment.
//
//   "* THIS IS A TIDYSWEEP REGISTRATION DATAFILE Ver 4/97 *"
//   registry section                 (TWriteRegThread)
//   drive section, system-file section (TWriteDrivesThread)
//
// Both workers run at once, each into its own memory stream; the main thread waits
// for them, showing their progress and messages, and then writes the file.
#pragma once

#include <string>

#include "model/tree_model.h"

// Takes the snapshot into fileName (replaced). registryTree is the main window's
// RegView. Progress goes to the status controls of the interaction seam.
void WriteConfiguration(const std::string& fileName, Tree& registryTree, Tree& driveTree,
                        Tree& systemTree);
