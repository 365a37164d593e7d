// Tree operations of the selection and result trees and the selection file.
//
// Selection trees: "Arbeitsplatz" (registry), "Laufwerke" (drives) and
// "Systemdateien" (system files), each the single top node of its tree; the root
// keys and drives are the level below (RootKeyLevel). The selection file holds the
// three trees as tree blocks and then the no-check list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/data_codes.h"
#include "model/data_stream.h"
#include "model/list_model.h"
#include "model/tree_model.h"

// Level of the root-key (drive, system-file) nodes below the top node.
extern int RootKeyLevel;

// Texts of the three top nodes of the selection and result trees.
inline constexpr char kRegistryTop[] = "Arbeitsplatz";
inline constexpr char kDrivesTop[] = "Laufwerke";
inline constexpr char kSystemTop[] = "Systemdateien";

// Writes one tree block, to a file (created) or through an open writer; exactly one
// of fileName and writer is given.
void SaveTree(const std::string& fileName, DataWriter* writer, Tree& tree, bool trimLoaded,
              bool pruneAddedRemoved, bool storeImages);
// Replaces the tree's content with one tree block from a file or an open reader.
void LoadTree(const std::string& fileName, DataReader* reader, Tree& tree, bool applyDoneLook);
// Reads one tree block and discards it.
void SkipTree(DataReader& reader);

void SaveSelectionFile(const std::string& fileName, DataWriter* writer, Tree& registryTree,
                       Tree& driveTree, Tree& systemTree, const std::vector<std::string>& noCheck);
// Loads the three trees and the no-check list. A file without a readable no-check
// list still counts as loaded (the list keeps its content; the user is told).
void LoadSelectionFile(const std::string& fileName, DataReader* reader, Tree& registryTree,
                       Tree& driveTree, Tree& systemTree, std::vector<std::string>& noCheck);

// State of an entry for the comparison: the state of the node at pathList + name,
// or rsSnapshot (watched) when the tree has no such node; control sets other than
// the current one below HKEY_LOCAL_MACHINE\SYSTEM count as unchecked. pathList is
// left as it was.
int32_t GetSelectionState(std::vector<std::string>& pathList, const std::string& name, const Tree& tree);

// Check-state propagation.
void UpdateParents(TreeNode& node);
void SetSubtreeState(TreeNode& node, int32_t state);
void SetNodeChecked(TreeNode& node, bool checked);
void SetPathChecked(const std::vector<std::string>& pathList, Tree& tree, bool checked);

// The node at a "\"-separated path (case-insensitive), or nullptr. Without
// pathIncludesTop the path starts below the tree's first node. With expand, nodes
// on the way are expanded (their children loaded).
TreeNode* FindNodeByPath(const std::string& path, Tree& tree, bool pathIncludesTop, bool expand);
TreeNode* FindNodeByPathList(const std::vector<std::string>& pathList, Tree& tree, bool expand);

// Unchecks the selection branch that corresponds to a result node.
void DeselectBranch(TreeNode& resultNode, Tree& selectionTree, bool showMessage);

// Greys the node and adds the done flag to its state.
void MarkDone(TreeNode& node);

// Texts from node up to the root-key level, outermost first, joined with "\";
// with includeTopLevel the root-key node's text (trimmed; only "C:" with
// driveLetterOnly) stands in front.
std::string NodePath(const TreeNode& node, bool includeTopLevel, bool driveLetterOnly);

// True when the file at pathList (top text, drive text, folders...) + fileName is
// on the no-check list (compared in capitals).
bool IsNoCheckFile(const std::vector<std::string>& noCheck, const std::vector<std::string>& pathList,
                   const std::string& fileName);

// The node for pathList in a result tree, creating missing nodes (exact text
// comparison) with the given images and state; existing nodes are not changed.
TreeNode* FindOrCreatePath(const std::vector<std::string>& pathList, Tree& tree, int32_t imageIndex,
                           int32_t stateIndex, int32_t selectedIndex);

// Collapses every child of node that is not partially checked (at or below the
// root-key level) and drops its loaded children; the expand button stays, so the
// children load again on the next expansion.
void PruneUnselected(TreeNode& node);

// The old and new content of an altered entry go together: a selected row of
// status rsOldOfAltered also selects the next row with the same caption, a selected
// row of status rsNewOfAltered the previous one.
void SelectAlteredPairs(ListModel& list);
