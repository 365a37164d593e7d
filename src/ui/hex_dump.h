// THexDump: a control that shows and edits a byte buffer its owner keeps. Each row
// holds the address (counted from the buffer's start), sixteen bytes in hexadecimal
// and the same bytes as characters. Typed hex digits overwrite the byte under the
// cursor, high half first; arrows, Home, End and the page keys move. The control never
// changes the buffer's size; every edit goes into the buffer at once and is reported
// to the parent as WM_COMMAND with EN_CHANGE.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

class THexDump {
 public:
  // The window class, registered at the first call; made by AddControl like any other.
  static const wchar_t* ClassName();
  // The control object of a window of that class (null for any other window).
  static THexDump* Of(HWND control);

  // The buffer shown from now on (size 0 may come with a null address). The cursor
  // stays where it was when still inside.
  void SetBuffer(uint8_t* data, size_t size);
  uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  size_t Cursor() const { return cursor_; }
  void SetCursor(size_t byte);
  bool ReadOnly = false;

 private:
  explicit THexDump(HWND hwnd);
  ~THexDump();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Paint();
  void PaintRow(HDC dc, size_t row, int y);
  void KeyDown(WPARAM key);
  void Char(wchar_t c);
  void Click(int x, int y);
  void Scroll(int code, int wheelRows = 0);
  void UpdateScrollBar();
  void ScrollToCursor();
  int VisibleRows() const;
  size_t Rows() const { return size_ / 16 + 1; }

  HWND hwnd_;
  HFONT font_ = nullptr;
  int char_w_ = 8, line_h_ = 16;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t cursor_ = 0;  // the byte; size_ is the place behind the last one
  bool low_half_ = false;
  size_t top_ = 0;     // the first row shown
};
