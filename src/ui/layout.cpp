#include "ui/layout.h"

namespace {

// One axis: anchored at both ends the control stretches, at the far end only it moves
// with the far side, at neither it keeps its place relative to the middle.
void PlaceAxis(LONG& low, LONG& high, bool nearAnchor, bool farAnchor, int growth) {
  if (nearAnchor && farAnchor) {
    high += growth;
  } else if (farAnchor) {
    low += growth;
    high += growth;
  } else if (!nearAnchor) {
    low += growth / 2;
    high += growth / 2;
  }
  if (high < low) high = low;
}

}  // namespace

RECT Layout::Place(RECT design, uint8_t anchors, SIZE designSize, int clientWidth, int clientHeight, int dpi) {
  RECT r{ScaleToDpi(design.left, dpi), ScaleToDpi(design.top, dpi), ScaleToDpi(design.right, dpi),
         ScaleToDpi(design.bottom, dpi)};
  PlaceAxis(r.left, r.right, anchors & akLeft, anchors & akRight, clientWidth - ScaleToDpi(designSize.cx, dpi));
  PlaceAxis(r.top, r.bottom, anchors & akTop, anchors & akBottom, clientHeight - ScaleToDpi(designSize.cy, dpi));
  return r;
}

void Layout::Apply(HWND parent, int dpi) const {
  RECT client;
  GetClientRect(parent, &client);
  HDWP batch = BeginDeferWindowPos(static_cast<int>(items_.size()));
  for (const Item& item : items_) {
    const RECT r = Place(item.design, item.anchors, design_, client.right, client.bottom, dpi);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (batch != nullptr)
      batch = DeferWindowPos(batch, item.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
    else
      SetWindowPos(item.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
  }
  if (batch != nullptr) EndDeferWindowPos(batch);
}

RECT Layout::Design(HWND control) const {
  for (const Item& item : items_)
    if (item.control == control) return item.design;
  return {};
}

void Layout::SetDesign(HWND control, RECT design) {
  for (Item& item : items_)
    if (item.control == control) item.design = design;
}
