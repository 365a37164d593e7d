// The comparison of two configurations into a result file (installation log) and
// the three result trees.
#pragma once

#include <string>
#include <vector>

#include "snapshot/result_file.h"
#include "snapshot/tree_model.h"

// The trees a comparison reads (selections) and rebuilds (results).
struct CompareTrees {
  Tree& RegistrySelection;
  Tree& DriveSelection;
  Tree& SystemSelection;
  Tree& RegistryResult;
  Tree& DriveResult;
  Tree& SystemResult;
};

// Compares oldFile with newFile section by section and writes resultFile (replaced):
// the selection, the three result trees and their value blocks. The three files
// stand in noCheck while the drives are compared, so the program's own files never
// count as changes; the list is restored also on failure. info describes the new
// result afterwards.
//
// Headers that are refused show their messages and "Fehler beim Einlesen der
// Dateien, Abbruch"; the comparison then ends with EAbort (the result file exists
// and is empty). Read errors inside the sections propagate.
void CompareConfigurations(const std::string& oldFile, const std::string& newFile,
                           const std::string& resultFile, const CompareTrees& trees,
                           std::vector<std::string>& noCheck, const KindImages& images,
                           ResultFileInfo& info);
