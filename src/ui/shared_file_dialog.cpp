#include "ui/shared_file_dialog.h"

#include <windows.h>

namespace {

constexpr LONG kWidth = 420, kHeight = 230;

}  // namespace

TSharedDLLsFRM::TSharedDLLsFRM(SharedFileQuestion question, std::string path)
    : TfTSW_BasicForm(question == SharedFileQuestion::StillRegistered ? "TSharedDLLsFRM" : "TSharedDLLs2FRM",
                      "Gemeinsame Dateien", {kWidth, kHeight}),
      question_(question), path_(std::move(path)) {
  SetCancelResult(mrCancel);
}

DWORD TSharedDLLsFRM::Style() const { return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }

void TSharedDLLsFRM::CreateControls() {
  const bool registered = question_ == SharedFileQuestion::StillRegistered;
  AddControl(L"STATIC", "Die folgende Datei wurde beim System zur mehrfachen Verwendung angemeldet.", SS_LEFT,
             {10, 10, kWidth - 10, 26}, akLeft | akTop | akRight);
  // Read-only in the window face's colour: a name to read, not to change.
  AddControl(L"EDIT", path_, ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, {10, 30, kWidth - 10, 52},
             akLeft | akTop | akRight, 0, WS_EX_CLIENTEDGE);
  AddControl(L"STATIC",
             registered ? "Richtigerweise sollte der Zähler, der angibt, wie oft die Datei verwendet wird um eins "
                          "gesenkt werden. Dies erledigt das Programm automatisch, wenn der zugehörige Eintrag in der "
                          "Registry zurückgesetzt wird."
                        : "Der  Zähler, der angibt wie oft die Datei verwendet wird, steht nun auf Null. Soll die "
                          "entsprechende Datei nun gelöscht werden ?",
             SS_LEFT, {10, 62, kWidth - 10, 130}, akLeft | akTop | akRight);
  box_ = AddControl(L"BUTTON", "Für alle weiteren Dateien gleich handeln", WS_TABSTOP | BS_AUTOCHECKBOX,
                    {10, 140, kWidth - 10, 160}, akLeft | akTop);
  SendMessageW(box_, BM_SETCHECK, BST_CHECKED, 0);
  AddButton("Datei nicht löschen", {kWidth - 300, kHeight - 36, kWidth - 160, kHeight - 10}, akRight | akBottom, mrNo,
            true);
  AddButton(registered ? "Datei trotzdem löschen" : "Datei löschen",
            {kWidth - 150, kHeight - 36, kWidth - 10, kHeight - 10}, akRight | akBottom, mrYes);
}

bool TSharedDLLsFRM::SameForAll() const {
  return box_ == nullptr || SendMessageW(box_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int AskSharedFileInDialog(SharedFileQuestion question, const std::string& path, bool& sameForAll) {
  TSharedDLLsFRM dialog(question, path);
  const int answer = dialog.ShowModal(GetActiveWindow());
  sameForAll = dialog.SameForAll();
  return answer;
}
