#include "model/tree_model.h"

#include <algorithm>

// ---------------------------------------------------------------- TreeNode

TreeNode::~TreeNode() {
  // Iterative, so that a very deep tree (a damaged file can describe one) cannot
  // exhaust the stack while it is destroyed.
  std::vector<std::unique_ptr<TreeNode>> pending = std::move(children_);
  while (!pending.empty()) {
    std::unique_ptr<TreeNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->children_) pending.push_back(std::move(child));
    node->children_.clear();
  }
}

void TreeNode::Changed() { owner_->NotifyChanged(*this); }

void TreeNode::SetText(std::string text) { text_ = std::move(text); Changed(); }
void TreeNode::SetStateIndex(int32_t state) { if (state_ != state) { state_ = state; Changed(); } }
void TreeNode::SetImageIndex(int32_t image) { image_ = image; Changed(); }
void TreeNode::SetSelectedIndex(int32_t image) { selected_ = image; Changed(); }
void TreeNode::SetHasChildren(bool value) { has_children_ = value; Changed(); }
void TreeNode::SetData(int32_t data) { data_ = data; }
void TreeNode::SetCut(bool cut) { cut_ = cut; Changed(); }

int TreeNode::Level() const {
  int level = 0;
  for (const TreeNode* p = parent_; p != nullptr; p = p->parent_) ++level;
  return level;
}

size_t TreeNode::Index() const {
  const auto& siblings = owner_->Siblings(parent_);
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return i;
  return siblings.size();
}

TreeNode* TreeNode::NextSibling() const {
  const auto& siblings = owner_->Siblings(parent_);
  const size_t i = Index() + 1;
  return i < siblings.size() ? siblings[i].get() : nullptr;
}

TreeNode* TreeNode::FindChild(const std::string& text) const {
  for (const auto& child : children_)
    if (child->text_ == text) return child.get();
  return nullptr;
}

TreeNode* TreeNode::AddChild(std::string text) { return InsertChild(children_.size(), std::move(text)); }

TreeNode* TreeNode::InsertChild(size_t index, std::string text) {
  index = std::min(index, children_.size());
  auto node = std::unique_ptr<TreeNode>(new TreeNode(owner_, this, std::move(text)));
  TreeNode* raw = node.get();
  children_.insert(children_.begin() + static_cast<ptrdiff_t>(index), std::move(node));
  owner_->NotifyAdded(*raw);
  return raw;
}

void TreeNode::DeleteChildren() {
  if (children_.empty()) return;
  has_children_ = true;  // the expand button stays: the children load again on expanding
  while (!children_.empty()) children_.back()->Delete();
  expanded_ = false;
  Changed();
}

void TreeNode::Delete() {
  owner_->NotifyDeleting(*this);
  auto& siblings = owner_->Siblings(parent_);
  const auto it = std::find_if(siblings.begin(), siblings.end(),
                               [this](const auto& p) { return p.get() == this; });
  if (it != siblings.end()) siblings.erase(it);  // destroys this node
}

void TreeNode::Expand() {
  if (expanded_) return;
  if (children_.empty() && has_children_ && owner_->loader_) {
    owner_->loader_(*this);
    if (children_.empty()) has_children_ = false;  // nothing there after all
  }
  expanded_ = !children_.empty();
  Changed();
}

void TreeNode::Collapse() {
  if (!expanded_) return;
  expanded_ = false;
  Changed();
}

// ---------------------------------------------------------------- Tree

Tree::~Tree() {
  observers_.clear();  // nodes go without notifications
}

std::vector<std::unique_ptr<TreeNode>>& Tree::Siblings(TreeNode* parent) {
  return parent ? parent->children_ : top_;
}

TreeNode* Tree::AddTop(std::string text) {
  top_.push_back(std::unique_ptr<TreeNode>(new TreeNode(this, nullptr, std::move(text))));
  TreeNode* raw = top_.back().get();
  NotifyAdded(*raw);
  return raw;
}

void Tree::Clear() {
  // Reported even while suspended: a binding must drop its handles before the nodes go.
  for (auto* o : observers_) o->TreeCleared();
  top_.clear();
}

void Tree::Adopt(Tree& source) {
  if (&source == this) return;
  BeginUpdate();
  Clear();
  top_ = std::move(source.top_);
  source.top_.clear();
  std::vector<TreeNode*> stack;
  for (auto& n : top_) stack.push_back(n.get());
  while (!stack.empty()) {
    TreeNode* n = stack.back();
    stack.pop_back();
    n->owner_ = this;
    for (auto& c : n->children_) stack.push_back(c.get());
  }
  EndUpdate();
}

void Tree::EndUpdate() {
  if (update_count_ == 0) return;
  if (--update_count_ == 0)
    for (auto* o : observers_) o->UpdateEnded();
}

void Tree::AddObserver(TreeObserver* observer) { observers_.push_back(observer); }

void Tree::RemoveObserver(TreeObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Tree::NotifyAdded(TreeNode& node) {
  if (update_count_ == 0)
    for (auto* o : observers_) o->NodeAdded(node);
}

void Tree::NotifyDeleting(TreeNode& node) {
  // Deletions are always reported: a binding must drop its handle before the node goes.
  for (auto* o : observers_) o->NodeDeleting(node);
}

void Tree::NotifyChanged(TreeNode& node) {
  if (update_count_ == 0)
    for (auto* o : observers_) o->NodeChanged(node);
}

void Tree::SortAll(const std::function<bool(const TreeNode&, const TreeNode&)>& less) {
  auto byText = [&](const std::unique_ptr<TreeNode>& a, const std::unique_ptr<TreeNode>& b) {
    return less(*a, *b);
  };
  std::stable_sort(top_.begin(), top_.end(), byText);
  std::vector<TreeNode*> stack;
  for (auto& n : top_) stack.push_back(n.get());
  while (!stack.empty()) {
    TreeNode* n = stack.back();
    stack.pop_back();
    std::stable_sort(n->children_.begin(), n->children_.end(), byText);
    for (auto& c : n->children_) stack.push_back(c.get());
  }
  if (update_count_ == 0)
    for (auto* o : observers_) o->UpdateEnded();  // the order changed everywhere
}
