// Taking recorded changes back: the contract between the confirmation dialog and the
// engines of the three result trees. Every undo runs twice through the same code:
// first planning, which only fills the to-do list, then executing, which performs
// each action under its own guard, writes its outcome into the list, greys what it
// undid and marks it done in the result file.
#pragma once

#include <cstdint>

#include "model/list_model.h"
#include "model/tree_model.h"
#include "result/result_file.h"

// RestoreFlags: which changes are taken back; every command starts with 7.
enum : uint8_t {
  rfNew = 1,      // delete new entries
  rfDeleted = 2,  // bring back deleted entries
  rfAltered = 4,  // bring back altered entries
  rfAgain = 8,    // also entries undone before
};

struct RestoreRequest {
  const ResultFileInfo& Result;  // the loaded result the tree belongs to
  TreeNode* Start = nullptr;     // the node to undo with its subtree; nothing when absent
  // The result view's list of the start node's records, or none. When given, only
  // selected rows whose caption is a record's name take part, node actions (keys,
  // folders, sections) are left out, and the subtree is not entered.
  ListModel* Selection = nullptr;
  uint8_t Flags = rfNew | rfDeleted | rfAltered;
  bool Execute = false;
  // One row per action: caption "Aktion", then "Pfad", "Name", "Wert", "Status".
  ListModel& Todo;
  // The registry result tree of the same result: the files registered as shared are
  // taken from it (file-structure undo). None: no file counts as shared.
  Tree* RegistryResult = nullptr;
  // The answer to "Die Datei existiert bereits im Zielordner ..." when nobody is to be
  // asked (mrYesToAll or mrNoToAll); 0 asks.
  int Overwrite = 0;
};

using RestoreProc = void (*)(const RestoreRequest& request);

// The registry result tree: new keys and values deleted (values first, keys after
// their subkeys), deleted keys and values and altered values written back, use
// counters below SharedDlls adjusted by the recorded difference.
void RestoreRegistryChanges(const RestoreRequest& request);

// The file-structure result tree: new files and folders deleted (through
// DeleteFileWithBackup, so nothing is lost beyond recall), deleted and altered files
// and deleted folders brought back from the file backup store.
void RestoreDriveChanges(const RestoreRequest& request);

// The system-file result tree: new INI entries and sections deleted, deleted and
// altered entries written back. Text files are never restored.
void RestoreSystemFileChanges(const RestoreRequest& request);

// What became of a to-do row, kept in its Data: planned only, done, deliberately not
// done because an answer said so (a shared file kept), or failed.
enum RestoreOutcome : int32_t { roPlanned = 0, roDone = 1, roKept = 2, roFailed = 3 };

// Status texts of the to-do list.
inline constexpr char kStatusOpen[] = "unerledigt";
inline constexpr char kStatusDone[] = "Ok, fertig";
