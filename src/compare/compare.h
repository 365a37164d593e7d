// The comparison of two configurations into a result file (installation log) and
// the three result trees.
#pragma once

#include <string>
#include <vector>

#include "result/result_file.h"
#include "model/tree_model.h"

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
// count as changes; the list is restored also on failure. Afterwards the result
// trees show the new result and info describes it.
//
// Headers that are refused show their messages and "Fehler beim Einlesen der
// Dateien, Abbruch"; the comparison then ends with EAbort. Read errors inside the
// sections propagate. On any failure the result trees, info and an existing file of
// the name resultFile stay as they were.
void CompareConfigurations(const std::string& oldFile, const std::string& newFile,
                           const std::string& resultFile, const CompareTrees& trees,
                           std::vector<std::string>& noCheck, const KindImages& images,
                           ResultFileInfo& info);
