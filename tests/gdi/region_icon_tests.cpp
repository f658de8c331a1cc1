// Window shapes from rounded-rectangle regions, and icons drawn at the standard size.
#include <gtest/gtest.h>

#include <QIcon>
#include <QPixmap>

#include "canvas.h"

namespace {

TEST(CreateRoundRectRgn, CoversExactlyThePixelsRoundRectPaints) {
  CRgn rgn;
  ASSERT_TRUE(rgn.CreateRoundRectRgn(3, 2, 25, 20, 5, 5));
  const QRegion region = gdi::ToQRegion(rgn);

  Canvas canvas;
  canvas.Paint([](CDC& dc) { dc.RoundRect(3, 2, 25, 20, 5, 5); });
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      EXPECT_EQ(region.contains(QPoint(x, y)), canvas.At(x, y) != kBackground) << x << "," << y;

  EXPECT_TRUE(region.contains(QPoint(14, 11)));
  for (const QPoint corner : {QPoint(3, 2), QPoint(24, 2), QPoint(3, 19), QPoint(24, 19)})
    EXPECT_FALSE(region.contains(corner)) << corner.x() << "," << corner.y();
  EXPECT_TRUE(region.contains(QPoint(4, 2)));
  EXPECT_TRUE(region.contains(QPoint(3, 3)));
  EXPECT_FALSE(region.contains(QPoint(25, 11)));
  EXPECT_FALSE(region.contains(QPoint(14, 20)));
}

TEST(CreateRoundRectRgn, LargeCornersFollowTheEllipseAndEmptyRegionsAreEmpty) {
  CRgn circle;
  ASSERT_TRUE(circle.CreateRoundRectRgn(0, 0, 10, 10, 10, 10));
  const QRegion region = gdi::ToQRegion(circle);
  const int firstColumn[10] = {3, 1, 1, 0, 0, 0, 0, 1, 1, 3};
  for (int y = 0; y < 10; ++y) {
    EXPECT_FALSE(region.contains(QPoint(firstColumn[y] - 1, y))) << y;
    EXPECT_TRUE(region.contains(QPoint(firstColumn[y], y))) << y;
    EXPECT_TRUE(region.contains(QPoint(9 - firstColumn[y], y))) << y;
    EXPECT_FALSE(region.contains(QPoint(10 - firstColumn[y], y))) << y;
  }

  EXPECT_TRUE(circle.DeleteObject());
  EXPECT_EQ(static_cast<HRGN>(circle), nullptr);
  EXPECT_TRUE(gdi::ToQRegion(circle).isEmpty());
}

TEST(DrawIcon, DrawsTheStandardSizePictureWithItsCornerAtThePoint) {
  QIcon set;
  for (const auto& [size, color] : {std::pair{16, Qt::green}, {32, Qt::red}, {48, Qt::blue}}) {
    QPixmap picture(size, size);
    picture.fill(color);
    set.addPixmap(picture);
  }
  HICON icon = gdi::CreateIcon(set);
  Canvas canvas(50, 50);
  canvas.Paint([&](CDC& dc) {
    EXPECT_TRUE(dc.DrawIcon(3, 4, icon));
    EXPECT_FALSE(dc.DrawIcon(0, 0, nullptr));
  });
  constexpr COLORREF kRed = RGB(255, 0, 0);
  EXPECT_EQ(canvas.At(3, 4), kRed);
  EXPECT_EQ(canvas.At(34, 35), kRed);
  EXPECT_EQ(canvas.At(35, 35), kBackground);
  EXPECT_EQ(canvas.At(34, 36), kBackground);
  EXPECT_EQ(canvas.At(2, 4), kBackground);
  EXPECT_EQ(gdi::ToQIcon(icon).availableSizes().size(), 3);
  gdi::DestroyIcon(icon);
}

}  // namespace
