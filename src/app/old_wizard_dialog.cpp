#include "app/old_wizard_dialog.h"

#include <windows.h>
#include <shellapi.h>

#include "app/main_commands.h"
#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/text.h"

namespace {

enum : int { kButton = 200, kDone = 210, kNext = 220, kReset, kEnd, kOnTop };
constexpr LONG kWidth = 520, kRow = 56, kTop = 10, kHeight = kTop + 5 * kRow + 150;

const struct {
  const char* button;
  const char* text;
} kChapters[] = {
    {"1. Auswahl treffen", "Wählen Sie aus, was beobachtet werden soll."},
    {"2. Konfiguration speichern", "Der Zustand vor der Installation wird gespeichert."},
    {"3. Programm installieren", "Installieren Sie das neue Programm mit dem Explorer."},
    {"4. Protokoll erstellen", "Der neue Zustand wird mit dem gespeicherten verglichen."},
    {"5. Änderungen betrachten", "Sehen Sie die Änderungen an und nehmen Sie sie zurück."},
};

// The hint of each chapter (6: the end); "|" separates its lines.
const char* const kHints[] = {
    "Klicken Sie auf die kleinen Kästchen, um den Eintrag auszuwählen.|Wählen Sie die Bereiche der Registry, die "
    "Laufwerke und die Systemdateien, die beobachtet werden sollen, und drücken Sie dann 'Ok, fertig'.",
    "Klicken Sie auf den Knopf und das Programm speichert die aktuelle Konfiguration in eine Datei.|Hinweis: Nur die "
    "ausgewählten Einträge werden gespeichert.",
    "Klicken Sie den Knopf und das Programm startet den Windows Explorer.|Installieren Sie von dort das neue Programm "
    "und drücken Sie danach 'Ok, fertig'.",
    "Klicken Sie den Knopf und das Programm speichert wieder die aktuelle Konfiguration.|Danach werden beide "
    "Konfigurationen verglichen und die Änderungen im Installationsprotokoll festgehalten.",
    "Nun ist das Programm bereit, die Software zu deinstallieren.|Klicken Sie mit der rechten Maustaste auf die "
    "Änderungen und wählen Sie \"Änderungen wiederherstellen\".",
    "Assistent beendet !",
};

std::wstring HintLines(int chapter) {
  std::string text = tr(kHints[chapter - 1]);
  std::string lines;
  for (char c : text) lines += c == '|' ? std::string("\r\n") : std::string(1, c);
  return platform::Utf8ToWide(lines);
}

}  // namespace

TfWizard* TfWizard::current_ = nullptr;

TfWizard::TfWizard(WizardHost& host)
    : TfTSW_BasicForm("TfWizard", "Schritt für Schritt Assistent", {kWidth, kHeight}), host_(host) {
  current_ = this;
}

TfWizard::~TfWizard() {
  if (current_ == this) current_ = nullptr;
}

DWORD TfWizard::Style() const { return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN; }

void TfWizard::CreateControls() {
  for (size_t i = 0; i < 5; ++i) {
    const LONG y = kTop + kRow * static_cast<LONG>(i);
    const int id = static_cast<int>(i);
    frames_[i] = AddControl(L"STATIC", "", SS_ETCHEDFRAME, {8, y, kWidth - 8, y + kRow - 6}, akLeft | akTop | akRight);
    buttons_[i] = AddButton(kChapters[i].button, {16, y + 10, 186, y + 38}, akTopLeft, kButton + id);
    texts_[i] = AddControl(L"EDIT", kChapters[i].text, ES_READONLY | ES_MULTILINE, {194, y + 8, kWidth - 120, y + 42},
                           akLeft | akTop | akRight);
    done_[i] = AddControl(L"BUTTON", "Ok, fertig", WS_TABSTOP | BS_AUTOCHECKBOX,
                          {kWidth - 112, y + 14, kWidth - 16, y + 34}, akRight | akTop, kDone + id);
  }
  const LONG y = kTop + 5 * kRow;
  hints_ = AddControl(L"EDIT", "", ES_READONLY | ES_MULTILINE | WS_VSCROLL, {8, y + 4, kWidth - 8, y + 92},
                      akLeft | akTop | akRight, 0, WS_EX_CLIENTEDGE);
  AddButton("nächster Schritt", {8, y + 104, 140, y + 130}, akLeft | akBottom, kNext, true);
  AddButton("Assistent zurücksetzen", {146, y + 104, 300, y + 130}, akLeft | akBottom, kReset);
  AddButton("Assistent beenden", {306, y + 104, 430, y + 130}, akLeft | akBottom, kEnd);
  on_top_ = AddControl(L"BUTTON", "Immer im Vordergrund", WS_TABSTOP | BS_AUTOCHECKBOX, {8, y + 132, 260, y + 150},
                       akLeft | akBottom, kOnTop);
  const SettingValue stored = ReadSettingDef("WizardChapter", 1);
  const auto* number = std::get_if<int32_t>(&stored);
  chapter_ = number != nullptr && *number >= 1 && *number <= 5 ? *number : 1;
  Display();
}

// The current chapter's row is the one to work in; the earlier ones are done.
void TfWizard::Display() {
  displaying_ = true;
  for (size_t i = 0; i < 5; ++i) {
    const int chapter = static_cast<int>(i) + 1;
    for (HWND c : {frames_[i], buttons_[i], texts_[i], done_[i]}) EnableWindow(c, chapter == chapter_);
    SendMessageW(done_[i], BM_SETCHECK, chapter < chapter_ ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  SetWindowTextW(hints_, HintLines(chapter_).c_str());
  displaying_ = false;
}

void TfWizard::Advance() {
  ++chapter_;
  if (chapter_ < 6) {
    Display();
    return;
  }
  SetWindowTextW(hints_, HintLines(6).c_str());
  MessageDlg(tr("Der Schritt für Schritt Assistent ist abgeschlossen !"), mtInformation, mbOK);
  chapter_ = 1;
  Close();
}

void TfWizard::NextStep() {
  if (chapter_ == 2 || chapter_ == 4) {
    const std::string step = std::to_string(chapter_);
    if (MessageDlg(FormatMsg(tr("Wollen Sie den Schritt #%d überspringen ?"), {step}), mtConfirmation, mbYesNo) !=
        mrYes)
      throw EQuitawayError(
          FormatMsg(tr("Bitte benutzen Sie die Schaltfläche, um die Aktion #%d auszuführen !"), {step}));
  }
  Advance();
}

// "Ok, fertig" of the current chapter: done for 1, 3 and 5; 2 and 4 have their button.
void TfWizard::DoneClicked(int chapter) {
  if (displaying_ || chapter != chapter_) return;
  if (chapter == 2 || chapter == 4) {
    SendMessageW(done_[static_cast<size_t>(chapter - 1)], BM_SETCHECK, BST_UNCHECKED, 0);
    MessageDlg(tr("Drücken Sie HIER bitte die Schaltfläche !"), mtInformation, mbOK);
    return;
  }
  NextStep();
}

void TfWizard::ChapterAction(int chapter) {
  switch (chapter) {
    case 1:
      host_.ShowPage(0, 0);
      MessageDlg(tr("Tätigen Sie jetzt Ihre Auswahl !"), mtInformation, mbOK);
      break;
    case 2:
      host_.RunCommand(cmStoreConfiguration);
      Advance();
      break;
    case 3: ShellExecuteW(nullptr, L"open", L"explorer.exe", nullptr, nullptr, SW_SHOWDEFAULT); break;
    case 4:
      host_.RunCommand(cmCreateLogfile);
      Advance();
      break;
    case 5:
      host_.ShowPage(1, 0);
      MessageDlg(tr("Betrachten Sie nun die Änderungen und stellen die alten Werte wieder her !"), mtInformation, mbOK);
      break;
    default: break;
  }
}

void TfWizard::Command(int id, int notifyCode, HWND control) {
  if (id >= kButton && id < kButton + 5) ChapterAction(id - kButton + 1);
  else if (id >= kDone && id < kDone + 5) DoneClicked(id - kDone + 1);
  else if (id == kNext) NextStep();
  else if (id == kReset) {
    chapter_ = 1;
    Display();
  } else if (id == kEnd) Close();
  else if (id == kOnTop) {
    const bool onTop = SendMessageW(on_top_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SetWindowPos(Handle(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  } else TfTSW_BasicForm::Command(id, notifyCode, control);
}

// The chapter is kept for the next time.
bool TfWizard::CloseQuery() {
  WriteSetting("WizardChapter", chapter_);
  return true;
}
