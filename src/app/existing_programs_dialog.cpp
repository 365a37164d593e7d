#include "app/existing_programs_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include "core/format.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/names.h"
#include "platform/text.h"
#include "snapshot/selection_trees.h"
#include "ui/images.h"
#include "ui/tab_control.h"

namespace {

constexpr int kTabs = 200, kNext = 201, kBack = 202, kFinish = 203, kJumpAllUsers = 204, kJumpSoftware = 205,
              kJumpTypes = 206, kTickAll = 207, kTickNone = 208, kCarryOut = 209, kConfirm = 210;
constexpr LONG kWidth = 640, kHeight = 470, kPageBottom = kHeight - 84;
const char* const kPageNames[] = {"Start",    "Programmdateien",     "Startmenü",
                                  "Registry", "Datei-Erweiterungen", "Bestätigen"};
const char kAllUsers[] = "Springe zu Startmenü für \"Alle Benutzer\"";
const char kActiveUser[] = "Springe zu Startmenü für \"Aktiven Benutzer\"";
const char kAllKeys[] = "Springe zu Einträgen für \"Alle Benutzer\"";
const char kActiveKeys[] = "Springe zu Einträgen für \"Aktiven Benutzer\"";
const char kLinks[] = "Springe zu Einträgen für Verknüpfungen";
const char kExtensions[] = "Springe zu Einträgen für Dateiendungen";
const char kExplanation[] =
    "Mit diesem Assistenten entfernen Sie ein Programm, das ohne Überwachung installiert wurde.\r\n\r\n"
    "Markieren Sie auf den folgenden Seiten die Ordner des Programms, seine Einträge im Startmenü, "
    "seine Schlüssel in der Registry und seine Datei-Erweiterungen. Auf der letzten Seite sehen Sie "
    "jede geplante Löschung und führen die gewählten aus.\r\n\r\n"
    "Ordner des Systems und anderer Programme werden nie gelöscht.";

std::string CaptionOf(HWND button) {
  wchar_t text[128] = {};
  GetWindowTextW(button, text, 128);
  return platform::WideToUtf8(text);
}

bool IsExtension(const std::string& text) { return !text.empty() && (text[0] == '.' || text[0] == '*'); }

// Lets the window draw and answer while the tool waits.
void Pause(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  do {
    UI().ProcessMessages();
    Sleep(10);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

}  // namespace

TDelExistingFRM::TDelExistingFRM()
    : TfTSW_BasicForm("TDelExistingFRM", "Bestehende Anwendungen Löschen", {kWidth, kHeight}) {
  SavePosition = true;
  const std::string shell = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  program_files_ =
      ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", true);
  user_menu_ = ReadRegistryString(HKEY_CURRENT_USER, shell, "Programs", true);
  common_menu_ = ReadRegistryString(HKEY_LOCAL_MACHINE, shell, "Common Programs", true);
}

TDelExistingFRM::~TDelExistingFRM() {
  if (picture_ != nullptr) DeleteObject(picture_);
  if (confirm_states_ != nullptr) ImageList_Destroy(confirm_states_);
}

ToolSelectionTree& TDelExistingFRM::Tree(Page page) {
  switch (page) {
    case StartMenu: return menu_;
    case Registry: return keys_;
    case FileExtensions: return types_;
    default: return folders_;
  }
}

HWND TDelExistingFRM::OnPage(int page, HWND control) {
  pages_[page].push_back(control);
  return control;
}

void TDelExistingFRM::AddTree(Page page, ToolSelectionTree& tree, const std::string& heading) {
  OnPage(page, AddControl(L"STATIC", heading, SS_LEFT, {20, 20, 400, 38}, akLeft | akTop));
  HWND view = OnPage(page, AddControl(WC_TREEVIEWW, "", ToolSelectionTree::kViewStyle,
                                      {20, 42, kWidth - 20, kPageBottom - 40}, akAll));
  tree.Attach(view, Dpi());
  tree.Binding().OnCheckClick = [this, page, &tree](TreeNode& node) {
    tree.Binding().Select(node);
    CheckClick(page, node);
  };
}

void TDelExistingFRM::CreateControls() {
  tabs_ =
      AddControl(WC_TABCONTROLW, "", WS_CLIPSIBLINGS | TCS_BOTTOM, {6, 6, kWidth - 6, kPageBottom + 30}, akAll, kTabs);
  AddTabBody(tabs_);
  for (int p = 0; p < kPages; ++p) AddTab(tabs_, p, kPageNames[p]);
  OnPage(Start, AddControl(L"STATIC", kExplanation, SS_LEFT, {200, 30, kWidth - 30, 300}, akLeft | akTop));
  HWND picture = OnPage(Start, AddControl(L"STATIC", "", SS_BITMAP, {30, 30, 190, 190}, akLeft | akTop));
  picture_ = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), L"BMP_WIZ_3", IMAGE_BITMAP, Scale(150), Scale(150), 0));
  if (picture_ != nullptr) SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_));
  AddTree(ProgramFiles, folders_, "Zu löschende Ordner");
  AddTree(StartMenu, menu_, "Zu löschende Ordner");
  jump_all_users_ = OnPage(
      StartMenu, AddButton(kAllUsers, {20, kPageBottom - 34, 330, kPageBottom - 8}, akLeft | akBottom, kJumpAllUsers));
  AddTree(Registry, keys_, "Zu löschende Registry-Einträge");
  jump_software_ = OnPage(
      Registry, AddButton(kAllKeys, {20, kPageBottom - 34, 330, kPageBottom - 8}, akLeft | akBottom, kJumpSoftware));
  AddTree(FileExtensions, types_, "Zu löschende Registry-Einträge");
  jump_types_ = OnPage(FileExtensions,
                       AddButton(kLinks, {20, kPageBottom - 34, 330, kPageBottom - 8}, akLeft | akBottom, kJumpTypes));
  OnPage(Confirm, AddControl(L"STATIC", "Zu bestätigende Aktionen", SS_LEFT, {20, 20, 400, 38}, akLeft | akTop));
  HWND list = OnPage(Confirm, AddControl(WC_LISTVIEWW, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                                         {20, 42, kWidth - 20, kPageBottom - 40}, akAll, kConfirm));
  confirm_.Attach(list, {{"Typ", 110}, {"Pfad", 300}, {"Status", 180}}, Dpi());
  confirm_states_ = CreateStateImages(Dpi());
  ListView_SetImageList(list, confirm_states_, LVSIL_STATE);
  const LONG y = kPageBottom - 34;
  OnPage(Confirm, AddButton("alle markieren", {20, y, 140, y + 26}, akLeft | akBottom, kTickAll));
  OnPage(Confirm, AddButton("keine markieren", {146, y, 266, y + 26}, akLeft | akBottom, kTickNone));
  OnPage(Confirm, AddButton("gewählte Aktionen Durchführen", {kWidth - 250, y, kWidth - 20, y + 26}, akRight | akBottom,
                            kCarryOut));
  const LONG b = kHeight - 36;
  AddButton("<  &Zurück", {kWidth - 430, b, kWidth - 340, b + 26}, akRight | akBottom, kBack);
  AddButton("&Weiter  >", {kWidth - 334, b, kWidth - 244, b + 26}, akRight | akBottom, kNext, true);
  finish_ = AddButton("&Fertigstellen", {kWidth - 224, b, kWidth - 124, b + 26}, akRight | akBottom, kFinish);
  AddButton("Abbre&chen", {kWidth - 110, b, kWidth - 10, b + 26}, akRight | akBottom, 2);
  SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowWindow(jump_all_users_, common_menu_.size() >= 2 && common_menu_[1] == ':' ? SW_SHOW : SW_HIDE);
  ShowPage(Start);
  MoveToFolder(ProgramFiles, program_files_);
}

void TDelExistingFRM::ShowPage(int page) {
  page_ = std::clamp(page, 0, kPages - 1);
  TabCtrl_SetCurSel(tabs_, page_);
  for (int p = 0; p < kPages; ++p)
    for (HWND c : pages_[p])
      if (c != jump_all_users_ || (common_menu_.size() >= 2 && common_menu_[1] == ':'))
        ShowWindow(c, p == page_ ? SW_SHOW : SW_HIDE);
  EnableWindow(finish_, page_ != Confirm);
  switch (page_) {
    case ProgramFiles: MoveToFolder(ProgramFiles, program_files_); break;
    case StartMenu:
      MoveToFolder(StartMenu, user_menu_);
      SetWindowTextW(jump_all_users_, platform::Utf8ToWide(tr(kAllUsers)).c_str());
      break;
    case Registry:
      SetWindowTextW(jump_software_, platform::Utf8ToWide(tr(kAllKeys)).c_str());
      MoveTo(Registry, {kRegistryTop, "HKEY_CURRENT_USER", "Software"});
      break;
    case FileExtensions:
      SetWindowTextW(jump_types_, platform::Utf8ToWide(tr(kLinks)).c_str());
      MoveTo(FileExtensions, {kRegistryTop, "HKEY_CLASSES_ROOT"});
      break;
    case Confirm: BuildPlan(); break;
    default: break;
  }
}

// The tree expanded along the place as far as it exists; the node reached opened and
// made the first one shown (the selection stays).
void TDelExistingFRM::MoveTo(Page page, std::vector<std::string> place) {
  ToolSelectionTree& tree = Tree(page);
  TreeNode* node = tree.Model().Count() > 0 ? tree.Model().TopNode(0) : nullptr;
  for (size_t i = 1; node != nullptr && i < place.size(); ++i) {
    node->Expand();
    TreeNode* next = nullptr;
    for (size_t c = 0; c < node->Count() && next == nullptr; ++c)
      if (platform::UpperCase(node->Child(c)->Text()) == platform::UpperCase(place[i])) next = node->Child(c);
    if (next == nullptr) break;
    node = next;
  }
  if (node == nullptr) return;
  node->Expand();
  if (HTREEITEM item = tree.Binding().ItemOf(*node)) TreeView_SelectSetFirstVisible(tree.Binding().View(), item);
}

// A folder's place: its drive part replaced by the drive node's text.
void TDelExistingFRM::MoveToFolder(Page page, const std::string& folder) {
  if (folder.size() < 2 || folder[1] != ':') return;  // no drive letter: the tree stays
  ToolSelectionTree& tree = Tree(page);
  TreeNode* top = tree.Model().Count() > 0 ? tree.Model().TopNode(0) : nullptr;
  if (top == nullptr) return;
  std::vector<std::string> place = {top->Text()};
  for (size_t c = 0; c < top->Count(); ++c)
    if (!top->Child(c)->Text().empty() && toupper(top->Child(c)->Text()[0]) == toupper(folder[0]))
      place.push_back(top->Child(c)->Text());
  if (place.size() < 2) return;
  for (size_t start = 3; start < folder.size();) {
    size_t end = folder.find('\\', start);
    if (end == std::string::npos) end = folder.size();
    if (end > start) place.push_back(folder.substr(start, end - start));
    start = end + 1;
  }
  MoveTo(page, place);
}

// The first file type: the first child of the classes root after its extensions.
void TDelExistingFRM::MoveToFileTypes() {
  MoveTo(FileExtensions, {kRegistryTop, "HKEY_CLASSES_ROOT"});
  TreeNode* classes = FindNodeByPathList({kRegistryTop, "HKEY_CLASSES_ROOT"}, types_.Model(), true);
  if (classes == nullptr) return;
  size_t i = 0;
  while (i < classes->Count() && !IsExtension(classes->Child(i)->Text())) ++i;
  while (i < classes->Count() && IsExtension(classes->Child(i)->Text())) ++i;
  if (i < classes->Count()) Reveal(FileExtensions, *classes->Child(i));
}

void TDelExistingFRM::Reveal(Page page, TreeNode& node) {
  if (HTREEITEM item = Tree(page).Binding().ItemOf(node))
    TreeView_SelectSetFirstVisible(Tree(page).Binding().View(), item);
}

// Each jump button switches its tree between two places and says where it goes next.
void TDelExistingFRM::Jump(Page page) {
  HWND button = page == StartMenu ? jump_all_users_ : page == Registry ? jump_software_ : jump_types_;
  const std::string caption = CaptionOf(button);
  std::string next;
  if (page == StartMenu) {
    const bool all = caption == tr(kAllUsers);
    MoveToFolder(StartMenu, all ? common_menu_ : user_menu_);
    next = all ? kActiveUser : kAllUsers;
  } else if (page == Registry) {
    const bool all = caption == tr(kAllKeys);
    MoveTo(Registry, {kRegistryTop, all ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER", "Software"});
    next = all ? kActiveKeys : kAllKeys;
  } else {
    const bool types = caption == tr(kLinks);
    if (types)
      MoveToFileTypes();
    else
      MoveTo(FileExtensions, {kRegistryTop, "HKEY_CLASSES_ROOT"});
    next = types ? kExtensions : kLinks;
  }
  SetWindowTextW(button, platform::Utf8ToWide(tr(next)).c_str());
}

void TDelExistingFRM::CheckClick(Page page, TreeNode& node) {
  ToggleCheck(node);
  if (page == FileExtensions && (node.StateIndex() == stChecked || node.StateIndex() == stPartial) &&
      node.Level() == 2 && node.Parent()->Text() == "HKEY_CLASSES_ROOT")
    LinkExtensions(node);
}

// An extension ticked offers its file type and then the type's other extensions; a
// file type ticked offers its extensions.
void TDelExistingFRM::LinkExtensions(TreeNode& node) {
  TreeNode& classes = *node.Parent();
  std::string type = node.Text();
  if (IsExtension(node.Text())) {
    type = FileTypeOf(node.Text());
    TreeNode* typeNode = nullptr;
    for (size_t i = 0; i < classes.Count() && typeNode == nullptr && !type.empty(); ++i)
      if (platform::UpperCase(classes.Child(i)->Text()) == platform::UpperCase(type)) typeNode = classes.Child(i);
    if (typeNode == nullptr) return;
    if (MessageDlg(FormatMsg(tr("Soll der zugehörige Dateityp '%s' auch markiert werden ?"), {type}), mtConfirmation,
                   mbYesNo) != mrYes)
      return;
    SetSubtreeState(*typeNode, stChecked);
    typeNode->SetStateIndex(stChecked);
    Reveal(FileExtensions, *typeNode);
    UI().ProcessMessages();
    UpdateParents(*typeNode);
    const std::vector<TreeNode*> others = ExtensionsOfType(classes, type);
    if (!others.empty() &&
        MessageDlg(FormatMsg(tr("Es wurden %d weitere Erweiterungen gefunden !\rSollen diese auch markiert werden ?"),
                             {std::to_string(others.size())}),
                   mtConfirmation, mbYesNo) == mrYes)
      MarkExtensions(others);
    return;
  }
  const std::vector<TreeNode*> extensions = ExtensionsOfType(classes, type);
  if (!extensions.empty() &&
      MessageDlg(FormatMsg(tr("Es wurden %d zugehörige Erweiterungen gefunden !\rSollen diese auch markiert werden ?"),
                           {std::to_string(extensions.size())}),
                 mtConfirmation, mbYesNo) == mrYes)
    MarkExtensions(extensions);
}

// One after another, each shown, with pauses that shorten from the first one down to
// three tenths of it.
void TDelExistingFRM::MarkExtensions(const std::vector<TreeNode*>& extensions) {
  int pause = FirstPause;
  for (TreeNode* e : extensions) {
    SetSubtreeState(*e, stChecked);
    e->SetStateIndex(stChecked);
    Reveal(FileExtensions, *e);
    UI().ProcessMessages();
    UpdateParents(*e);
    Pause(pause);
    if (pause > FirstPause * 3 / 10) pause -= FirstPause * 7 / 100;
  }
}

void TDelExistingFRM::BuildPlan() {
  plan_.clear();
  const std::vector<std::string> protectedFolders = ProtectedFolders();
  PlanDeletions(folders_.Model(), ActionKind::Folder, protectedFolders, plan_);
  PlanDeletions(menu_.Model(), ActionKind::Folder, protectedFolders, plan_);
  PlanDeletions(keys_.Model(), ActionKind::RegistryKey, protectedFolders, plan_);
  PlanDeletions(types_.Model(), ActionKind::RegistryKey, protectedFolders, plan_);
  ShowPlan();
}

void TDelExistingFRM::ShowPlan() {
  ListModel rows;
  for (const PlannedAction& a : plan_) {
    ListRow row{tr(a.Kind == ActionKind::Folder ? "Ordner löschen" : "Eintrag löschen"), {a.Path, a.Status}};
    row.Status = (a.Ticked ? stChecked : stUnchecked) | (a.Refused ? flDone : 0);  // refused rows greyed
    rows.Add(std::move(row));
  }
  confirm_.Show(rows);
}

void TDelExistingFRM::ToggleAction(size_t row) {
  if (row >= plan_.size() || plan_[row].Refused) return;
  plan_[row].Ticked = !plan_[row].Ticked;
  ShowPlan();
  ListView_EnsureVisible(confirm_.View(), static_cast<int>(row), FALSE);
}

void TDelExistingFRM::TickAll(bool ticked) {
  for (PlannedAction& a : plan_) a.Ticked = ticked && !a.Refused;
  ShowPlan();
}

void TDelExistingFRM::CarryOut() {
  BusyScope busy;
  CarryOutDeletions(plan_);
  ShowPlan();
}

void TDelExistingFRM::Command(int id, int notifyCode, HWND control) {
  switch (id) {
    case kNext: return ShowPage(page_ + 1);
    case kBack: return ShowPage(page_ - 1);
    case kFinish: return ShowPage(Confirm);
    case kJumpAllUsers: return Jump(StartMenu);
    case kJumpSoftware: return Jump(Registry);
    case kJumpTypes: return Jump(FileExtensions);
    case kTickAll: return TickAll(true);
    case kTickNone: return TickAll(false);
    case kCarryOut: return CarryOut();
    default: TfTSW_BasicForm::Command(id, notifyCode, control);
  }
}

LRESULT TDelExistingFRM::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    const NMHDR& h = *reinterpret_cast<const NMHDR*>(lp);
    LRESULT result = 0;
    for (Page p : {ProgramFiles, StartMenu, Registry, FileExtensions})
      if (Tree(p).HandleNotify(h, result)) return result;
    if (confirm_.HandleNotify(h, result)) return result;
    if (h.idFrom == kTabs && h.code == TCN_SELCHANGE) {
      ShowPage(TabCtrl_GetCurSel(tabs_));
      return 0;
    }
    if (h.idFrom == kConfirm && h.code == NM_CLICK) {  // a click on a row's tick
      LVHITTESTINFO hit{};
      hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(h).ptAction;
      if (ListView_SubItemHitTest(confirm_.View(), &hit) >= 0 && (hit.flags & LVHT_ONITEMSTATEICON))
        ToggleAction(static_cast<size_t>(confirm_.ModelRow(hit.iItem)));
      return 0;
    }
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}
