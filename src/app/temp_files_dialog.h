// TfTempfiles ("Temporäre Dateien suchen und löschen"): the search definitions above,
// what the search found for the chosen one below (at most 1000 rows), the marked files
// deleted after a question.
#pragma once

#include <vector>

#include "tools/temp_files.h"
#include "ui/form.h"
#include "ui/list_view.h"

class TfTempfiles : public TfTSW_BasicForm {
 public:
  TfTempfiles();

  std::vector<TempDefinition>& Rows() { return rows_; }
  ListViewControl& Definitions() { return master_; }
  ListViewControl& Found() { return detail_; }
  void SelectDefinition(int row);
  void Search();          // "&Suche beginnen"
  void DeleteMarked();    // "&Löschen" of the found files
  void SortBy(int column);
  void NewEntry();
  void EditEntry();
  void DeleteEntry();

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ShowDefinitions();
  void ShowFound();
  int SelectedDefinition() const;
  void Changed();  // a definition added, edited or removed: kept at once
  void Progress(const TempSearchProgress& p);

  std::vector<TempDefinition> rows_;
  ListViewControl master_, detail_;
  ListModel found_rows_;
  int shown_ = -1;          // the definition whose files are listed
  int busy_ = 0;            // while non-zero, a selection does not fill the list
  int sorted_column_ = -1;  // the column sorted last
  bool descending_ = false;
  HWND cancel_ = nullptr, status_ = nullptr, files_ = nullptr, folders_ = nullptr;
};
