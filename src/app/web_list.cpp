#include "app/web_list.h"

#include <commctrl.h>

#include "platform/names.h"

void WebList::Attach(HWND view, const std::vector<WebColumn>& columns, int dpi) {
  std::vector<ListColumn> shown;
  for (const WebColumn& c : columns) {
    shown.push_back({c.Caption, c.Width, c.Kind == SortKind::Integer});
    kinds_.push_back(c.Kind);
  }
  view_.Attach(view, shown, dpi);
}

void WebList::Add(std::string caption, std::vector<std::string> subItems, std::vector<uint64_t> values) {
  ListRow row{std::move(caption), std::move(subItems)};
  row.Data = static_cast<int32_t>(rows_.Count());
  rows_.Add(std::move(row));
  values.resize(kinds_.size());
  values_.push_back(std::move(values));
}

void WebList::Clear() {
  rows_.Clear();
  values_.clear();
}

void WebList::Show() {
  view_.Show(rows_);
  SortBy(0, false);
}

void WebList::ShowPlaceholder(const std::string& text) {
  ListModel placeholder;
  placeholder.Add({text, {}});
  view_.Show(placeholder);
}

void WebList::ColumnClick(int column) {
  if (column == sorted_) {
    SortBy(column, true);
    sorted_ = -1;
  } else {
    SortBy(column, false);
    sorted_ = column;
  }
}

void WebList::SortBy(int column, bool descending) {
  if (column < 0 || static_cast<size_t>(column) >= kinds_.size()) return;
  const size_t c = static_cast<size_t>(column);
  const SortKind kind = kinds_[c];
  auto text = [&](const ListRow& r) -> const std::string& {
    static const std::string none;
    return c == 0 ? r.Caption : c - 1 < r.SubItems.size() ? r.SubItems[c - 1] : none;
  };
  view_.Sort(rows_, [&](const ListRow& a, const ListRow& b) {
    const ListRow& x = descending ? b : a;
    const ListRow& y = descending ? a : b;
    const uint64_t vx = values_[static_cast<size_t>(x.Data)][c], vy = values_[static_cast<size_t>(y.Data)][c];
    switch (kind) {
      case SortKind::Integer: return vx < vy;
      case SortKind::DateTime: return vx > vy;  // the latest first
      default: return platform::UpperCase(text(x)) < platform::UpperCase(text(y));
    }
  });
}

void WebList::SelectAll() { ListView_SetItemState(view_.View(), -1, LVIS_SELECTED, LVIS_SELECTED); }

std::vector<size_t> WebList::MarkedFromLast() const {
  std::vector<size_t> marked;
  for (int i = view_.Count(); i-- > 0;)
    if (ListView_GetItemState(view_.View(), i, LVIS_SELECTED) & LVIS_SELECTED) {
      const int row = view_.ModelRow(i);
      if (Has(row)) marked.push_back(static_cast<size_t>(row));
    }
  return marked;
}

int WebList::ViewRowOf(size_t row) const {
  for (int i = 0; i < view_.Count(); ++i)
    if (view_.ModelRow(i) == static_cast<int>(row)) return i;
  return -1;
}
