// A Win32 list view in report mode showing a list model: columns with captions and
// widths (design units), rows with their images, several rows selectable, a custom
// sort. Each view row remembers its model row, so the selection reads back right in
// any order.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "model/list_model.h"

struct ListColumn {
  std::string Caption;
  int Width;  // design units (96 DPI)
  bool RightAligned = false;
};

class ListViewControl {
 public:
  ListViewControl() = default;
  // view: a list view control made in report mode; dpi scales the column widths.
  void Attach(HWND view, const std::vector<ListColumn>& columns, int dpi);
  HWND View() const { return view_; }
  // Shows the rows of the model, replacing what was shown. A row with a Status shows
  // its change code (Status AND 15) from the state image list, greyed when it carries
  // the done mark.
  void Show(const ListModel& model);
  // Copies the view's selection into the model's rows.
  void ReadSelection(ListModel& model) const;
  // Orders the shown rows by less over the model's rows (the model stays as it is).
  void Sort(const ListModel& model, const std::function<bool(const ListRow&, const ListRow&)>& less);
  int Count() const;
  std::string Text(int row, int column) const;
  // The model row a view row shows (-1 when there is none).
  int ModelRow(int viewRow) const;
  bool Greyed(int viewRow) const;
  // The parent's notifications of this view (the greyed rows); true when handled.
  bool HandleNotify(const NMHDR& header, LRESULT& result);

 private:
  HWND view_ = nullptr;
  std::vector<bool> greyed_;  // by model row
};
