// The face: 64 brushes chosen by the row's own y, tinted by the pointer and engaged flags,
// inside the black rounded outline.
#include <gtest/gtest.h>

#include <algorithm>

#include "probe_button.h"

namespace {

constexpr int kWidth = 60;
constexpr int kHeight = 21;  // the inner face is then 17 rows high, from y = 2, as FaceRow has it

struct Look {
  const char* name;
  UINT itemState;
  bool mouseOver;
  bool engaged;
};

// Every face row in a column the frame never reaches, for each way to the four tints.
TEST(Face, RowsFollowTheirOwnYThroughTheTintOfTheState) {
  const Look looks[] = {
      {"plain", 0, false, false},
      {"default", ODS_DEFAULT, false, true},
      {"pressed", ODS_SELECTED, false, true},
      {"focused", ODS_FOCUS, false, true},
      {"pointer over", 0, true, false},
      {"pointer over, pressed", ODS_SELECTED, true, true},
      {"pointer over, focused", ODS_FOCUS, true, true},
  };
  for (const Look& look : looks) {
    SCOPED_TRACE(look.name);
    ProbeButton button;
    if (look.mouseOver) button.SendMessage(WM_MOUSEHOVER, 0, 0);
    const Picture image = Render(button, kWidth, kHeight, look.itemState);
    // A frame covers rows 1-2 and 18-19 when there is one; the rows between always show.
    const bool framed = look.mouseOver || (look.itemState & ODS_FOCUS);
    const int first = framed ? 3 : 2, last = framed ? 17 : 19;
    for (int y = first; y <= last; ++y) {
      EXPECT_EQ(At(image, 10, y), FaceRow(look.mouseOver, look.engaged, y)) << "row " << y;
    }
  }
}

TEST(Face, FirstRowIsBrushSevenAndTheLowestRowsKeepTheLastBrush) {
  ProbeButton button;
  const Picture image = Render(button, kWidth, kHeight, 0);
  EXPECT_EQ(At(image, 10, 2), FaceRow(false, false, 2));
  EXPECT_NE(At(image, 10, 2), kWhite);
  EXPECT_EQ(At(image, 10, 17), FaceRow(false, false, 17));
  EXPECT_EQ(At(image, 10, 17), RGB(234, 234, 243));
  // y = 18 and 19 would ask for brushes 66 and 70.
  EXPECT_EQ(At(image, 10, 18), RGB(234, 234, 243));
  EXPECT_EQ(At(image, 10, 19), RGB(234, 234, 243));
  // Each row spans the face from x = 2 to x = 57.
  EXPECT_EQ(At(image, 2, 10), FaceRow(false, false, 10));
  EXPECT_EQ(At(image, kWidth - 3, 10), FaceRow(false, false, 10));
}

TEST(Face, OutlineIsBlackAndRoundedInEveryState) {
  for (UINT state : {0u, UINT{ODS_SELECTED}, UINT{ODS_FOCUS}, UINT{ODS_DISABLED}, UINT{ODS_DEFAULT}}) {
    for (bool over : {false, true}) {
      SCOPED_TRACE(testing::Message() << "state " << state << " over " << over);
      ProbeButton button;
      if (over) button.SendMessage(WM_MOUSEHOVER, 0, 0);
      const Picture image = Render(button, kWidth, kHeight, state);
      EXPECT_EQ(At(image, 0, 10), kBlack);
      EXPECT_EQ(At(image, kWidth - 1, 10), kBlack);
      EXPECT_EQ(At(image, 30, 0), kBlack);
      EXPECT_EQ(At(image, 30, kHeight - 1), kBlack);
      // The corner pixels lie outside the rounded outline.
      EXPECT_EQ(At(image, 0, 0), kBackground);
      EXPECT_EQ(At(image, kWidth - 1, kHeight - 1), kBackground);
    }
  }
}

// Our choice: a face without height is left as the outline's fill, and no size divides by zero.
TEST(Face, ButtonsTooLowForAFaceDrawOnlyTheOutline) {
  for (int height = 1; height <= 6; ++height) {
    SCOPED_TRACE(height);
    ProbeButton button;
    Render(button, 20, height, ODS_FOCUS);  // frame and focus rectangle on a face turned inside out
    const Picture image = Render(button, 20, height, 0);
    if (height == 4) {
      EXPECT_EQ(At(image, 10, 2), kWhite);
    }
  }
}

// The face rule counts brushes from y = 0; a face starting above that takes the first brush.
TEST(Face, RowsAboveTheOriginTakeTheFirstBrush) {
  ProbeButton button;
  CRect face(2, -30, 18, 10);  // H = 40
  const Picture image = Paint(20, 20, kBlack, [&](CDC* dc) { button.FillFaceGradient(dc, &face); });
  EXPECT_EQ(At(image, 5, 0), kWhite);
  EXPECT_EQ(At(image, 5, 19), RGB(246, 246, 250));  // brush 19 * 63 / 40 = 29
}

}  // namespace
