#include "app/main_commands.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "core/translate.h"
#include "platform/text.h"

namespace {

struct MenuEntry {
  int id;  // 0: separator
  const char* caption;
  bool built;  // its command exists in this version
};

const MenuEntry kFileMenu[] = {
    {cmLoadSelection, "&Lade Auswahl", true}, {cmSaveSelection, "&Speichere Auswahl", true},
    {cmResetSelection, "&Zurücksetzen der Auswahl", true}, {0, nullptr, false},
    {cmRestoreSavedConfiguration, "&Wiederherstellen der gespeicherten Konfiguration", true}, {0, nullptr, false},
    {cmLoadResult, "Lade &Ergebnisdatei (Installationsprotokoll)", true}, {0, nullptr, false},
    {cmExit, "&Beenden\tAlt+F4", true}};
const MenuEntry kWizardMenu[] = {
    {cmWizard, "&Assistenten starten", true}, {cmWizardOld, "A&ssistenten starten (alte Version)", true},
    {cmWizardInstall, "&Neues Programm installieren", true}, {cmWizardRemove, "&Programm entfernen", true},
    {0, nullptr, false}, {cmRestoreAll, "A&lles wiederherstellen", true}};
const MenuEntry kActionMenu[] = {
    {cmStoreConfiguration, "&Speichere aktuelle Konfiguration", true},
    {cmCreateLogfile, "&Erstelle Installationsprotokoll (vergleiche)", true},
    {cmIncrementalCompare, "&Inkrementelles Vergleichen", true}, {0, nullptr, false},
    {cmDuplicates, "&Doppelte Dateien suchen und löschen", true},
    {cmTempFiles, "&Temp-Dateien suchen und löschen", true}, {cmFileBackup, "Dateien-&Backup", true},
    {cmFonts, "Schri&ften deinstallieren", true}, {cmExistingPrograms, "Bestehende &Programme löschen", true},
    {cmInstallFiles, "I&nstallationsdateien erzeugen", true}, {cmWebClean, "Internetbereich aufräumen", true},
    {cmEmptyFolders, "&Leere Ordner suchen", true}, {0, nullptr, false},
    {cmRefresh, "A&nsicht aktualisieren\tF5", true}};
const MenuEntry kExtrasMenu[] = {{cmStoreConfigurationAs, "&Speichere Konfiguration unter", true},
                                 {cmCompareTwo, "&Vergleiche zwei Konfigurationen", true}};
const MenuEntry kOptionsMenu[] = {{cmOptions, "&Einstellungen", true}};
const MenuEntry kHelpMenu[] = {{cmHelp, "&Hilfe\tF1", true}, {cmWelcome, "&Willkommen", true}};

template <size_t N>
HMENU MakeMenu(const MenuEntry (&entries)[N]) {
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& e : entries) {
    if (e.id == 0) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    AppendMenuW(menu, MF_STRING | (e.built ? 0 : MF_GRAYED), static_cast<UINT_PTR>(e.id),
                platform::Utf8ToWide(tr(e.caption)).c_str());
  }
  return menu;
}

void AppendPopup(HMENU bar, HMENU popup, const char* caption) {
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), platform::Utf8ToWide(tr(caption)).c_str());
}

// The toolbar: command and its picture among the common controls' standard pictures
// (the view pictures follow the 15 standard ones).
constexpr int kView = 15;
const struct {
  int command, image;
} kToolbar[] = {{cmLoadSelection, STD_FILEOPEN}, {cmSaveSelection, STD_FILESAVE},
                {cmLoadResult, kView + VIEW_DETAILS}, {0, 0},
                {cmWizard, kView + VIEW_LARGEICONS}, {cmWizardOld, kView + VIEW_LIST}, {cmRestoreAll, STD_UNDO}, {0, 0},
                {cmStoreConfiguration, STD_FILENEW}, {cmCreateLogfile, STD_REPLACE},
                {cmIncrementalCompare, STD_REDOW}, {0, 0},
                {cmDuplicates, STD_COPY}, {cmTempFiles, STD_DELETE}, {cmEmptyFolders, kView + VIEW_PARENTFOLDER},
                {0, 0}, {cmRefresh, kView + VIEW_SORTNAME}, {cmOptions, STD_PROPERTIES}, {cmHelp, STD_HELP}};

// A command's menu caption, and its hint: each single "&" removed, "&&" made one "&".
const MenuEntry* EntryOf(int command) {
  auto find = [command](const auto& entries) -> const MenuEntry* {
    for (const MenuEntry& e : entries)
      if (e.id == command) return &e;
    return nullptr;
  };
  if (const MenuEntry* e = find(kFileMenu)) return e;
  if (const MenuEntry* e = find(kWizardMenu)) return e;
  if (const MenuEntry* e = find(kActionMenu)) return e;
  if (const MenuEntry* e = find(kExtrasMenu)) return e;
  if (const MenuEntry* e = find(kOptionsMenu)) return e;
  return find(kHelpMenu);
}

std::string HintOf(const std::string& caption) {
  std::string hint;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '\t') break;  // the key shown in the menu
    if (caption[i] == '&' && !(i + 1 < caption.size() && caption[i + 1] == '&')) continue;
    if (caption[i] == '&') ++i;
    hint += caption[i];
  }
  return hint;
}

}  // namespace

HMENU CreateMainMenu() {
  HMENU bar = CreateMenu();
  AppendPopup(bar, MakeMenu(kFileMenu), "&Datei");
  AppendPopup(bar, MakeMenu(kWizardMenu), "A&ssistent");
  HMENU action = MakeMenu(kActionMenu);
  InsertMenuW(action, cmRefresh, MF_BYCOMMAND | MF_POPUP, reinterpret_cast<UINT_PTR>(MakeMenu(kExtrasMenu)),
              platform::Utf8ToWide(tr("E&xtras")).c_str());
  AppendPopup(bar, action, "&Aktion");
  AppendPopup(bar, MakeMenu(kOptionsMenu), "&Optionen");
  AppendPopup(bar, MakeMenu(kHelpMenu), "&Hilfe");
  return bar;
}

void FillToolbar(HWND toolbar, int dpi, std::vector<int> only, bool captions) {
  SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar, TB_LOADIMAGES, dpi > 120 ? IDB_STD_LARGE_COLOR : IDB_STD_SMALL_COLOR,
               reinterpret_cast<LPARAM>(HINST_COMMCTRL));
  SendMessageW(toolbar, TB_LOADIMAGES, dpi > 120 ? IDB_VIEW_LARGE_COLOR : IDB_VIEW_SMALL_COLOR,
               reinterpret_cast<LPARAM>(HINST_COMMCTRL));
  std::vector<TBBUTTON> buttons;
  std::vector<std::wstring> texts;
  texts.reserve(std::size(kToolbar));
  for (const auto& b : kToolbar) {
    if (!only.empty() && std::find(only.begin(), only.end(), b.command) == only.end()) continue;
    TBBUTTON button{};
    button.iBitmap = b.command == 0 ? 0 : b.image;
    button.idCommand = b.command;
    const MenuEntry* entry = b.command == 0 ? nullptr : EntryOf(b.command);
    button.fsState = entry != nullptr && entry->built ? TBSTATE_ENABLED : 0;
    button.fsStyle = b.command == 0 ? BTNS_SEP : BTNS_BUTTON;
    button.iString = -1;
    if (captions && entry != nullptr) {
      texts.push_back(platform::Utf8ToWide(CommandHint(b.command)));
      button.iString = reinterpret_cast<INT_PTR>(texts.back().c_str());
      button.fsStyle |= BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    }
    buttons.push_back(button);
  }
  SendMessageW(toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
}

std::string CommandHint(int command) {
  const MenuEntry* entry = EntryOf(command);
  return entry != nullptr ? HintOf(tr(entry->caption)) : std::string();
}

namespace {

HMENU MakePopup(const std::vector<PopupItem>& items) {
  HMENU popup = CreatePopupMenu();
  for (const PopupItem& item : items) {
    const UINT state = item.enabled ? 0 : MF_GRAYED;
    const std::wstring caption = platform::Utf8ToWide(tr(item.caption));
    if (item.sub.empty())
      AppendMenuW(popup, MF_STRING | state, static_cast<UINT_PTR>(item.id), caption.c_str());
    else
      AppendMenuW(popup, MF_POPUP | state, reinterpret_cast<UINT_PTR>(MakePopup(item.sub)), caption.c_str());
  }
  return popup;
}

}  // namespace

int ShowPopupMenu(HWND owner, POINT at, const std::vector<PopupItem>& items) {
  HMENU popup = MakePopup(items);
  const int chosen = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
  DestroyMenu(popup);  // with its submenus
  return chosen;
}
