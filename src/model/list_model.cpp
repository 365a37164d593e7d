#include "model/list_model.h"

size_t ListModel::SelectedCount() const {
  size_t n = 0;
  for (const auto& row : rows_) n += row.Selected ? 1 : 0;
  return n;
}
