#include "app/wizard_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "app/main_commands.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "core/translate.h"
#include "ui/tab_control.h"

namespace {

constexpr LONG kWidth = 640, kHeight = 380;
constexpr RECT kTabs{10, 10, kWidth - 10, kHeight - 46};
constexpr uint8_t akStretch = akLeft | akTop | akRight;

// The start page: picture, caption, step; the later three open tools of their own.
const struct {
  const char* picture;
  const char* caption;
  int id;
  bool built;
} kStartButtons[] = {
    {"BMP_WIZ_1", "Neue Anwendung installieren", TWizard2FRM::idInstall, true},
    {"BMP_WIZ_2", "Deinstallieren (von Protokolldatei)", TWizard2FRM::idUninstall, true},
    {"BMP_WIZ_3", "Vorhandene Anwendung deinstallieren", TWizard2FRM::idRemoveExisting, true},
    {"BMP_WIZ_4", "Doppelte/temporäre Dateien,\r\nleere Ordner suchen", TWizard2FRM::idFindFiles, true},
    {"BMP_WIZ_5", "Internetbereich säubern", TWizard2FRM::idCleanWeb, true},
    {"BMP_WIZ_6", "Schriften löschen", TWizard2FRM::idFonts, false},
};

// A tab of the install or uninstall pages: what it is for, and its steps.
struct TabStep {
  const char* caption;
  int id;
  bool built;
};
struct WizardTab {
  const char* title;
  const char* text;
  std::vector<TabStep> steps;
};

const WizardTab kInstallTabs[] = {
    {"Auswahl",
     "Legen Sie fest, welche Teile der Registry, welche Laufwerke und welche Systemdateien beobachtet werden. "
     "Die automatische Auswahl genügt für die meisten Installationen.",
     {{"Auswahl manuell tätigen", TWizard2FRM::idManualSelection, true},
      {"automatische Auswahl", TWizard2FRM::idAutoSelection, true}}},
    {"Speichern der Konfiguration",
     "Der jetzige Zustand des Systems wird gespeichert, bevor Sie das neue Programm installieren.",
     {{"Konfiguration speichern", TWizard2FRM::idStoreConfiguration, true}}},
    {"Installation der neuen Anwendung",
     "Installieren Sie jetzt das neue Programm. Der Explorer wird geöffnet; starten Sie dort das Setup. "
     "Kehren Sie danach hierher zurück und drücken Sie 'Weiter'.",
     {{"zum Explorer springen", TWizard2FRM::idExplorer, true}}},
    {"Protokoll erstellen",
     "Der neue Zustand wird mit dem gespeicherten verglichen; die Unterschiede ergeben das "
     "Installationsprotokoll.",
     {{"Protokoll erstellen", TWizard2FRM::idCreateLog, true}}},
};

const WizardTab kUninstallTabs[] = {
    {"Protokolldatei laden", "Laden Sie das Installationsprotokoll des Programms, das entfernt werden soll.",
     {{"Protokolldatei laden", TWizard2FRM::idLoadLog, true},
      {"keine Protokolldatei vorhanden", TWizard2FRM::idNoLog, false}}},
    {"vorherige Konfiguration wiederherstellen",
     "Nehmen Sie die protokollierten Änderungen einzeln zurück, oder alle auf einmal.",
     {{"halbautomatisches Deinstallieren", TWizard2FRM::idSemiAutomatic, true},
      {"automatisches Deinstallieren", TWizard2FRM::idAutomatic, true}}},
};

bool InInstall() { return ReadSettingDef("Wizard2InInstall", 0) == SettingValue(1); }
void SetInInstall(bool on) { WriteSetting("Wizard2InInstall", on ? 1 : 0); }

}  // namespace

TWizard2FRM::TWizard2FRM(WizardHost& host)
    : TfTSW_BasicForm("TWizard2FRM", "Startseite", {kWidth, kHeight}), host_(host) {
  SavePosition = true;
}

TWizard2FRM::~TWizard2FRM() {
  for (HBITMAP picture : pictures_)
    if (picture != nullptr) DeleteObject(picture);
}

DWORD TWizard2FRM::Style() const { return WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN; }

void TWizard2FRM::CreateControls() {
  start_controls_.push_back(
      AddControl(L"STATIC", "Was möchten Sie tun?", SS_LEFT, {20, 16, kWidth - 20, 34}, akStretch));
  for (size_t i = 0; i < 6; ++i) {
    const auto& b = kStartButtons[i];
    const LONG x = i % 2 == 0 ? 20 : kWidth / 2 + 10, y = 44 + 90 * static_cast<LONG>(i / 2);
    // The picture beside its button (a button shows either a picture or a text).
    HWND picture = AddControl(L"STATIC", "", SS_BITMAP, {x, y + 14, x + 48, y + 62}, akTopLeft);
    pictures_[i] = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                   std::wstring(b.picture, b.picture + strlen(b.picture)).c_str(),
                                                   IMAGE_BITMAP, Scale(48), Scale(48), 0));
    if (pictures_[i] != nullptr)
      SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(pictures_[i]));
    HWND button = AddControl(L"BUTTON", b.caption, WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE,
                             {x + 58, y + 10, x + kWidth / 2 - 30, y + 66}, akTopLeft, b.id);
    EnableWindow(button, b.built);  // the tools come later
    start_controls_.push_back(picture);
    start_controls_.push_back(button);
  }
  for (const int page : {pgInstall, pgUninstall}) {
    HWND tabs = AddControl(WC_TABCONTROLW, "", WS_CLIPSIBLINGS | WS_TABSTOP, kTabs, akAll);
    AddTabBody(tabs);
    (page == pgInstall ? install_tabs_ : uninstall_tabs_) = tabs;
    const WizardTab* pages = page == pgInstall ? kInstallTabs : kUninstallTabs;
    const int count = page == pgInstall ? 4 : 2;
    auto& controls = page == pgInstall ? install_controls_ : uninstall_controls_;
    for (int t = 0; t < count; ++t) {
      AddTab(tabs, t, pages[t].title);
      std::vector<HWND> tab{AddControl(L"STATIC", pages[t].text, SS_LEFT, {30, 50, kWidth - 30, 120}, akStretch)};
      LONG y = 130;
      for (const TabStep& step : pages[t].steps) {
        HWND button = AddButton(step.caption, {30, y, 280, y + 30}, akTopLeft, step.id);
        EnableWindow(button, step.built);
        tab.push_back(button);
        y += 40;
      }
      controls.push_back(tab);
    }
  }
  const LONG y = kHeight - 36;
  nav_controls_ = {AddButton("<< &Startseite", {10, y, 120, y + 26}, akLeft | akBottom, idStartPage),
                   AddButton("<  &Zurück", {kWidth - 330, y, kWidth - 230, y + 26}, akRight | akBottom, idBack),
                   AddButton("&Weiter  >", {kWidth - 224, y, kWidth - 124, y + 26}, akRight | akBottom, idNext),
                   AddButton("S&chließen", {kWidth - 110, y, kWidth - 10, y + 26}, akRight | akBottom, idClose)};
  for (HWND tabs : {install_tabs_, uninstall_tabs_})
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Left for the explorer during an installation: back on its tab.
  if (InInstall()) ShowPage(pgInstall, 2);
  else ShowPage(pgStart, 0);
}

void TWizard2FRM::Open(int page, int tab) {
  CreateHandle(host_.Window());
  if (page >= 0) ShowPage(page, tab);
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

int TWizard2FRM::CurrentTab() const { return page_ == pgStart ? 0 : TabCtrl_GetCurSel(TabsOf(page_)); }

void TWizard2FRM::ShowPage(int page, int tab) {
  page_ = page;
  for (HWND c : start_controls_) ShowWindow(c, page == pgStart ? SW_SHOW : SW_HIDE);
  for (HWND c : nav_controls_) ShowWindow(c, page == pgStart ? SW_HIDE : SW_SHOW);
  ShowWindow(install_tabs_, page == pgInstall ? SW_SHOW : SW_HIDE);
  ShowWindow(uninstall_tabs_, page == pgUninstall ? SW_SHOW : SW_HIDE);
  ShowTab(page == pgStart ? -1 : tab);
}

void TWizard2FRM::ShowTab(int tab) {
  if (page_ != pgStart) TabCtrl_SetCurSel(TabsOf(page_), tab);
  for (const int page : {pgInstall, pgUninstall}) {
    const auto& controls = page == pgInstall ? install_controls_ : uninstall_controls_;
    for (size_t t = 0; t < controls.size(); ++t)
      for (HWND c : controls[t]) ShowWindow(c, page == page_ && static_cast<int>(t) == tab ? SW_SHOW : SW_HIDE);
  }
  // Only the install step itself remembers that the user went to install.
  if (page_ != pgInstall || tab != 2) SetInInstall(false);
}

void TWizard2FRM::StepDone(const char* message) { MessageDlg(tr(message), mtInformation, mbOK); }

// A command of the main window with the wizard out of the way; it comes back also
// when the command fails (the error reaches the error dialog after that).
void TWizard2FRM::RunHidden(int command) {
  ShowWindow(Handle(), SW_HIDE);
  struct ShowAgain {
    HWND window;
    ~ShowAgain() { ShowWindow(window, SW_SHOW); }
  } again{Handle()};
  host_.RunCommand(command);
}

void TWizard2FRM::Press(int id) { Step(id); }

void TWizard2FRM::Step(int id) {
  switch (id) {
    case idInstall: ShowPage(pgInstall, 0); break;
    case idUninstall: ShowPage(pgUninstall, 0); break;
    case idFindFiles: {  // one of the three file finders, chosen first
      TSelectFunctionFRM choice;
      if (choice.ShowModal(Handle()) != 1) break;
      const int tools[] = {cmDuplicates, cmTempFiles, cmEmptyFolders};
      ShowWindow(Handle(), SW_HIDE);
      host_.RunCommand(tools[choice.Chosen()]);
      break;
    }
    case idRemoveExisting:
    case idCleanWeb:  // the tool in place of the wizard
      ShowWindow(Handle(), SW_HIDE);
      host_.RunCommand(id == idCleanWeb ? cmWebClean : cmExistingPrograms);
      break;
    case idManualSelection:
      Close();
      host_.ShowPage(0, 0);
      break;
    case idAutoSelection:
      host_.RunCommand(cmResetSelection);
      StepDone("Die automatische Auswahl wurde getroffen.\rDrücken Sie 'Weiter', um fortzufahren.");
      break;
    case idStoreConfiguration:
      RunHidden(cmStoreConfiguration);
      StepDone("Die Konfiguration wurde gespeichert.\rDrücken Sie 'Weiter', um fortzufahren.");
      break;
    case idExplorer:
      SetInInstall(true);
      ShowWindow(host_.Window(), SW_MINIMIZE);
      ShellExecuteW(nullptr, L"open", L"explorer.exe", nullptr, nullptr, SW_SHOWDEFAULT);
      break;
    case idCreateLog:
      RunHidden(cmCreateLogfile);
      ShowPage(pgStart, 0);
      StepDone(
          "Die Konfiguration wurde gespeichert.\r     Der Vorgang ist nun beendet.\rWechseln Sie zum Hauptfenster, "
          "um die Änderungen im Detail zu betrachten!");
      break;
    case idLoadLog:
      RunHidden(cmLoadResult);
      if (host_.ResultLoaded())
        StepDone("Das Installationsprotokoll wurde geladen.\rDrücken Sie 'Weiter', um fortzufahren.");
      else
        MessageDlg(tr("Es ist kein Installationsprotokoll geladen."), mtWarning, mbOK);
      break;
    case idSemiAutomatic:
      ShowWindow(Handle(), SW_HIDE);
      ShowPage(pgStart, 0);
      host_.ShowPage(1, 0);
      UI().ProcessMessages();
      StepDone(
          "Sie sehen nun die einzelnen protokollierten Veränderungen.\rKlicken Sie mit der rechten Maustaste auf "
          "die Einträge und wählen dann\r\"Änderungen wiederherstellen\".\rDies funktioniert sowohl links (Baum) "
          "sowie auch rechts (Liste).");
      break;
    case idAutomatic:
      if (!host_.ResultLoaded()) {
        StepDone("Bitte laden Sie zuerst eine Protokolldatei !");
        break;
      }
      ShowPage(pgStart, 0);
      ShowWindow(Handle(), SW_HIDE);
      host_.RunCommand(cmRestoreAll);
      break;
    case idBack:
    case idNext: {
      const int count = page_ == pgInstall ? 4 : 2;
      const int tab = std::clamp(CurrentTab() + (id == idNext ? 1 : -1), 0, count - 1);
      ShowTab(tab);
      break;
    }
    case idStartPage:
      SetInInstall(false);
      ShowPage(pgStart, 0);
      break;
    case idClose:
      SetInInstall(false);
      Close();
      break;
    default: break;
  }
}

void TWizard2FRM::Command(int id, int notifyCode, HWND control) {
  if (id >= idInstall && id <= idClose) Step(id);
  else TfTSW_BasicForm::Command(id, notifyCode, control);
}

// Closing hides the wizard; it lives as long as the program.
bool TWizard2FRM::CloseQuery() {
  ShowWindow(Handle(), SW_HIDE);
  return false;
}

LRESULT TWizard2FRM::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == TCN_SELCHANGE) {
    ShowTab(TabCtrl_GetCurSel(reinterpret_cast<NMHDR*>(lp)->hwndFrom));
    return 0;
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}

// ---------------------------------------------------------------- TSelectFunctionFRM

TSelectFunctionFRM::TSelectFunctionFRM() : TfTSW_BasicForm("TSelectFunctionFRM", "Auswahl", {300, 170}) {}

DWORD TSelectFunctionFRM::Style() const { return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }

void TSelectFunctionFRM::CreateControls() {
  const char* captions[] = {"Doppelte Dateien suchen", "Temporäre Dateien suchen", "Leere Ordner suchen"};
  for (int i = 0; i < 3; ++i)
    radios_[i] = AddControl(L"BUTTON", captions[i], BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
                            {20, 14 + 26 * i, 280, 36 + 26 * i}, akTopLeft);
  SendMessageW(radios_[0], BM_SETCHECK, BST_CHECKED, 0);
  AddButton("&OK", {130, 132, 210, 158}, akRight | akBottom, 1, true);
  AddButton("&Abbrechen", {214, 132, 290, 158}, akRight | akBottom, 2);
}

void TSelectFunctionFRM::Command(int id, int notifyCode, HWND control) {
  if (id == 1)
    for (int i = 0; i < 3; ++i)
      if (SendMessageW(radios_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) chosen_ = i;
  TfTSW_BasicForm::Command(id, notifyCode, control);
}
