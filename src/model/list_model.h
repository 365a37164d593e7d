// The row model behind the result lists and the confirmation dialog's to-do list:
// a caption, further columns, the record status and the selection of each row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ListRow {
  std::string Caption;
  std::vector<std::string> SubItems;
  int32_t Status = 0;  // record status (rsNew ... rsNewOfAltered, maybe with flDone)
  int32_t Data = 0;
  bool Selected = false;
  int32_t Image = -1;  // image of the row in the program's image list; -1: none
  // The entry's own name where the caption shows another text (the unnamed registry
  // value is shown as the setting DefaultText); the commands act on this name.
  std::optional<std::string> RawName = std::nullopt;
  const std::string& Name() const { return RawName ? *RawName : Caption; }
};

class ListModel {
 public:
  size_t Count() const { return rows_.size(); }
  ListRow& Row(size_t i) { return rows_[i]; }
  const ListRow& Row(size_t i) const { return rows_[i]; }
  ListRow& Add(ListRow row) {
    rows_.push_back(std::move(row));
    return rows_.back();
  }
  void Delete(size_t i) { rows_.erase(rows_.begin() + static_cast<ptrdiff_t>(i)); }
  void Clear() { rows_.clear(); }
  size_t SelectedCount() const;

 private:
  std::vector<ListRow> rows_;
};
