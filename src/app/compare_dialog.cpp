#include "app/compare_dialog.h"

#include <windows.h>

#include "app/commands.h"
#include "core/exceptions.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/text.h"
#include "ui/file_dialog.h"

namespace {

enum : int { kCompare = 200, kBrowse = 210 };  // three browse buttons from kBrowse on
constexpr LONG kWidth = 480, kHeight = 200;

std::string TextOf(HWND field) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
  return platform::WideToUtf8(text);
}

}  // namespace

TfCompare::TfCompare(Workspace& ws)
    : TfTSW_BasicForm("TfCompare", "Vergleichen zweier Konfigurationen", {kWidth, kHeight}), ws_(ws) {}

DWORD TfCompare::Style() const { return WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN; }

void TfCompare::CreateControls() {
  const char* labels[] = {"Konfigurationsdatei (alt)", "Konfigurationsdatei (neu)", "Ergebnisdatei"};
  for (int i = 0; i < 3; ++i) {
    const LONG y = 10 + 46 * i;
    AddControl(L"STATIC", labels[i], SS_LEFT, {10, y, kWidth - 10, y + 16}, akLeft | akTop | akRight);
    fields_[i] = AddControl(L"EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, {10, y + 18, kWidth - 46, y + 40},
                            akLeft | akTop | akRight, 0, WS_EX_CLIENTEDGE);
    AddButton("...", {kWidth - 40, y + 18, kWidth - 10, y + 40}, akRight | akTop, kBrowse + i);
  }
  AddButton("&OK", {kWidth - 170, kHeight - 34, kWidth - 90, kHeight - 10}, akRight | akBottom, kCompare, true);
  AddButton("&Abbrechen", {kWidth - 86, kHeight - 34, kWidth - 10, kHeight - 10}, akRight | akBottom, 2);
}

void TfCompare::Browse(int field) {
  std::string name;  // the dialogs start without a name
  const bool chosen =
      field < 2 ? ChooseFileName(Handle(), {"Lade eine Konfigurationsdatei", {{"Konfigurationsdatei (*.TSD)", "*.TSD"}},
                                            "TSD", ws_.ProgramFolder, false},
                                 name)
                : ChooseFileName(Handle(), {"Speichere eine Logdatei", {{"Logdatei (*.TSL)", "*.TSL"}}, "TSL",
                                            ws_.ProgramFolder, true},
                                 name);
  if (chosen) SetWindowTextW(fields_[field], platform::Utf8ToWide(name).c_str());
}

void TfCompare::Compare() {
  const std::string oldFile = TextOf(fields_[0]), newFile = TextOf(fields_[1]), result = TextOf(fields_[2]);
  if (oldFile.empty()) throw EQuitawayError(tr("Sie sollten eine Datei für die alten Konfigurationsdaten wählen"));
  if (newFile.empty()) throw EQuitawayError(tr("Sie sollten eine Datei für die neuen Konfigurationsdaten wählen"));
  if (result.empty()) throw EQuitawayError(tr("Sie sollten einen Namen für die Ergebnisdatei angeben"));
  {
    BusyScope busy;
    CompareInto(ws_, result, oldFile, newFile);
  }
  SetModalResult(1);
}

void TfCompare::Command(int id, int notifyCode, HWND control) {
  if (id == kCompare) Compare();
  else if (id >= kBrowse && id < kBrowse + 3) Browse(id - kBrowse);
  else TfTSW_BasicForm::Command(id, notifyCode, control);
}
