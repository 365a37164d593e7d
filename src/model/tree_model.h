// The tree model behind every selection, result and tool tree.
//
// A node keeps the fields that the data files store (Text, StateIndex, ImageIndex,
// SelectedIndex, HasChildren, Data) plus what the screen needs (expanded, the greyed
// "done" look). Children load lazily: expanding a node that has none calls the
// tree's loader. Observers (the tree-view binding) hear of every change; between
// BeginUpdate and EndUpdate they only hear of the end.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Tree;

class TreeNode {
 public:
  ~TreeNode();
  TreeNode(const TreeNode&) = delete;
  TreeNode& operator=(const TreeNode&) = delete;

  const std::string& Text() const { return text_; }
  int32_t StateIndex() const { return state_; }
  int32_t ImageIndex() const { return image_; }
  int32_t SelectedIndex() const { return selected_; }
  // True when an expand button is shown, whether or not children are loaded.
  bool HasChildren() const { return has_children_ || !children_.empty(); }
  int32_t Data() const { return data_; }
  bool Expanded() const { return expanded_; }
  bool Cut() const { return cut_; }  // greyed: the change was undone

  void SetText(std::string text);
  void SetStateIndex(int32_t state);
  void SetImageIndex(int32_t image);
  void SetSelectedIndex(int32_t image);
  void SetHasChildren(bool value);
  void SetData(int32_t data);
  void SetCut(bool cut);

  TreeNode* Parent() const { return parent_; }
  Tree& Owner() const { return *owner_; }
  // 0 for top-level nodes.
  int Level() const;
  size_t Index() const;  // position among its siblings

  size_t Count() const { return children_.size(); }
  TreeNode* Child(size_t i) const { return children_[i].get(); }
  TreeNode* FirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
  TreeNode* NextSibling() const;
  // The child with exactly this text, or nullptr.
  TreeNode* FindChild(const std::string& text) const;

  TreeNode* AddChild(std::string text);
  // Inserts before the child at index (at the end when index >= Count()).
  TreeNode* InsertChild(size_t index, std::string text);
  // Deletes the loaded children; HasChildren keeps its value.
  void DeleteChildren();
  // Removes this node from its parent (or from the tree's top level). Deletes it.
  void Delete();

  // Expands the node, loading its children through the tree's loader when it has
  // none yet; Collapse only hides them.
  void Expand();
  void Collapse();

 private:
  friend class Tree;
  TreeNode(Tree* owner, TreeNode* parent, std::string text)
      : owner_(owner), parent_(parent), text_(std::move(text)) {}
  void Changed();

  Tree* owner_;
  TreeNode* parent_;
  std::string text_;
  int32_t state_ = 0;
  int32_t image_ = -1;
  int32_t selected_ = -1;
  bool has_children_ = false;
  int32_t data_ = 0;
  bool expanded_ = false;
  bool cut_ = false;
  std::vector<std::unique_ptr<TreeNode>> children_;
};

class TreeObserver {
 public:
  virtual ~TreeObserver() = default;
  virtual void NodeAdded(TreeNode& node) = 0;
  virtual void NodeDeleting(TreeNode& node) = 0;
  virtual void NodeChanged(TreeNode& node) = 0;  // fields or expanded state
  virtual void TreeCleared() = 0;  // before all nodes go, also while suspended
  // The last EndUpdate: changes made while suspended were not reported one by one.
  virtual void UpdateEnded() = 0;
};

class Tree {
 public:
  // Fills the children of a node being expanded.
  using Loader = std::function<void(TreeNode& node)>;

  Tree() = default;
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;
  ~Tree();

  size_t Count() const { return top_.size(); }
  TreeNode* TopNode(size_t i) const { return top_[i].get(); }
  TreeNode* First() const { return top_.empty() ? nullptr : top_.front().get(); }
  TreeNode* AddTop(std::string text);
  void Clear();
  // Replaces the content with source's nodes, leaving source empty: a tree is built
  // aside and takes the place of the shown one only when complete. Observers hear of
  // it as of a cleared tree and an ended update.
  void Adopt(Tree& source);

  void SetLoader(Loader loader) { loader_ = std::move(loader); }

  // Suspends notifications; nestable.
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  bool Updating() const { return update_count_ > 0; }

  // Orders the children of every node, and the top nodes, by less (stable).
  void SortAll(const std::function<bool(const TreeNode&, const TreeNode&)>& less);

  void AddObserver(TreeObserver* observer);
  void RemoveObserver(TreeObserver* observer);

  // Set by changes the user makes to a selection (saved on exit), cleared on load.
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

 private:
  friend class TreeNode;
  std::vector<std::unique_ptr<TreeNode>>& Siblings(TreeNode* parent);
  void NotifyAdded(TreeNode& node);
  void NotifyDeleting(TreeNode& node);
  void NotifyChanged(TreeNode& node);

  std::vector<std::unique_ptr<TreeNode>> top_;
  Loader loader_;
  int update_count_ = 0;
  std::vector<TreeObserver*> observers_;
  bool modified_ = false;
};

// Suspends a tree's notifications for one scope (also when an exception leaves it).
class TreeUpdateScope {
 public:
  explicit TreeUpdateScope(Tree& tree) : tree_(tree) { tree_.BeginUpdate(); }
  ~TreeUpdateScope() { tree_.EndUpdate(); }
  TreeUpdateScope(const TreeUpdateScope&) = delete;
  TreeUpdateScope& operator=(const TreeUpdateScope&) = delete;

 private:
  Tree& tree_;
};
