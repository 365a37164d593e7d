// The three selection trees on a real machine: how they are filled (lazily), the
// default selection, and the refresh that merges them with the registry and disk.
// Views and tools use the same filling; nothing here needs a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/tree_model.h"

// Where the default selection and the system-file tree look.
struct SelectionContext {
  std::string ProgramFolder;      // with trailing backslash
  std::string WindowsFolder;      // with trailing backslash
  std::string SystemFolder;       // with trailing backslash
  std::string PathToSystemFiles;  // setting PathToSystemFiles
  std::string SettingsKey;        // below HKEY_CURRENT_USER, e.g. "Software\Velmoria\...\2.0"
};

// Rebuilds a tree with its top node and level 1 and installs its loader:
//   registry: "Arbeitsplatz" + the root keys that have subkeys (table order);
//   drives:   "Laufwerke" + one node per drive letter present, text "x: " + the
//             shell's display name without its "(X:)" part, or "unbekannt";
//   system:   "Systemdateien" + "Win.ini", "System.ini", "Autoexec.bat", "Config.sys"
//             and the user-added files (entry texts ending in "(INI)" / "(TXT)").
// Children load on expansion (subkeys, folders, INI sections), sorted, each taking
// its parent's state and selected image 1; a key or folder that cannot be opened has
// no children. Below a partly selected node a child that was not in the tree is
// watched (as the comparison treats it), so it loads checked. A folder that is a
// link (reparse point) is never entered. INI sections keep their file order and
// carry the header text with its brackets ("[boot]"), as the system-file section
// stores and the comparison looks them up; IniSectionName gives the bare name.
void BuildRegistryTree(Tree& tree);
void BuildDriveTree(Tree& tree);
void BuildSystemFileTree(Tree& tree, const std::vector<std::string>& userFiles, const SelectionContext& ctx);
// "[boot]" -> "boot"; a text without brackets stays as it is.
std::string IniSectionName(const std::string& sectionText);

// Collapsing a node at level 1 or below drops its loaded children unless it is
// partly selected (they carry the only record of what is selected below it).
void CollapseSelectionNode(TreeNode& node);

// The check click: 4 becomes 3 for the node and its subtree; 3 or 5 becomes 4 (the
// loaded subtree too when expanded or the top node, else the loaded children are
// dropped); then the parents follow. Raises "unknown Stateindex" for other states.
void ToggleCheck(TreeNode& node);

// The default selection, step by step; clears noCheck first and rebuilds the trees
// (the user-added system files stay in the system-file tree). Under Wine the drive
// that shows the host's root folder is never selected.
void DefaultSelection(Tree& registryTree, Tree& driveTree, Tree& systemTree,
                      std::vector<std::string>& noCheck, const SelectionContext& ctx);

// Re-reads every loaded node from the registry or the disk and merges: children that
// are gone are deleted, new ones inserted at their sorted place with the parent's
// state (4 below a partly selected parent). A node without subkeys (folders,
// sections) loses its loaded children and turns from 5 into 4; a node that cannot
// be read now is left as it is.
void RefreshSelectionTrees(Tree& registryTree, Tree& driveTree, Tree& systemTree,
                           const SelectionContext& ctx);

// The current user's security identifier as "S-1-5-...", or ".default".
std::string CurrentUserSidString();
// True when the drive maps to the host's root folder under Wine (never on Windows).
bool IsHostRootDrive(char letter);
// Unselects the node at a file-system path ("C:\Windows\Temp") in the drive tree:
// the drive letter part is replaced by the text of the matching drive node. Paths
// not in the tree are skipped silently; the walk expands nodes on the way and stops
// at an unselected one (everything below it is unselected already).
void UnselectFolder(Tree& driveTree, const std::string& path);
