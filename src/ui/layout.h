// Controls placed by anchors: each control keeps the distances to the sides of its
// parent's client area that it is anchored to, so a window resizes cleanly. Design
// coordinates are at 96 DPI and scaled by the window's DPI.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

enum Anchor : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
constexpr uint8_t akTopLeft = akLeft | akTop;
constexpr uint8_t akAll = akLeft | akTop | akRight | akBottom;

// Design units (96 DPI) to pixels at dpi.
inline int ScaleToDpi(int value, int dpi) { return MulDiv(value, dpi, 96); }

class Layout {
 public:
  // The client size the design coordinates refer to (design units).
  void SetDesignSize(SIZE size) { design_ = size; }
  SIZE DesignSize() const { return design_; }
  void Add(HWND control, RECT design, uint8_t anchors) { items_.push_back({control, design, anchors}); }
  // A control's design rectangle, and a new one (a splitter moved the panes).
  RECT Design(HWND control) const;
  void SetDesign(HWND control, RECT design);
  // Places every control for the parent's current client size.
  void Apply(HWND parent, int dpi) const;
  // Where a control goes in a client area of clientWidth x clientHeight pixels.
  static RECT Place(RECT design, uint8_t anchors, SIZE designSize, int clientWidth, int clientHeight, int dpi);

 private:
  struct Item {
    HWND control;
    RECT design;
    uint8_t anchors;
  };
  SIZE design_{0, 0};
  std::vector<Item> items_;
};
