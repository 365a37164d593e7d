// A selection tree of a tool dialog: built like the main window's drive or registry
// tree (nothing ticked, folders or keys loaded as they are opened), with its pictures
// and its check and collapse rules.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "model/tree_model.h"
#include "ui/tree_view.h"

class ToolSelectionTree {
 public:
  // The style of the tree view the dialog makes for it.
  static constexpr DWORD kViewStyle =
      WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;

  enum class Kind { Drives, Registry };
  explicit ToolSelectionTree(Kind kind = Kind::Drives);
  ~ToolSelectionTree();
  ToolSelectionTree(const ToolSelectionTree&) = delete;
  ToolSelectionTree& operator=(const ToolSelectionTree&) = delete;

  // Binds the dialog's tree view; the drives or root keys are shown below the open
  // top node.
  void Attach(HWND view, int dpi);
  Tree& Model() { return tree_; }
  TreeViewBinding& Binding() { return *binding_; }
  bool HandleNotify(const NMHDR& header, LRESULT& result) {
    return binding_ != nullptr && binding_->HandleNotify(header, result);
  }

 private:
  Tree tree_;
  std::unique_ptr<TreeViewBinding> binding_;
  HIMAGELIST images_ = nullptr, states_ = nullptr;
};
