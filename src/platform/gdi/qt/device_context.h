#pragma once
// Inside a device context handle: the state a paint changes through CDC and the HDC calls.
#include <QFontMetrics>

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/qt/bridge.h"

class QPainter;

namespace gdi {

// What SaveDC keeps. Selected objects are remembered twice: the pointer, to hand back to the
// program, and a copy of what they draw with, so that an object deleted while selected
// cannot be reached through a dangling pointer.
struct DcState {
  CPen* pen = nullptr;
  int penStyle = PS_SOLID;
  int penWidth = 1;
  COLORREF penColor = RGB(0, 0, 0);
  CFont* font = nullptr;
  std::shared_ptr<const FontData> fontData;
  int bkMode = OPAQUE;
  COLORREF textColor = RGB(0, 0, 0);
  POINT position{0, 0};
};

}  // namespace gdi

struct HDC__ {
  explicit HDC__(QPainter& p);
  ~HDC__();
  HDC__(const HDC__&) = delete;
  HDC__& operator=(const HDC__&) = delete;

  // Paints whole pixels x0..x1-1, y0..y1-1 in one colour; nothing when empty.
  void Fill(int x0, int y0, int x1, int y1, COLORREF color);

  QPainter& painter;
  gdi::DcState state;
  std::vector<gdi::DcState> saved;
  CPen stockPen;
  // The metrics of the selected font on this painter's device (see text.cpp).
  std::shared_ptr<const gdi::FontData> metricsFont;
  std::optional<QFontMetrics> metrics;
  // The platform's default brush; nothing in the program selects another, so it stays.
  const COLORREF brushColor = RGB(255, 255, 255);
  CDC wrapper;  // what CDC::FromHandle returns
};
