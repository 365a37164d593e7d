// TfExpForm ("Auswahl"): which kinds of change a text export writes; and the command
// "Daten exportieren" of the log's trees around it.
#pragma once

#include <cstdint>
#include <string>

#include "result/result_file.h"
#include "ui/form.h"

class TfExpForm : public TfTSW_BasicForm {
 public:
  // mask: the kinds that may be chosen (bits 6 to 12); treeKind: tkRegistry, tkFiles
  // or tkSystem (the captions follow it).
  TfExpForm(uint32_t mask, int treeKind);
  // The chosen kinds: bit 6 to 12 for each box that is checked, nothing else.
  uint32_t Mask() const;
  // The box of a kind (6 to 12).
  HWND Box(int kind) const { return boxes_[kind - 6]; }

 protected:
  void CreateControls() override;
  DWORD Style() const override;

 private:
  uint32_t mask_;
  int tree_kind_;
  HWND boxes_[7] = {};
};

// The export of a log subtree into a text file: the dialog, then the save dialog
// preset to the log's name + "_REG.TXT", "_FILES.TXT" or "_INI.TXT"; false when either
// was cancelled.
bool ExportResultData(HWND owner, const ResultFileInfo& info, TreeNode& start, int treeKind);
