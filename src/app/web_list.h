// A list of the web cleaner: a report list view whose columns sort by their kind
// (text, number, date and time), the rows' values kept beside their texts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/list_model.h"
#include "ui/list_view.h"

enum class SortKind { Text, Integer, DateTime };

struct WebColumn {
  std::string Caption;
  int Width;
  SortKind Kind;
};

class WebList {
 public:
  void Attach(HWND view, const std::vector<WebColumn>& columns, int dpi);
  // A row: its texts, and the values the number and date columns sort by (by column).
  void Add(std::string caption, std::vector<std::string> subItems, std::vector<uint64_t> values);
  void Clear();
  // Shows the rows sorted ascending by the first column.
  void Show();
  // A click on a column: the column sorted last sorts descending (and is forgotten),
  // another one ascending. Dates ascending list the latest first.
  void ColumnClick(int column);
  void SelectAll();
  // Selects exactly the rows for which rule holds (by the row's values).
  template <class Rule>
  void SelectWhere(Rule rule) {
    for (int i = 0; i < view_.Count(); ++i) {
      const int row = view_.ModelRow(i);
      const UINT state = Has(row) && rule(values_[static_cast<size_t>(row)]) ? LVIS_SELECTED : 0;
      ListView_SetItemState(view_.View(), i, state, LVIS_SELECTED);
    }
  }
  // The marked rows (model indices), in the order shown from last to first.
  std::vector<size_t> MarkedFromLast() const;
  // Takes a row out of the view (the model keeps it; it is not shown again).
  void RemoveShown(int viewRow) { ListView_DeleteItem(view_.View(), viewRow); }
  int ViewRowOf(size_t row) const;
  const ListRow& Row(size_t row) const { return rows_.Row(row); }
  uint64_t Value(size_t row, size_t column) const { return values_[row][column]; }
  ListViewControl& View() { return view_; }
  // One row with a text instead of content (a source that cannot be read).
  void ShowPlaceholder(const std::string& text);

 private:
  void SortBy(int column, bool descending);
  bool Has(int row) const { return row >= 0 && static_cast<size_t>(row) < values_.size(); }

  ListViewControl view_;
  ListModel rows_;
  std::vector<std::vector<uint64_t>> values_;
  std::vector<SortKind> kinds_;
  int sorted_ = -1;  // the column sorted by last; -1: none
};
