// TDLLBackUpFRM ("Dateien Backup"): the folder definitions of the file backup store
// (kept in the settings section "DLLBackUpFRM") and the run that copies their files
// into the store, with its counters and a cancel for the current row.
#pragma once

#include <vector>

#include "removal/file_store.h"
#include "ui/form.h"
#include "ui/list_view.h"

class TDLLBackUpFRM : public TfTSW_BasicForm {
 public:
  TDLLBackUpFRM();
  ~TDLLBackUpFRM() override;

  std::vector<BackupDefinition>& Rows() { return rows_; }
  ListViewControl& List() { return list_; }
  void NewEntry();
  void EditEntry();
  void DeleteEntry();
  void Run();  // "&Dateien sichern"

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ShowRows();
  int SelectedRow() const;
  void ShowProgress(const BackupProgress& progress);

  std::vector<BackupDefinition> rows_;
  ListViewControl list_;
  HWND cancel_ = nullptr, status_ = nullptr, files_ = nullptr, folders_ = nullptr;
};
