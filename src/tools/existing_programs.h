// The remover of programs that were installed without being watched: the deletions
// planned from the ticks of four selection trees (folders, start-menu entries,
// registry keys, file extensions and types), the places that are never planned, and
// their execution. It deletes what the program never recorded, so it refuses every
// place that holds the system or other programs: drive roots, the Windows and system
// folders, the program folders root, the profiles and the shell's special folders,
// the registry's top keys and their first level, and the keys shared below SOFTWARE
// (and whatever lies above any of these).
#pragma once

#include <string>
#include <vector>

#include "model/tree_model.h"

enum class ActionKind { Folder, RegistryKey };

struct PlannedAction {
  ActionKind Kind;
  std::string Path;  // "C:\Programme\X", "HKEY_CURRENT_USER\Software\X"
  bool Ticked = true;
  bool Refused = false;  // a protected place: listed, never carried out
  std::string Status;    // "unerledigt", "Ok, fertig" or the error
};

// The protected folders of this machine (upper case, without a final backslash).
std::vector<std::string> ProtectedFolders();
// True when deleting the folder or key would reach a protected place: it is one or
// holds one.
bool FolderIsProtected(const std::string& folder, const std::vector<std::string>& protectedFolders);
bool KeyIsProtected(const std::string& key);

// The ticked nodes (state 4) of level 2 and more, depth first in tree order, a ticked
// node's subtree going with it. Folder trees give folders, registry trees keys.
void PlanDeletions(const Tree& tree, ActionKind kind, const std::vector<std::string>& protectedFolders,
                   std::vector<PlannedAction>& plan);

// Carries out the ticked actions that are not refused, each on its own: folders
// through DeleteFileWithBackup (below the backup folder itself), keys with their
// subtree. Status tells each outcome; a key that is still there is an error.
void CarryOutDeletions(std::vector<PlannedAction>& plan);

// The file type an extension's key names (its default value), or "".
std::string FileTypeOf(const std::string& extension);
// The extension nodes (first children of the HKEY_CLASSES_ROOT node, while their
// texts start with "." or "*") that name the type, not ticked yet.
std::vector<TreeNode*> ExtensionsOfType(const TreeNode& classesRoot, const std::string& type);
