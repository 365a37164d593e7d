// TfOptions, the dialog "Einstellungen": every user setting on six pages
// ("Allgemein", "Ansicht", "Löschen", "Backup", "Versionsinfo", "Sprache"), read when
// the dialog is made and written by "&Ok" and "&Übernehmen"; "&Abbrechen" writes
// nothing.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/settings.h"
#include "ui/form.h"

class TfOptions : public TfTSW_BasicForm {
 public:
  TfOptions();

  // Writes every setting from its control, the caption colours also into the
  // process-wide ones, and the language override.
  void Save();
  void ShowPage(int page);
  // The control that edits a setting (a radio group: its first button; a colour: its
  // swatch); the extension list, its field and buttons by their own names.
  HWND ControlOf(const std::string& name) const;
  // A swatch's colour as it will be saved.
  int32_t SwatchColour(const std::string& name) const;
  void SetSwatchColour(const std::string& name, int32_t colour);

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  DWORD Style() const override;

 private:
  struct Bound {
    SettingDef def;
    HWND control = nullptr;  // edit, check box, first radio button or swatch
    int swatch = -1;         // index into colours_
  };
  void CreatePage(int page);
  HWND Label(const char* text, RECT r);
  HWND Edit(const char* setting, RECT r);
  HWND Check(const char* setting, const char* text, RECT r, int id = 0);
  HWND RadioGroup(const char* setting, const char* caption, std::initializer_list<const char*> items, RECT r);
  void Swatch(const char* setting, const char* text, int y);
  void FolderField(const char* setting, int y, int browseId);
  void Bind(const char* setting, HWND control, int swatch = -1);
  Bound* Find(const std::string& name);
  const Bound* Find(const std::string& name) const;
  void Load();
  void ExclusiveChecks(int clicked);
  void BrowseFolder(const char* setting, const char* status);
  void ChooseColour(int swatch);
  void AddExtension();
  void RemoveExtension();
  static std::vector<HWND> Radios(HWND first, int count);

  HWND tabs_ = nullptr;
  int creating_page_ = 0;
  std::vector<std::vector<HWND>> pages_;
  std::vector<Bound> bound_;
  std::array<int32_t, 4> colours_{};
  HWND ext_list_ = nullptr, ext_field_ = nullptr, language_ = nullptr;
  std::string stored_language_;  // the override as read (one the group cannot show is kept)
};

// The caption colours of the settings as the process-wide ones (at start).
void ApplyCaptionColorSettings();
