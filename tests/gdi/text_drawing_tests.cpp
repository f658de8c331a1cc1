// Captions: measured by their raw bytes, drawn as prefix text, normal or embossed.
#include <gtest/gtest.h>

#include <cstring>

#include "canvas.h"

namespace {

constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr int kX = 4, kY = 4;

struct Drawn {
  Canvas canvas;
  CSize extent;  // of the raw text, as a caller measures it before drawing
};

void UseCaptionFont(CFont& font) {
  QFont qfont("AR PL UMing CN");
  qfont.setPixelSize(12);
  gdi::SetQFont(font, qfont);
}

CSize Measure(const char* text) {
  CFont font;
  UseCaptionFont(font);
  CSize extent;
  Canvas().Paint([&](CDC& dc) {
    dc.SelectObject(&font);
    extent = dc.GetTextExtent(text, static_cast<int>(std::strlen(text)));
  });
  return extent;
}

// Draws `text` at (kX, kY) over its own raw extent, in a 12-pixel Chinese font.
Drawn Draw(const char* text, UINT flags, COLORREF background = kWhite, WPARAM length = 0) {
  Drawn out{Canvas(120, 30, background), CSize()};
  CFont font;
  UseCaptionFont(font);
  out.canvas.Paint([&](CDC& dc) {
    dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    out.extent = dc.GetTextExtent(text, static_cast<int>(std::strlen(text)));
    EXPECT_TRUE(DrawStateA(dc.GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>(text), length, kX, kY,
                           out.extent.cx, out.extent.cy, flags));
  });
  return out;
}

int Count(const Canvas& canvas, COLORREF color) {
  int n = 0;
  for (int y = 0; y < canvas.image.height(); ++y)
    for (int x = 0; x < canvas.image.width(); ++x) n += canvas.At(x, y) == color;
  return n;
}

TEST(GetTextExtent, MeasuresCodePage936BytesAndTheInkFitsTheExtent) {
  const Drawn drawn = Draw("读卡", DST_TEXT);
  ASSERT_GT(drawn.extent.cx, 0);
  ASSERT_GT(drawn.extent.cy, 0);

  QRect ink;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x)
      if (drawn.canvas.At(x, y) == kBlack) ink |= QRect(x, y, 1, 1);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_TRUE(QRect(kX, kY, drawn.extent.cx, drawn.extent.cy).contains(ink));
  EXPECT_GE(ink.width(), drawn.extent.cx - 4);

  Canvas canvas;
  canvas.Paint([&](CDC& dc) {
    // Two bytes are one character: half the caption.
    EXPECT_EQ(dc.GetTextExtent("读卡", 2).cx * 2, dc.GetTextExtent("读卡", 4).cx);
    SIZE size{};
    EXPECT_FALSE(GetTextExtentPoint32A(dc.GetSafeHdc(), "x", -1, &size));
  });
}

TEST(DrawStateA, DoubledAmpersandShowsOneAndLengthCountsBytes) {
  const Drawn doubled = Draw("A&&B", DST_PREFIXTEXT);
  EXPECT_GT(Count(doubled.canvas, kBlack), 0);
  EXPECT_EQ(doubled.canvas.image, Draw("A&B", DST_TEXT).canvas.image);

  EXPECT_EQ(Draw("读卡", DST_TEXT, kWhite, 2).canvas.image, Draw("读", DST_TEXT).canvas.image);

  Canvas canvas;
  canvas.Paint([](CDC& dc) {
    EXPECT_FALSE(DrawStateA(dc.GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>("x"), 0, 0, 0, 0, 0,
                            0x0003 /* an icon */));
  });
}

TEST(DrawStateA, SingleAmpersandIsHiddenAndUnderlinesTheNextCharacter) {
  const Drawn prefixed = Draw("读卡(&R)", DST_PREFIXTEXT);
  const Drawn plain = Draw("读卡(R)", DST_TEXT);
  // Measured raw, the caption is wider than what is shown.
  EXPECT_GT(prefixed.extent.cx, plain.extent.cx);

  const int before = Measure("读卡(").cx, underlined = Measure("R").cx;
  QRect changed;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x)
      if (prefixed.canvas.At(x, y) != plain.canvas.At(x, y)) {
        EXPECT_EQ(prefixed.canvas.At(x, y), kBlack);
        changed |= QRect(x, y, 1, 1);
      }
  ASSERT_FALSE(changed.isEmpty());
  EXPECT_EQ(changed.height(), 1);
  EXPECT_GE(changed.left(), kX + before);
  EXPECT_LT(changed.right(), kX + before + underlined);
  EXPECT_GT(changed.top(), kY + plain.extent.cy / 2);
}

TEST(DrawStateA, DisabledTextIsEmbossedInWhiteOverGreyWithoutBlack) {
  const Drawn normal = Draw("读卡(&R)", DST_PREFIXTEXT | DSS_NORMAL, kBackground);
  const Drawn disabled = Draw("读卡(&R)", DST_PREFIXTEXT | DSS_DISABLED, kBackground);
  const Canvas& n = normal.canvas;
  const Canvas& d = disabled.canvas;
  EXPECT_GT(Count(d, kWhite), 0);
  EXPECT_GT(Count(d, kShadow), 0);
  EXPECT_EQ(Count(d, kBlack), 0);

  const QRect box(kX, kY, normal.extent.cx, normal.extent.cy);
  for (int y = 1; y < 30; ++y)
    for (int x = 1; x < 120; ++x) {
      const COLORREF c = d.At(x, y);
      ASSERT_TRUE(c == kBackground || c == kWhite || c == kShadow) << x << "," << y;
      // The shadow is the text in place; the highlight is the text one pixel down and right.
      if (box.contains(x, y) && n.At(x, y) == kBlack) {
        EXPECT_EQ(c, kShadow) << x << "," << y;
      }
      if (c == kWhite) {
        EXPECT_EQ(n.At(x - 1, y - 1), kBlack) << x << "," << y;
      }
    }
}

TEST(DrawStateA, NormalTextTakesTheTextColourAndOpaqueModeFillsBehindIt) {
  constexpr COLORREF kBlue = RGB(0, 0, 255);
  Canvas canvas(120, 30);
  CSize extent;
  canvas.Paint([&](CDC& dc) {
    dc.SetTextColor(kBlue);
    EXPECT_EQ(dc.SetBkMode(TRANSPARENT), OPAQUE);  // a paint starts opaque
    dc.DrawState(CPoint(kX, kY), CSize(0, 0), "Read", DSS_NORMAL);
    dc.SetBkMode(OPAQUE);
    extent = dc.GetTextExtent("Read", 4);
    dc.DrawState(CPoint(kX, 15), CSize(0, 0), "Read", DSS_NORMAL);
  });
  int ink = 0;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 120; ++x) {
      const COLORREF c = canvas.At(x, y);
      EXPECT_TRUE(c == kBackground || c == kBlue);
      ink += c == kBlue;
    }
  EXPECT_GT(ink, 0);
  for (int y = 15; y < 15 + extent.cy; ++y)
    for (int x = kX; x < kX + extent.cx; ++x) {
      const COLORREF c = canvas.At(x, y);
      EXPECT_TRUE(c == kWhite || c == kBlue);
    }
  EXPECT_EQ(canvas.At(kX - 1, 15), kBackground);
  EXPECT_EQ(canvas.At(kX + extent.cx, 15), kBackground);
}

}  // namespace
