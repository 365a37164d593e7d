#include "app/confirm_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include "core/identity.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/text.h"
#include "removal/recyc.h"

namespace {

enum : int { kExecute = 200, kBox = 210 };  // four boxes from kBox on

// The boxes with their flags, in order.
const struct {
  uint8_t flag;
  const char* caption;
} kBoxes[] = {{rfNew, "lösche neue (hinzugefügte) Werte/Schlüssel"},
              {rfDeleted, "stelle gelöschte Werte/Schlüssel wieder her"},
              {rfAltered, "stelle geänderte Werte/Schlüssel wieder her"},
              {rfAgain, "schon restaurierte Werte erneut wiederherstellen"}};

constexpr LONG kWidth = 640, kHeight = 420;

}  // namespace

TfConfirm::TfConfirm(Workspace& ws, RestoreProc engine, TreeNode* start, ListModel* selection, uint8_t flags)
    : TfTSW_BasicForm("TfConfirm", "Bestätigung der Wiederherstellung", {kWidth, kHeight}),
      ws_(ws), engine_(engine), start_(start), selection_(selection), flags_(flags) {
  SavePosition = true;
  PersistFlags = pfListColumns;
}

DWORD TfConfirm::Style() const { return WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN; }

void TfConfirm::CreateControls() {
  if (!caption_suffix_.empty())  // the product name stays last
    SetCaption(tr("Bestätigung der Wiederherstellung") + caption_suffix_ + " " + ProductName);
  AddControl(L"STATIC", "Diese Operationen sind geplant:", SS_LEFT, {10, 10, kWidth - 10, 26},
             akLeft | akTop | akRight);
  HWND list = AddControl(WC_LISTVIEWW, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                         {10, 28, kWidth - 10, kHeight - 120}, akAll);
  list_.Attach(list, {{"Aktion", 140}, {"Pfad", 190}, {"Name", 90}, {"Wert", 110}, {"Status", 80}}, Dpi());
  PersistColumns(list, "ToDoLV");
  LONG y = kHeight - 112;
  for (int i = 0; i < 4; ++i, y += 22) {
    const std::string caption = i == 0 && !new_caption_.empty() ? new_caption_ : kBoxes[i].caption;
    boxes_[i] = AddControl(L"BUTTON", caption, WS_TABSTOP | BS_AUTOCHECKBOX, {10, y, kWidth - 200, y + 20},
                           akLeft | akBottom, kBox + i);
    SendMessageW(boxes_[i], BM_SETCHECK, (flags_ & kBoxes[i].flag) ? BST_CHECKED : BST_UNCHECKED, 0);
    if (hide_deleted_altered_ && (i == 1 || i == 2)) ShowWindow(boxes_[i], SW_HIDE);
  }
  // The again box starts unchecked, whatever the command passed.
  SendMessageW(boxes_[3], BM_SETCHECK, BST_UNCHECKED, 0);
  flags_ &= static_cast<uint8_t>(~rfAgain);
  execute_ = AddButton("Ausführ&en", {kWidth - 180, kHeight - 34, kWidth - 96, kHeight - 10}, akRight | akBottom,
                       kExecute, true);
  cancel_ = AddButton("&Abbrechen", {kWidth - 90, kHeight - 34, kWidth - 10, kHeight - 10}, akRight | akBottom, 2);
  Plan();
}

RestoreRequest TfConfirm::Request(bool execute) {
  return RestoreRequest{ws_.Result, start_, selection_, flags_, execute, todo_, &ws_.ResultView, 0};
}

void TfConfirm::ShowTodo() { list_.Show(todo_); }

// The engine fills the to-do list without doing anything.
void TfConfirm::Plan() {
  BusyScope busy;
  UI().SetStatusText(StatusControl::Statuspanel, "bearbeiten der `to do`-Liste...");
  todo_.Clear();
  nothing_to_do_ = false;
  if (start_ != nullptr) {
    TreeUpdateScope suspended(start_->Owner());
    engine_(Request(false));
  }
  if (todo_.Count() == 0) {
    todo_.Add({tr("Es sind keine Einträge zu bearbeiten"), {}});
    nothing_to_do_ = true;
  }
  UI().SetStatusText(StatusControl::Statuspanel, "Status");
  ShowTodo();
}

void TfConfirm::Execute() {
  EnableWindow(execute_, FALSE);
  {
    BusyScope busy;
    todo_.Clear();
    ws_.ResultModified = true;
    AskReadOnly = true;  // a read-only file is deleted only after asking
    if (start_ != nullptr) engine_(Request(true));
    if (!nothing_to_do_) SetCaption(tr("Wiederherstellung abgeschlossen !!!"));
    SetWindowTextW(cancel_, platform::Utf8ToWide(tr("S&chließen")).c_str());
    for (HWND box : boxes_) EnableWindow(box, FALSE);
    ShowTodo();
  }
  // The nodes show their marks by themselves; the lists beside the tree read again.
  if (AfterExecute) AfterExecute();
}

void TfConfirm::Command(int id, int notifyCode, HWND control) {
  if (id == kExecute) {
    Execute();
    return;
  }
  if (id >= kBox && id < kBox + 4 && notifyCode == BN_CLICKED) {
    const uint8_t flag = kBoxes[id - kBox].flag;
    if (SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) flags_ |= flag;
    else flags_ &= static_cast<uint8_t>(~flag);
    Plan();
    return;
  }
  TfTSW_BasicForm::Command(id, notifyCode, control);
}

LRESULT TfConfirm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    LRESULT result = 0;
    if (list_.HandleNotify(*reinterpret_cast<NMHDR*>(lp), result)) return result;
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}
