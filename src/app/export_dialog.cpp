#include "app/export_dialog.h"

#include <windows.h>

#include "core/settings.h"
#include "core/translate.h"
#include "removal/export.h"
#include "ui/file_dialog.h"

namespace {

// Captions by kind 6 to 12: the registry's (also for system files), the file tree's.
const char* const kRegistryCaptions[] = {"neuer Schlüssel",  "gelöschter Schlüssel", "geänderter Schlüssel",
                                         "neuer Wert",       "gelöschter Wert",      "geänderter Wert (alt)",
                                         "geänderter Wert (neu)"};
const char* const kFileCaptions[] = {"Neuer Ordner", "Gelöschter Ordner", "Veränderter Ordner", "Neue Datei",
                                     "Gelöschte Datei", "Datei (alt)", "Datei (neu)"};

constexpr LONG kWidth = 300, kHeight = 250;

}  // namespace

TfExpForm::TfExpForm(uint32_t mask, int treeKind)
    : TfTSW_BasicForm("TfExpForm", "Auswahl", {kWidth, kHeight}), mask_(mask), tree_kind_(treeKind) {}

DWORD TfExpForm::Style() const { return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }

void TfExpForm::CreateControls() {
  AddControl(L"STATIC", "Wählen Sie aus, welche Objekte ausgegeben werden sollen ", SS_LEFT, {10, 10, kWidth - 10, 40},
             akLeft | akTop | akRight);
  const char* const* captions = tree_kind_ == tkFiles ? kFileCaptions : kRegistryCaptions;
  for (int i = 0; i < 7; ++i) {
    const LONG y = 44 + 22 * i;
    boxes_[i] = AddControl(L"BUTTON", captions[i], WS_TABSTOP | BS_AUTOCHECKBOX, {20, y, kWidth - 10, y + 20},
                           akLeft | akTop);
    const bool allowed = (mask_ & (1u << (i + 6))) != 0;  // a kind not offered stays off
    SendMessageW(boxes_[i], BM_SETCHECK, allowed ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(boxes_[i], allowed);
  }
  AddButton("&OK", {kWidth - 170, kHeight - 34, kWidth - 90, kHeight - 10}, akRight | akBottom, 1, true);
  AddButton("&Abbrechen", {kWidth - 86, kHeight - 34, kWidth - 10, kHeight - 10}, akRight | akBottom, 2);
}

uint32_t TfExpForm::Mask() const {
  uint32_t mask = 0;
  for (int i = 0; i < 7; ++i)
    if (boxes_[i] != nullptr && SendMessageW(boxes_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) mask |= 1u << (i + 6);
  return mask;
}

bool ExportResultData(HWND owner, const ResultFileInfo& info, TreeNode& start, int treeKind) {
  TfExpForm choice(kAllKinds, treeKind);
  if (choice.ShowModal(owner) != 1) return false;
  const uint32_t mask = choice.Mask();
  const std::string& log = info.FileName;
  const size_t dot = log.find_last_of('.'), slash = log.find_last_of('\\');
  const std::string base =
      dot != std::string::npos && (slash == std::string::npos || dot > slash) ? log.substr(0, dot) : log;
  const char* suffix = treeKind == tkRegistry ? "_REG.TXT" : treeKind == tkFiles ? "_FILES.TXT" : "_INI.TXT";
  std::string file = base + suffix;
  if (!ChooseFileName(owner, {"Speichere eine Exportdatei", {{"Textfile  (*.TXT)", "*.TXT"}}, "TXT", "", true}, file))
    return false;
  const std::string label = log.substr(slash == std::string::npos ? 0 : slash + 1);
  SaveTextLines(file, ExportResultText(info, &start, mask, treeKind, label, ReadSettingText("DefaultText")));
  return true;
}
