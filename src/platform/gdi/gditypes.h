#pragma once
// Colours, points, sizes, rectangles and handles as the program's drawing code spells them.
// On Windows all but CPoint, CSize and CRect are the platform's own.
#include "platform/text/wintypes.h"

#if !defined(_WIN32)
// A colour packed as 0x00BBGGRR. The helpers cut each part to a byte, as the platform's macros do.
using COLORREF = DWORD;
constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>(static_cast<BYTE>(r)) | static_cast<COLORREF>(static_cast<BYTE>(g)) << 8 |
         static_cast<COLORREF>(static_cast<BYTE>(b)) << 16;
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>(c >> 16); }

struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
// Right and bottom are exclusive: a rectangle covers left..right-1 and top..bottom-1.
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPPOINT = POINT*;
using LPSIZE = SIZE*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;

// Handles are opaque: only the drawing layer and its bridge to the toolkit see inside.
struct HDC__;     // a device context: one paint's drawing state over a toolkit painter
struct HICON__;   // an icon: one picture in several sizes
struct HPEN__;    // a pen: style, width and colour
struct HBRUSH__;  // a solid brush: its colour
struct HFONT__;   // a font: the toolkit's, as text is measured and drawn with it
struct HRGN__;    // a region: the pixels of a shape, row by row
using HDC = HDC__*;
using HICON = HICON__*;
using HPEN = HPEN__*;
using HBRUSH = HBRUSH__*;
using HFONT = HFONT__*;
using HRGN = HRGN__*;
using HGDIOBJ = void*;
#endif

class CPoint : public POINT {
 public:
  CPoint() : POINT{0, 0} {}
  CPoint(int x0, int y0) : POINT{x0, y0} {}
  CPoint(const POINT& p) : POINT(p) {}  // NOLINT: implicit, as the framework's
  friend bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
};

class CSize : public SIZE {
 public:
  CSize() : SIZE{0, 0} {}
  CSize(int cx0, int cy0) : SIZE{cx0, cy0} {}
  CSize(const SIZE& s) : SIZE(s) {}  // NOLINT: implicit, as the framework's
  friend bool operator==(const CSize& a, const CSize& b) { return a.cx == b.cx && a.cy == b.cy; }
};

class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}  // NOLINT: implicit, as the framework's

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  // Negative amounts shrink the rectangle.
  void InflateRect(int dx, int dy) {
    left -= dx;
    right += dx;
    top -= dy;
    bottom += dy;
  }

  operator LPRECT() { return this; }         // NOLINT: implicit, as the framework's
  operator LPCRECT() const { return this; }  // NOLINT: implicit, as the framework's
  friend bool operator==(const CRect& a, const CRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};
