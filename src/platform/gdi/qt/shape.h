#pragma once
// The pixels of a rounded rectangle, shared by RoundRect and CreateRoundRectRgn so that a
// button's outline lies exactly on the edge of its window's shape.
#include <vector>

namespace gdi {

// The painted columns x0..x1-1 of one row; empty when x0 >= x1.
struct Span {
  int x0;
  int x1;
};

// A convex shape as one span per row, for rows top, top+1, ...
struct Shape {
  int top = 0;
  std::vector<Span> rows;
};

// Rectangle (left, top)-(right, bottom), right and bottom exclusive, with each corner cut
// along a quarter of an ellipse ellipseWidth by ellipseHeight. A pixel belongs to the
// shape when its centre lies inside the ellipse or on it. Corners narrower than 2 pixels
// are square. Reversed edges are swapped.
Shape RoundRectShape(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);

// The pixels of the shape whose four neighbours all belong to it: one pixel's depth of
// outline peeled off. Diagonal steps stay thin, as a 1-pixel pen draws an arc.
Shape Erode(const Shape& shape);

}  // namespace gdi
