#pragma once
// An image to paint on through a device context, and pixel reads in the platform's colours.
#include <QImage>
#include <QPainter>
#include <string>

#include "platform/gdi/qt/bridge.h"

constexpr COLORREF kBackground = RGB(192, 192, 192);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Canvas {
  explicit Canvas(int width = 40, int height = 30, COLORREF fill = kBackground)
      : image(width, height, QImage::Format_RGB32) {
    image.fill(QColor(GetRValue(fill), GetGValue(fill), GetBValue(fill)));
  }

  // Runs `draw` on a fresh paint's context; the painter has ended when it returns.
  template <class Draw>
  void Paint(Draw&& draw) {
    QPainter painter(&image);
    gdi::PaintContext context(painter);
    draw(*CDC::FromHandle(context.hdc()));
  }

  COLORREF At(int x, int y) const {
    const QRgb c = image.pixel(x, y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
  }

  // Row y from x0 to x1-1 as '#' where the pixel has `color`, '.' elsewhere.
  std::string Row(int y, int x0, int x1, COLORREF color) const {
    std::string row;
    for (int x = x0; x < x1; ++x) row += At(x, y) == color ? '#' : '.';
    return row;
  }

  QImage image;
};
