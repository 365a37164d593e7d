#include "app/welcome_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include "app/main_commands.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/settings.h"

namespace {

constexpr LONG kWidth = 470, kHeight = 300, kText = 140;  // the picture left of kText

bool DontShowWelcome() {
  const SettingValue value = ReadSettingDef("DontShowWelcome", 0);
  const auto* number = std::get_if<int32_t>(&value);
  return number != nullptr && *number != 0;
}

}  // namespace

bool ShowWelcomeAtStart() { return !DontShowWelcome(); }

TWelcomeFRM::TWelcomeFRM() : TfTSW_BasicForm("TWelcomeFRM", "Willkommen", {kWidth, kHeight}) {}

TWelcomeFRM::~TWelcomeFRM() {
  if (picture_ != nullptr) DeleteObject(picture_);
}

DWORD TWelcomeFRM::Style() const { return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }

void TWelcomeFRM::CreateControls() {
  HWND picture = AddControl(L"STATIC", "", SS_BITMAP, {10, 10, 130, 290}, akLeft | akTop);
  picture_ = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), L"BMP_WELCOME", IMAGE_BITMAP, Scale(120), Scale(280), 0));
  if (picture_ != nullptr) SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_));
  AddControl(L"STATIC", std::string("Willkommen bei ") + ProductName, SS_LEFT, {kText, 12, kWidth - 10, 30},
             akLeft | akTop);
  AddControl(L"STATIC",
             "Das Programm zeichnet auf, was eine Installation an Ihrem System ändert, und nimmt es auf Wunsch "
             "wieder zurück.\r\n\r\nDie Assistenten führen Sie Schritt für Schritt durch eine Installation oder "
             "Deinstallation. Sie erreichen sie jederzeit über das Menü \"Assistent\" und die Werkzeugleiste:",
             SS_LEFT, {kText, 36, kWidth - 10, 140}, akLeft | akTop);
  // The two wizard commands as the toolbar shows them.
  HWND toolbar = AddControl(TOOLBARCLASSNAMEW, "",
                            TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                            {kText, 146, kWidth - 10, 200}, akLeft | akTop);
  FillToolbar(toolbar, Dpi(), {cmWizard, cmWizardOld}, true);
  dont_show_ = AddControl(L"BUTTON", "Dieses Fenster beim Start nicht mehr zeigen", WS_TABSTOP | BS_AUTOCHECKBOX,
                          {kText, 214, kWidth - 10, 234}, akLeft | akTop);
  SendMessageW(dont_show_, BM_SETCHECK, DontShowWelcome() ? BST_CHECKED : BST_UNCHECKED, 0);
  AddButton("Assistent jetzt starten", {kText, kHeight - 36, kText + 150, kHeight - 10}, akLeft | akBottom, mrYes,
            true);
  AddButton("S&chließen", {kWidth - 100, kHeight - 36, kWidth - 10, kHeight - 10}, akRight | akBottom, mrCancel);
}

// Whichever way it closes, the box is remembered.
void TWelcomeFRM::Command(int id, int notifyCode, HWND control) {
  if (id == mrYes || id == mrCancel)
    WriteSetting("DontShowWelcome", SendMessageW(dont_show_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
  TfTSW_BasicForm::Command(id, notifyCode, control);
}
