// A Win32 tree view bound to a tree model: the view mirrors the model (texts, images,
// the check states as state images, the greyed look of undone changes), and the
// user's expanding, collapsing and clicks on a state image become model operations.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <unordered_map>

#include "model/tree_model.h"

class TreeViewBinding : public TreeObserver {
 public:
  // view: a tree view control; its parent forwards WM_NOTIFY to HandleNotify.
  TreeViewBinding(HWND view, Tree& tree);
  ~TreeViewBinding() override;
  TreeViewBinding(const TreeViewBinding&) = delete;
  TreeViewBinding& operator=(const TreeViewBinding&) = delete;

  HWND View() const { return view_; }
  TreeNode* Selected() const;
  void Select(TreeNode& node);
  HTREEITEM ItemOf(const TreeNode& node) const;
  // The node is in the view: the address is looked up, never followed.
  bool Shows(const void* node) const { return items_.count(static_cast<const TreeNode*>(node)) > 0; }
  // The whole model again (after a rebuild).
  void Reload();

  // What a click on a state image, a collapse and a change of selection do (the
  // selection trees' rules, or a tool's); none: nothing.
  std::function<void(TreeNode&)> OnCheckClick, OnCollapsed, OnSelected;
  // A node expanded with Ctrl held: the whole subtree (none: only the node).
  std::function<void(TreeNode&)> OnExpandAll;
  // True while nothing may react to a selection (a bulk expansion).
  std::function<bool()> Idle;

  // A notification from the view; true when handled, with its result.
  bool HandleNotify(const NMHDR& header, LRESULT& result);

  void NodeAdded(TreeNode& node) override;
  void NodeDeleting(TreeNode& node) override;
  void NodeChanged(TreeNode& node) override;
  void TreeCleared() override;
  void UpdateEnded() override;

 private:
  HTREEITEM Insert(TreeNode& node);
  void InsertSubtree(TreeNode& node);
  void Refresh(TreeNode& node);
  static TreeNode* NodeOf(LPARAM param) { return reinterpret_cast<TreeNode*>(param); }
  TreeNode* NodeAt(HTREEITEM item) const;

  HWND view_;
  Tree& tree_;
  std::unordered_map<const TreeNode*, HTREEITEM> items_;
  bool syncing_ = false;    // the view follows the model: its notifications are ours
  bool expanding_ = false;  // the view expands an item itself right after the model
};
