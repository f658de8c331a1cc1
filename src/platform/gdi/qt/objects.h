#pragma once
// What the drawing objects' handles point at over the toolkit: records made by CreatePen,
// CreateSolidBrush, CreateRoundRectRgn and the window layer's fonts, and freed by
// DeleteObject, which knows every live handle (qt/objects.cpp).
#include <memory>

#include "platform/gdi/gdiobjects.h"
#include "platform/gdi/qt/shape.h"

namespace gdi {

struct FontData;

// A font handle over the toolkit's font, for the window layer (gdi::SetQFont).
HFONT CreateFontHandle(std::shared_ptr<const FontData> data);

}  // namespace gdi

struct HPEN__ {
  int style;
  int width;
  COLORREF color;
};

struct HBRUSH__ {
  COLORREF color;
};

struct HFONT__ {
  std::shared_ptr<const gdi::FontData> data;
};

struct HRGN__ {
  gdi::Shape shape;
};
