// Installation files: what applies a logged installation again, on this machine or
// another: a registry file ("REGEDIT4") with the new and altered values and the
// deletions, a script that moves the use counters below SharedDlls by the logged
// differences, an INF file with the changed INI entries, and a copy of the new and
// altered files in a folder tree of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/tree_model.h"
#include "result/result_file.h"

// Every double quote and backslash preceded by a backslash.
std::string EscapeRegString(const std::string& text);

// The registry file of start's subtree (an empty list when nothing is in it). With
// scriptLines, the counter lines of the script go there (its first line included).
void ExportRegFile(const ResultFileInfo& info, TreeNode* start, uint32_t mask, std::vector<std::string>& lines,
                   std::vector<std::string>* scriptLines = nullptr);

// The INF file of start's subtree: its fixed lines, then a line per changed entry of
// an INI-type file (text files are never written).
void ExportInfFile(const ResultFileInfo& info, TreeNode* start, uint32_t mask, std::vector<std::string>& lines);

// Copies the new and altered files of start's subtree below targetFolder, each at its
// full path without the drive's colon; a folder that gets no file gets a hidden,
// empty "create.dir". askOnProblems: the shell confirms overwriting and a missing
// source is shown ("Abbrechen" ends the run); without it, nobody is asked and target
// files are replaced (batch mode).
void CopyChangedFiles(const ResultFileInfo& info, TreeNode* start, uint32_t mask, const std::string& targetFolder,
                      bool askOnProblems);

// How a run of CreateAllInstallFiles talks to a person (batch mode: nobody).
struct InstallFilesDialog {
  uint32_t Mask = UINT32_MAX;  // the kinds written
  // After each file: what it is and its line count (".REG", ".VBS", ".INF").
  std::function<void(const std::string& kind, size_t lines)> Written;
  // Before the copy: the target folder, default on entry; false stops the run there.
  std::function<bool(std::string& folder)> ChooseFolder;
};

// All of them for a whole result, from the first nodes of its three trees:
// name + ".REG" (also when empty), name + ".VBS", name + "_add.INF", and the copy of
// the files below folder.
void CreateAllInstallFiles(const ResultFileInfo& info, TreeNode* registry, TreeNode* system, TreeNode* drives,
                           const std::string& name, const std::string& folder, bool askOnProblems,
                           const InstallFilesDialog& dialog = {});
