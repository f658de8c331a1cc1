#pragma once
// What the drawing objects' handles point at over the toolkit: records made by CreatePen,
// CreateSolidBrush, CreateRoundRectRgn and the window layer's fonts, and freed by
// DeleteObject, which knows every live handle (qt/objects.cpp).
#include <memory>

#include "platform/gdi/gdiobjects.h"
#include "platform/gdi/qt/shape.h"

namespace gdi {

struct FontData;

// Every record, so that DeleteObject can free any kind through its handle.
struct Record {
  virtual ~Record() = default;
};

// A font handle over the toolkit's font, for the window layer (gdi::SetQFont).
HFONT CreateFontHandle(std::shared_ptr<const FontData> data);

}  // namespace gdi

struct HPEN__ : gdi::Record {
  HPEN__(int s, int w, COLORREF c) : style(s), width(w), color(c) {}
  int style;
  int width;
  COLORREF color;
};

struct HBRUSH__ : gdi::Record {
  explicit HBRUSH__(COLORREF c) : color(c) {}
  COLORREF color;
};

struct HFONT__ : gdi::Record {
  explicit HFONT__(std::shared_ptr<const gdi::FontData> d) : data(std::move(d)) {}
  std::shared_ptr<const gdi::FontData> data;
};

struct HRGN__ : gdi::Record {
  explicit HRGN__(gdi::Shape s) : shape(std::move(s)) {}
  gdi::Shape shape;
};
