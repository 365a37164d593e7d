// TTempfiles2FRM ("Suche definieren"): one folder to search with its mask, whether its
// subfolders count, and a description.
#pragma once

#include <string>

#include "ui/form.h"

struct SearchDefinition {
  std::string Description, Folder, Mask;
  bool Recursive = false;
};

class TTempfiles2FRM : public TfTSW_BasicForm {
 public:
  explicit TTempfiles2FRM(SearchDefinition definition);
  // After "&Ok": the fields (folder and mask without surrounding blanks).
  const SearchDefinition& Definition() const { return definition_; }
  HWND Field(int i) const { return fields_[i]; }  // 0 description, 1 folder, 2 mask
  HWND RecurseBox() const { return recurse_; }

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  bool CloseQuery() override;
  DWORD Style() const override;

 private:
  SearchDefinition definition_;
  HWND fields_[3] = {};
  HWND recurse_ = nullptr;
  bool accepting_ = false;
};

// Shows the dialog on definition; true (with the fields) when closed with "&Ok".
bool EditSearchDefinition(HWND owner, SearchDefinition& definition);
