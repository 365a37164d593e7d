#include "ui/list_view.h"

#include <commctrl.h>

#include "core/translate.h"
#include "model/data_codes.h"
#include "platform/text.h"
#include "ui/images.h"
#include "ui/layout.h"

namespace {

struct SortOrder {
  const ListModel& model;
  const std::function<bool(const ListRow&, const ListRow&)>& less;
};

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM order) {
  const auto& o = *reinterpret_cast<const SortOrder*>(order);
  const auto count = static_cast<LPARAM>(o.model.Count());
  if (a < 0 || b < 0 || a >= count || b >= count) return 0;
  const ListRow &x = o.model.Row(static_cast<size_t>(a)), &y = o.model.Row(static_cast<size_t>(b));
  return o.less(x, y) ? -1 : o.less(y, x) ? 1 : 0;
}

}  // namespace

void ListViewControl::Attach(HWND view, const std::vector<ListColumn>& columns, int dpi) {
  view_ = view;
  ListView_SetExtendedListViewStyle(view_, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  for (size_t i = 0; i < columns.size(); ++i) {
    const std::wstring caption = platform::Utf8ToWide(tr(columns[i].Caption));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = columns[i].RightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = ScaleToDpi(columns[i].Width, dpi);
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    ListView_InsertColumn(view_, static_cast<int>(i), &column);
  }
}

void ListViewControl::Show(const ListModel& model) {
  SendMessageW(view_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(view_);
  greyed_.clear();
  for (size_t i = 0; i < model.Count(); ++i) {
    const ListRow& row = model.Row(i);
    const std::wstring caption = platform::Utf8ToWide(row.Caption);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    item.iImage = row.Image >= 0 ? row.Image : I_IMAGENONE;
    item.lParam = static_cast<LPARAM>(i);
    if (row.Status != 0) {  // the change code as state image (list view state images count from 1)
      item.mask |= LVIF_STATE;
      item.state = INDEXTOSTATEIMAGEMASK(StateCode(row.Status) + 1);
      item.stateMask = LVIS_STATEIMAGEMASK;
    }
    greyed_.push_back(IsDone(row.Status));
    const int index = ListView_InsertItem(view_, &item);
    for (size_t c = 0; c < row.SubItems.size(); ++c) {
      const std::wstring text = platform::Utf8ToWide(row.SubItems[c]);
      ListView_SetItemText(view_, index, static_cast<int>(c + 1), const_cast<wchar_t*>(text.c_str()));
    }
  }
  SendMessageW(view_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(view_, nullptr, TRUE);
}

void ListViewControl::ReadSelection(ListModel& model) const {
  for (int i = 0; i < Count() && static_cast<size_t>(i) < model.Count(); ++i) {
    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_STATE;
    item.iItem = i;
    item.stateMask = LVIS_SELECTED;
    if (!ListView_GetItem(view_, &item) || static_cast<size_t>(item.lParam) >= model.Count()) continue;
    model.Row(static_cast<size_t>(item.lParam)).Selected = (item.state & LVIS_SELECTED) != 0;
  }
}

int ListViewControl::Count() const { return ListView_GetItemCount(view_); }

std::string ListViewControl::Text(int row, int column) const {
  wchar_t text[1024] = {};
  ListView_GetItemText(view_, row, column, text, 1024);
  return platform::WideToUtf8(text);
}

void ListViewControl::Sort(const ListModel& model, const std::function<bool(const ListRow&, const ListRow&)>& less) {
  SortOrder order{model, less};
  ListView_SortItems(view_, CompareRows, reinterpret_cast<LPARAM>(&order));
}

int ListViewControl::ModelRow(int viewRow) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = viewRow;
  return ListView_GetItem(view_, &item) ? static_cast<int>(item.lParam) : -1;
}

bool ListViewControl::Greyed(int viewRow) const {
  const int row = ModelRow(viewRow);
  return row >= 0 && static_cast<size_t>(row) < greyed_.size() && greyed_[static_cast<size_t>(row)];
}

bool ListViewControl::HandleNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != view_ || header.code != NM_CUSTOMDRAW) return false;
  auto& draw = const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
    result = CDRF_NOTIFYITEMDRAW;
  } else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
    const auto row = static_cast<size_t>(draw.nmcd.lItemlParam);
    if (row < greyed_.size() && greyed_[row]) draw.clrText = kDoneColour;
    result = CDRF_DODEFAULT;
  } else {
    result = CDRF_DODEFAULT;
  }
  return true;
}
