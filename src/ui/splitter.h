// A two-pane splitter: a thin bar between two controls that the user drags; the form
// moves the panes where the bar goes.
#pragma once

#include <windows.h>

#include <functional>

class SplitterBar {
 public:
  // Creates the bar as a child of parent; moved(x) is called with the bar's new left
  // edge in the parent's client coordinates while it is dragged.
  HWND Create(HWND parent, std::function<void(int x)> moved);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  std::function<void(int)> moved_;
  int grip_ = 0;  // where in the bar the mouse took hold
};
