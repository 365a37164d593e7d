#include "ui/tree_view.h"

#include "model/data_codes.h"
#include "platform/text.h"
#include "ui/images.h"

TreeViewBinding::TreeViewBinding(HWND view, Tree& tree) : view_(view), tree_(tree) {
  tree_.AddObserver(this);
  Reload();
}

TreeViewBinding::~TreeViewBinding() { tree_.RemoveObserver(this); }

TreeNode* TreeViewBinding::NodeAt(HTREEITEM item) const {
  if (item == nullptr) return nullptr;
  TVITEMW tv{};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  return TreeView_GetItem(view_, &tv) ? NodeOf(tv.lParam) : nullptr;
}

TreeNode* TreeViewBinding::Selected() const { return NodeAt(TreeView_GetSelection(view_)); }

HTREEITEM TreeViewBinding::ItemOf(const TreeNode& node) const {
  const auto it = items_.find(&node);
  return it == items_.end() ? nullptr : it->second;
}

void TreeViewBinding::Select(TreeNode& node) {
  if (HTREEITEM item = ItemOf(node)) {
    TreeView_SelectItem(view_, item);
    TreeView_EnsureVisible(view_, item);
  }
}

HTREEITEM TreeViewBinding::Insert(TreeNode& node) {
  TVINSERTSTRUCTW ins{};
  ins.hParent = node.Parent() != nullptr ? ItemOf(*node.Parent()) : TVI_ROOT;
  if (node.Parent() != nullptr && ins.hParent == nullptr) return nullptr;  // its parent is not shown
  ins.hInsertAfter = TVI_LAST;
  if (node.Index() == 0) ins.hInsertAfter = TVI_FIRST;
  else if (HTREEITEM before = ItemOf(node.Parent() != nullptr ? *node.Parent()->Child(node.Index() - 1)
                                                                : *tree_.TopNode(node.Index() - 1)))
    ins.hInsertAfter = before;
  const std::wstring text = platform::Utf8ToWide(node.Text());
  ins.item.mask = TVIF_TEXT | TVIF_PARAM;
  ins.item.pszText = const_cast<wchar_t*>(text.c_str());
  ins.item.lParam = reinterpret_cast<LPARAM>(&node);
  syncing_ = true;
  HTREEITEM item = TreeView_InsertItem(view_, &ins);
  syncing_ = false;
  items_[&node] = item;
  Refresh(node);
  return item;
}

void TreeViewBinding::InsertSubtree(TreeNode& node) {
  if (Insert(node) == nullptr) return;
  for (size_t i = 0; i < node.Count(); ++i) InsertSubtree(*node.Child(i));
  if (node.Expanded()) Refresh(node);  // expanded once its children are there
}

// Texts, images, state, the expand button and the expanded state from the model.
void TreeViewBinding::Refresh(TreeNode& node) {
  HTREEITEM item = ItemOf(node);
  if (item == nullptr) return;
  const std::wstring text = platform::Utf8ToWide(node.Text());
  TVITEMW tv{};
  tv.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE | TVIF_HANDLE;
  tv.hItem = item;
  tv.pszText = const_cast<wchar_t*>(text.c_str());
  tv.iImage = node.ImageIndex() >= 0 ? node.ImageIndex() : I_IMAGENONE;
  tv.iSelectedImage = node.SelectedIndex() >= 0 ? node.SelectedIndex() : tv.iImage;
  tv.cChildren = node.HasChildren() ? 1 : 0;
  // The check state or change code; the done mark above it greys the node.
  const int state = StateCode(node.StateIndex());
  const bool greyed = node.Cut() || IsDone(node.StateIndex());
  tv.stateMask = TVIS_STATEIMAGEMASK | TVIS_CUT;
  tv.state = INDEXTOSTATEIMAGEMASK(state) | (greyed ? TVIS_CUT : 0);
  syncing_ = true;
  TreeView_SetItem(view_, &tv);
  const bool shown = (TreeView_GetItemState(view_, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  // Expanded only once its children stand in the view: an item expanded before that
  // would count as open and show nothing.
  if (!expanding_ && node.Expanded() != shown && (TreeView_GetChild(view_, item) != nullptr || !node.Expanded()))
    TreeView_Expand(view_, item, node.Expanded() ? TVE_EXPAND : TVE_COLLAPSE);
  syncing_ = false;
}

void TreeViewBinding::Reload() {
  syncing_ = true;
  SendMessageW(view_, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(view_);
  items_.clear();
  syncing_ = false;
  for (size_t i = 0; i < tree_.Count(); ++i) InsertSubtree(*tree_.TopNode(i));
  SendMessageW(view_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(view_, nullptr, TRUE);
}

void TreeViewBinding::NodeAdded(TreeNode& node) {
  InsertSubtree(node);
  if (node.Parent() != nullptr) Refresh(*node.Parent());  // its expand button
}

void TreeViewBinding::NodeDeleting(TreeNode& node) {
  // The node and everything below it leave the view and the map.
  std::vector<TreeNode*> stack{&node};
  while (!stack.empty()) {
    TreeNode* n = stack.back();
    stack.pop_back();
    for (size_t i = 0; i < n->Count(); ++i) stack.push_back(n->Child(i));
    if (n != &node) items_.erase(n);
  }
  const auto it = items_.find(&node);
  if (it == items_.end()) return;
  syncing_ = true;
  TreeView_DeleteItem(view_, it->second);
  syncing_ = false;
  items_.erase(it);
}

void TreeViewBinding::NodeChanged(TreeNode& node) { Refresh(node); }
void TreeViewBinding::TreeCleared() {
  syncing_ = true;
  TreeView_DeleteAllItems(view_);
  syncing_ = false;
  items_.clear();
}
void TreeViewBinding::UpdateEnded() { Reload(); }

bool TreeViewBinding::HandleNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != view_) return false;
  result = 0;
  switch (header.code) {
    case TVN_ITEMEXPANDINGW: {
      const auto& info = reinterpret_cast<const NMTREEVIEWW&>(header);
      TreeNode* node = NodeOf(info.itemNew.lParam);
      if (syncing_ || node == nullptr) return true;
      if (!(info.action & TVE_EXPAND)) return true;
      if (OnExpandAll && GetKeyState(VK_CONTROL) < 0) {
        OnExpandAll(*node);
        result = TRUE;  // done in the model; the view follows it
        return true;
      }
      expanding_ = true;
      try {
        node->Expand();  // loads the children the first time
      } catch (...) {
        expanding_ = false;
        throw;
      }
      expanding_ = false;
      return true;
    }
    case TVN_ITEMEXPANDEDW: {
      const auto& info = reinterpret_cast<const NMTREEVIEWW&>(header);
      TreeNode* node = NodeOf(info.itemNew.lParam);
      if (syncing_ || node == nullptr || !(info.action & TVE_COLLAPSE)) return true;
      node->Collapse();
      if (OnCollapsed) OnCollapsed(*node);
      return true;
    }
    case TVN_SELCHANGEDW: {
      const auto& info = reinterpret_cast<const NMTREEVIEWW&>(header);
      TreeNode* node = NodeOf(info.itemNew.lParam);
      if (!syncing_ && node != nullptr && OnSelected && !tree_.Updating() && !(Idle && Idle())) OnSelected(*node);
      return true;
    }
    case NM_CLICK:
    case NM_RCLICK: {
      TVHITTESTINFO hit{};
      const DWORD pos = GetMessagePos();
      hit.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
      ScreenToClient(view_, &hit.pt);
      TreeNode* node = NodeAt(TreeView_HitTest(view_, &hit));
      if (node == nullptr) return true;
      // The right button selects the node under the pointer before its popup opens.
      if (header.code == NM_RCLICK) TreeView_SelectItem(view_, hit.hItem);
      else if ((hit.flags & TVHT_ONITEMSTATEICON) && OnCheckClick) OnCheckClick(*node);
      return header.code == NM_CLICK;
    }
    case NM_CUSTOMDRAW: {
      auto& draw = const_cast<NMTVCUSTOMDRAW&>(reinterpret_cast<const NMTVCUSTOMDRAW&>(header));
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
      } else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const TreeNode* node = NodeOf(draw.nmcd.lItemlParam);
        if (node != nullptr && (node->Cut() || IsDone(node->StateIndex())) && !(draw.nmcd.uItemState & CDIS_SELECTED))
          draw.clrText = kDoneColour;
        result = CDRF_DODEFAULT;
      }
      return true;
    }
    default:
      return false;
  }
}
