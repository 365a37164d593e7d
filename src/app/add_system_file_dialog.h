// TfAddSysFile ("Systemdatei hinzufügen"): a further file to watch among the system
// files, as an INI file or as a text file.
#pragma once

#include <string>

#include "ui/form.h"

class TfAddSysFile : public TfTSW_BasicForm {
 public:
  TfAddSysFile();
  HWND NameField() const { return name_; }
  HWND TextFileRadio() const { return text_; }
  // "&OK": a name without a folder gets the current folder; a file that is not there
  // raises "Datei %s kann nicht erstellt werden" (the dialog stays open).
  void Accept();
  // After "&OK": "name(INI)" with kind 2, or "name(TXT)" with kind 3.
  const std::string& Entry() const { return entry_; }
  int Kind() const { return kind_; }

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  DWORD Style() const override;

 private:
  void Browse();
  HWND name_ = nullptr, ini_ = nullptr, text_ = nullptr;
  std::string entry_;
  int kind_ = 2;
};

// Shows the dialog; true with the entry text and its kind when closed with "&OK".
bool AskSystemFile(HWND owner, std::string& entry, int& kind);
