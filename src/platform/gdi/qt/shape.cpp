#include "platform/gdi/qt/shape.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace gdi {
namespace {

// Columns to leave out at each end of row `row` (counted from the corner's edge) so that
// every remaining pixel centre lies within the corner ellipse. Works in doubled integer
// coordinates, so a centre exactly on the ellipse is decided without rounding.
int CornerInset(int row, int w, int h) {
  const std::int64_t A = w, B = h, Y = 2 * row + 1;
  const std::int64_t dy = Y - B;
  int inset = 0;
  for (std::int64_t X = 1; X < A; X += 2, ++inset) {
    const std::int64_t dx = X - A;
    if (dx * dx * B * B + dy * dy * A * A <= A * A * B * B) break;
  }
  return inset;
}

}  // namespace

Shape RoundRectShape(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const int width = right - left, height = bottom - top;
  int w = std::min(std::abs(ellipseWidth), width);
  int h = std::min(std::abs(ellipseHeight), height);
  if (w < 2 || h < 2) w = h = 0;

  Shape shape;
  shape.top = top;
  shape.rows.reserve(static_cast<size_t>(height));
  for (int i = 0; i < height; ++i) {
    const int fromBottom = height - 1 - i;
    int inset = 0;
    // A row is in a corner band while its centre is above (below) the ellipse's centre.
    if (2 * i + 1 < h) inset = std::max(inset, CornerInset(i, w, h));
    if (2 * fromBottom + 1 < h) inset = std::max(inset, CornerInset(fromBottom, w, h));
    shape.rows.push_back({left + inset, right - inset});
  }
  return shape;
}

Shape Erode(const Shape& shape) {
  Shape inner;
  inner.top = shape.top;
  const size_t n = shape.rows.size();
  inner.rows.resize(n, Span{0, 0});
  for (size_t i = 1; i + 1 < n; ++i) {
    const Span& up = shape.rows[i - 1];
    const Span& row = shape.rows[i];
    const Span& down = shape.rows[i + 1];
    inner.rows[i] = {std::max({up.x0, row.x0 + 1, down.x0}), std::min({up.x1, row.x1 - 1, down.x1})};
  }
  return inner;
}

}  // namespace gdi
