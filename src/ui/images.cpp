#include "ui/images.h"

#include <algorithm>
#include <cstdint>

#include "model/tree_images.h"

namespace {

enum class Shape { None, Folder, OpenFolder, Computer, Box, Ticked, Mark, Drive, Document };

struct Picture {
  Shape shape;
  COLORREF colour;
  const wchar_t* glyph;  // drawn over the shape, or alone
};

// One entry per image index, in the order of tree_images.h and the change codes.
const Picture kPictures[] = {
    {Shape::Folder, RGB(230, 190, 60), nullptr},       // 0 key or folder
    {Shape::OpenFolder, RGB(245, 210, 90), nullptr},   // 1 selected
    {Shape::Computer, RGB(70, 110, 170), nullptr},     // 2 computer
    {Shape::Box, RGB(255, 255, 255), nullptr},         // 3 not selected
    {Shape::Ticked, RGB(255, 255, 255), nullptr},       // 4 selected
    {Shape::Ticked, RGB(190, 190, 190), nullptr},       // 5 partly selected
    {Shape::Folder, RGB(90, 170, 90), L"+"},           // 6 new key or folder
    {Shape::Folder, RGB(200, 80, 70), L"\u2013"},      // 7 deleted key or folder
    {Shape::Folder, RGB(80, 120, 200), L"#"},          // 8 contents changed
    {Shape::Mark, RGB(40, 140, 40), L"+"},             // 9 new value or file
    {Shape::Mark, RGB(190, 40, 40), L"\u2013"},        // 10 deleted value or file
    {Shape::Mark, RGB(200, 120, 20), L"%"},            // 11 old value of an altered one
    {Shape::Mark, RGB(40, 90, 200), L"*"},             // 12 new value of an altered one
    {Shape::Mark, RGB(150, 40, 40), L"ab"},            // 13 string value
    {Shape::Mark, RGB(40, 40, 150), L"01"},            // 14 binary value
    {Shape::Mark, RGB(40, 120, 120), L"12"},           // 15 integer value
    {Shape::Drive, RGB(150, 150, 150), nullptr},       // 16 drive of unknown type
    {Shape::Drive, RGB(150, 150, 150), nullptr},       // 17 no root folder
    {Shape::Drive, RGB(110, 160, 210), nullptr},       // 18 removable
    {Shape::Drive, RGB(160, 160, 160), nullptr},       // 19 fixed
    {Shape::Drive, RGB(90, 170, 110), nullptr},        // 20 network
    {Shape::Drive, RGB(210, 190, 110), nullptr},       // 21 CD
    {Shape::Drive, RGB(190, 120, 190), nullptr},       // 22 RAM disk
    {Shape::Document, RGB(255, 255, 255), L"ini"},     // 23 INI file
    {Shape::Document, RGB(255, 255, 255), nullptr},    // 24 text file
};

void Fill(HDC dc, RECT r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Frame(HDC dc, RECT r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FrameRect(dc, &r, brush);
  DeleteObject(brush);
}

// A tick drawn as lines (fonts differ in whether they have the character).
void Tick(HDC dc, int s, COLORREF colour) {
  auto at = [s](int v) { return v * s / 16; };
  HPEN pen = CreatePen(PS_SOLID, std::max(2, s / 8), colour);
  HGDIOBJ old = SelectObject(dc, pen);
  const POINT points[] = {{at(4), at(8)}, {at(7), at(11)}, {at(12), at(5)}};
  Polyline(dc, points, 3);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// Draws one picture into the square of size s at dc's origin (s pixels wide).
void Draw(HDC dc, const Picture& p, int s) {
  auto at = [s](int v) { return v * s / 16; };
  const COLORREF dark = RGB(60, 60, 60);
  switch (p.shape) {
    case Shape::Folder:
    case Shape::OpenFolder:
      Fill(dc, {at(1), at(3), at(7), at(5)}, p.colour);
      Fill(dc, {at(1), at(5), at(15), at(14)}, p.colour);
      Frame(dc, {at(1), at(5), at(15), at(14)}, dark);
      if (p.shape == Shape::OpenFolder) Fill(dc, {at(3), at(8), at(15), at(14)}, RGB(255, 235, 150));
      break;
    case Shape::Computer:
      Fill(dc, {at(1), at(2), at(15), at(11)}, p.colour);
      Fill(dc, {at(3), at(4), at(13), at(9)}, RGB(190, 220, 250));
      Fill(dc, {at(5), at(12), at(11), at(14)}, dark);
      break;
    case Shape::Box:
    case Shape::Ticked:
      Fill(dc, {at(2), at(2), at(14), at(14)}, p.colour);
      Frame(dc, {at(2), at(2), at(14), at(14)}, dark);
      if (p.shape == Shape::Ticked) Tick(dc, s, dark);
      break;
    case Shape::Drive:
      Fill(dc, {at(1), at(5), at(15), at(12)}, p.colour);
      Frame(dc, {at(1), at(5), at(15), at(12)}, dark);
      Fill(dc, {at(11), at(8), at(13), at(10)}, RGB(40, 200, 40));
      break;
    case Shape::Document:
      Fill(dc, {at(3), at(1), at(13), at(15)}, p.colour);
      Frame(dc, {at(3), at(1), at(13), at(15)}, dark);
      for (int y = 4; y < 13 && p.glyph == nullptr; y += 3) Fill(dc, {at(5), at(y), at(11), at(y) + 1}, dark);
      break;
    default:
      break;
  }
  if (p.glyph == nullptr) return;
  const bool small = p.shape != Shape::Mark || p.glyph[1] != 0;
  HFONT font = CreateFontW(-(small ? at(10) : at(15)), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                           ANTIALIASED_QUALITY, 0, L"Tahoma");
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const bool onLight = p.shape == Shape::Box || p.shape == Shape::Document;  // dark letters on light shapes
  SetTextColor(dc, p.shape == Shape::Mark ? p.colour : (onLight ? dark : RGB(255, 255, 255)));
  RECT r{0, 0, s, s};
  if (p.shape == Shape::Folder) r.top = at(4);
  DrawTextW(dc, p.glyph, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
}

HIMAGELIST Build(int dpi, int first, int last, bool blankBefore) {
  const int s = MulDiv(16, dpi, 96);
  HIMAGELIST list = ImageList_Create(s, s, ILC_COLOR32 | ILC_MASK, last + 1, 4);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, s, s);
  const COLORREF key = RGB(255, 0, 255);  // the transparent colour
  for (int i = blankBefore ? 0 : first; i <= last; ++i) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    Fill(dc, {0, 0, s, s}, key);
    if (i >= first) Draw(dc, kPictures[i], s);
    SelectObject(dc, old);
    ImageList_AddMasked(list, bitmap, key);
  }
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return list;
}

}  // namespace

HIMAGELIST CreateProgramImages(int dpi) {
  return Build(dpi, 0, static_cast<int>(sizeof kPictures / sizeof kPictures[0]) - 1, false);
}

HIMAGELIST CreateStateImages(int dpi) { return Build(dpi, 3, 5, true); }
