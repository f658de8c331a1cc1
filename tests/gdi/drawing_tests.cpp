// Where fills, lines, rounded rectangles and focus rectangles put their pixels.
#include <gtest/gtest.h>

#include <vector>

#include "canvas.h"
#include "platform/gdi/object_registry.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(FillRect, CoversLeftToRightMinusOneAndTopToBottomMinusOne) {
  Canvas canvas;
  CBrush brush;
  ASSERT_TRUE(brush.CreateSolidBrush(kRed));
  canvas.Paint([&](CDC& dc) {
    CRect rect(3, 4, 7, 6);
    dc.FillRect(&rect, &brush);
    CRect reversed(20, 20, 10, 25);
    dc.FillRect(&reversed, &brush);
  });
  EXPECT_EQ(canvas.Row(3, 0, 10, kRed), "..........");
  EXPECT_EQ(canvas.Row(4, 0, 10, kRed), "...####...");
  EXPECT_EQ(canvas.Row(5, 0, 10, kRed), "...####...");
  EXPECT_EQ(canvas.Row(6, 0, 10, kRed), "..........");
  EXPECT_EQ(canvas.At(15, 22), kBackground);
}

TEST(LineTo, PaintsFromTheCurrentPositionUpToButNotIncludingTheEnd) {
  Canvas canvas;
  CPoint first, second;
  canvas.Paint([&](CDC& dc) {
    first = dc.MoveTo(2, 5);
    dc.LineTo(8, 5);  // across
    dc.LineTo(8, 9);  // down from where the last line ended
    dc.LineTo(4, 9);  // back to the left
    second = dc.MoveTo(2, 15);
    dc.LineTo(8, 15);
  });
  EXPECT_EQ(first, CPoint(0, 0));
  EXPECT_EQ(second, CPoint(4, 9));
  EXPECT_EQ(canvas.Row(5, 0, 10, kBlack), "..#######.");
  EXPECT_EQ(canvas.Row(6, 0, 10, kBlack), "........#.");
  EXPECT_EQ(canvas.Row(8, 0, 10, kBlack), "........#.");
  EXPECT_EQ(canvas.Row(9, 0, 10, kBlack), ".....####.");
  EXPECT_EQ(canvas.Row(15, 0, 10, kBlack), "..######..");
}

TEST(LineTo, WidePensSpreadAcrossTheLineWithTheEvenExtraAboveAndLeft) {
  Canvas canvas;
  CPen two, three;
  ASSERT_TRUE(two.CreatePen(PS_INSIDEFRAME, 2, kRed));
  ASSERT_TRUE(three.CreatePen(PS_SOLID, 3, kRed));
  canvas.Paint([&](CDC& dc) {
    dc.SelectObject(&two);
    dc.MoveTo(2, 5);
    dc.LineTo(6, 5);
    dc.MoveTo(10, 8);
    dc.LineTo(10, 4);
    dc.SelectObject(&three);
    dc.MoveTo(2, 20);
    dc.LineTo(6, 20);
    dc.MoveTo(20, 20);
    dc.LineTo(20, 24);
  });
  // Two pixels: the line's row and the one above; ends as for a thin line.
  EXPECT_EQ(canvas.Row(3, 0, 8, kRed), "........");
  EXPECT_EQ(canvas.Row(4, 0, 8, kRed), "..####..");
  EXPECT_EQ(canvas.Row(5, 0, 8, kRed), "..####..");
  EXPECT_EQ(canvas.Row(6, 0, 8, kRed), "........");
  // Running upward: rows 8 down to 5; columns 9 and 10.
  EXPECT_EQ(canvas.Row(4, 8, 12, kRed), "....");
  EXPECT_EQ(canvas.Row(5, 8, 12, kRed), ".##.");
  EXPECT_EQ(canvas.Row(8, 8, 12, kRed), ".##.");
  // Three pixels: centred.
  EXPECT_EQ(canvas.Row(18, 0, 8, kRed), "........");
  EXPECT_EQ(canvas.Row(19, 0, 8, kRed), "..####..");
  EXPECT_EQ(canvas.Row(21, 0, 8, kRed), "..####..");
  EXPECT_EQ(canvas.Row(22, 0, 8, kRed), "........");
  EXPECT_EQ(canvas.Row(20, 17, 24, kRed), "..###..");
  EXPECT_EQ(canvas.Row(24, 17, 24, kRed), ".......");
}

TEST(RoundRect, InsideFramePenDrawsTheOutlineWithinTheRectangleOverTheBrush) {
  Canvas canvas;
  CPen outline;
  ASSERT_TRUE(outline.CreatePen(PS_INSIDEFRAME, 1, kBlack));
  canvas.Paint([&](CDC& dc) {
    CPen* old = dc.SelectObject(&outline);
    dc.RoundRect(CRect(2, 2, 14, 10), CPoint(5, 5));
    dc.SelectObject(old);
  });
  // The 5 by 5 corner cuts one pixel off each corner; the inside is the default white brush.
  EXPECT_EQ(canvas.Row(1, 1, 15, kBlack), "..............");
  EXPECT_EQ(canvas.Row(2, 1, 15, kBlack), "..##########..");
  EXPECT_EQ(canvas.Row(3, 1, 15, kBlack), ".#..........#.");
  EXPECT_EQ(canvas.Row(3, 1, 15, kWhite), "..##########..");
  EXPECT_EQ(canvas.Row(8, 1, 15, kBlack), ".#..........#.");
  EXPECT_EQ(canvas.Row(9, 1, 15, kBlack), "..##########..");
  EXPECT_EQ(canvas.Row(10, 1, 15, kBlack), "..............");
  EXPECT_EQ(canvas.At(2, 2), kBackground);
  EXPECT_EQ(canvas.At(13, 9), kBackground);
}

TEST(RoundRect, WideInsideFramePenStaysInsideAndSolidPenStraddlesTheEdge) {
  Canvas canvas;
  CPen inside, solid;
  ASSERT_TRUE(inside.CreatePen(PS_INSIDEFRAME, 2, kRed));
  ASSERT_TRUE(solid.CreatePen(PS_SOLID, 3, kRed));
  canvas.Paint([&](CDC& dc) {
    dc.SelectObject(&inside);
    dc.RoundRect(2, 2, 12, 12, 0, 0);
    dc.SelectObject(&solid);
    dc.RoundRect(22, 2, 32, 12, 0, 0);
  });
  EXPECT_EQ(canvas.Row(6, 1, 13, kRed), ".##......##.");
  EXPECT_EQ(canvas.Row(2, 1, 13, kRed), ".##########.");
  EXPECT_EQ(canvas.Row(4, 1, 13, kWhite), "...######...");
  // One pixel outside, the edge pixel, one inside: the frame of a 1-pixel pen, thickened.
  EXPECT_EQ(canvas.Row(6, 20, 34, kRed), ".###......###.");
}

TEST(DrawFocusRect, InvertsEveryOtherEdgePixelAndVanishesWhenDrawnTwice) {
  Canvas canvas(20, 12, RGB(10, 20, 30));
  const QImage before = canvas.image;
  const CRect rect(2, 2, 10, 8);
  canvas.Paint([&](CDC& dc) { dc.DrawFocusRect(rect); });
  const COLORREF inverted = RGB(245, 235, 225), plain = RGB(10, 20, 30);
  EXPECT_EQ(canvas.Row(2, 1, 11, inverted), ".#.#.#.#..");
  EXPECT_EQ(canvas.Row(3, 1, 11, inverted), "........#.");
  EXPECT_EQ(canvas.Row(4, 1, 11, inverted), ".#........");
  EXPECT_EQ(canvas.Row(7, 1, 11, inverted), "..#.#.#.#.");
  EXPECT_EQ(canvas.Row(8, 1, 11, plain), "##########");
  EXPECT_EQ(canvas.Row(5, 1, 11, inverted), "........#.");
  EXPECT_EQ(canvas.Row(4, 3, 9, plain), "######");

  canvas.Paint([&](CDC& dc) { DrawFocusRect(dc.GetSafeHdc(), &rect); });
  EXPECT_EQ(canvas.image, before);
}

TEST(SaveDC, RestoreDCBringsBackPenFontModeAndPosition) {
  Canvas canvas;
  CPen red, blue;
  CFont fontA, fontB;
  ASSERT_TRUE(red.CreatePen(PS_SOLID, 1, kRed));
  ASSERT_TRUE(blue.CreatePen(PS_SOLID, 1, RGB(0, 0, 255)));
  gdi::SetQFont(fontA, QFont("WenQuanYi Zen Hei"));
  gdi::SetQFont(fontB, QFont("AR PL UMing CN"));
  canvas.Paint([&](CDC& dc) {
    CPen* stock = dc.SelectObject(&red);
    ASSERT_NE(stock, nullptr);
    dc.SelectObject(&fontA);
    dc.SetBkMode(TRANSPARENT);
    dc.MoveTo(3, 3);
    const int level = dc.SaveDC();
    EXPECT_EQ(level, 1);
    EXPECT_EQ(dc.SaveDC(), 2);

    dc.SelectObject(&blue);
    dc.SelectObject(&fontB);
    dc.SetBkMode(OPAQUE);
    dc.MoveTo(9, 9);
    EXPECT_FALSE(dc.RestoreDC(3));
    EXPECT_TRUE(dc.RestoreDC(level));
    EXPECT_FALSE(dc.RestoreDC(-1));  // level 2 went with level 1

    dc.LineTo(6, 3);  // from the restored position, in the restored pen
    EXPECT_EQ(dc.SetBkMode(OPAQUE), TRANSPARENT);
    EXPECT_EQ(dc.SelectObject(&fontB), &fontA);
    EXPECT_EQ(dc.SelectObject(stock), &red);
    EXPECT_EQ(dc.SaveDC(), 1);
    dc.MoveTo(1, 1);
    EXPECT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(dc.MoveTo(0, 0), CPoint(6, 3));
  });
  EXPECT_EQ(canvas.Row(3, 2, 7, kRed), ".###.");
}

TEST(SelectObject, AnEmptyOrDeletedObjectIsRefusedAndADeletedSelectionStillDraws) {
  Canvas canvas;
  CPen never, deleted;
  ASSERT_TRUE(deleted.CreatePen(PS_SOLID, 1, kRed));
  canvas.Paint([&](CDC& dc) {
    EXPECT_EQ(dc.SelectObject(&never), nullptr);
    dc.SelectObject(&deleted);
    deleted.DeleteObject();
    dc.MoveTo(1, 1);
    dc.LineTo(4, 1);
  });
  EXPECT_EQ(canvas.Row(1, 0, 5, kRed), ".###.");
}

TEST(DeleteObject, FreesEachLiveHandleOnceAndOwnersStayFoundAmongMany) {
  // More objects than the first slab and the first table of owners hold.
  std::vector<CBrush> brushes(600);
  for (CBrush& brush : brushes) ASSERT_TRUE(brush.CreateSolidBrush(kRed));
  const HGDIOBJ first = brushes[0].Detach();
  EXPECT_TRUE(::DeleteObject(first));
  EXPECT_FALSE(::DeleteObject(first));
  int notAHandle = 0;
  EXPECT_FALSE(::DeleteObject(&notAHandle));
  EXPECT_FALSE(::DeleteObject(static_cast<char*>(brushes[1].GetSafeHandle()) + 1));

  // Forgetting every other owner moves the rest within the table; each is still found.
  const HGDIOBJ gone = brushes[1].GetSafeHandle();
  for (size_t k = 1; k < brushes.size(); k += 2) brushes[k].DeleteObject();
  for (size_t k = 2; k < brushes.size(); k += 2) {
    ASSERT_EQ(gdi::Registered(brushes[k].GetSafeHandle()), &brushes[k]) << k;
  }
  EXPECT_EQ(gdi::Registered(gone), nullptr);
}

}  // namespace
