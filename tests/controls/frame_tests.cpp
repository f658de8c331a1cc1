// The frame along the face: orange under the pointer, blue with the focus and the pointer
// elsewhere, each side where its pen puts it; the dotted focus rectangle with the blue one only.
#include <gtest/gtest.h>

#include <string>

#include "probe_button.h"

namespace {

// A 60 x 21 button: the face I is (2, 2)-(58, 19).
constexpr int kWidth = 60;
constexpr int kHeight = 21;

struct Pens {
  COLORREF left, right, top, bottom;
};
constexpr Pens kHot{kHotLeft, kHotRight, kHotTop, kHotBottom};
constexpr Pens kFocus{kFocusLeft, kFocusRight, kFocusTopBottom, kFocusTopBottom};

Picture Draw(bool mouseOver, UINT itemState) {
  ProbeButton button;
  if (mouseOver) button.SendMessage(WM_MOUSEHOVER, 0, 0);
  return Render(button, kWidth, kHeight, itemState);
}

// The pixel as the frame leaves it, seen through the focus rectangle when there is one.
COLORREF Seen(COLORREF pen, bool focusRect, int x, int y) {
  return focusRect && (x + y) % 2 == 0 ? Inverted(pen) : pen;
}

void ExpectFrame(const Picture& image, const Pens& pens, bool focusRect) {
  // Across the middle row: outline, 3 columns of left pen, face ... face, 3 of right pen, outline.
  EXPECT_EQ(At(image, 0, 11), kBlack);
  EXPECT_EQ(At(image, 1, 11), pens.left);
  EXPECT_EQ(At(image, 2, 11), Seen(pens.left, focusRect, 2, 11));
  EXPECT_EQ(At(image, 3, 11), pens.left);
  EXPECT_NE(At(image, 4, 11), pens.left);
  EXPECT_NE(At(image, 55, 11), pens.right);
  EXPECT_EQ(At(image, 56, 11), pens.right);
  EXPECT_EQ(At(image, 57, 11), Seen(pens.right, focusRect, 57, 11));
  EXPECT_EQ(At(image, 58, 11), pens.right);
  EXPECT_EQ(At(image, 59, 11), kBlack);
  // Down the column x = 31: outline, 2 rows of top pen, face ... face, 2 rows of bottom pen.
  EXPECT_EQ(At(image, 31, 0), kBlack);
  EXPECT_EQ(At(image, 31, 1), pens.top);
  EXPECT_EQ(At(image, 31, 2), Seen(pens.top, focusRect, 31, 2));
  EXPECT_NE(At(image, 31, 3), pens.top);
  EXPECT_NE(At(image, 31, 17), pens.bottom);
  EXPECT_EQ(At(image, 31, 18), Seen(pens.bottom, focusRect, 31, 18));
  EXPECT_EQ(At(image, 31, 19), pens.bottom);
  EXPECT_EQ(At(image, 31, 20), kBlack);
  // Later lines cover the corners of earlier ones: the bottom pen runs over the left one.
  EXPECT_EQ(At(image, 1, 18), pens.left);
  EXPECT_EQ(At(image, 3, 19), pens.bottom);
  EXPECT_EQ(At(image, 3, 2), pens.top);
  // The right pen ends one row short of the top, and the top and bottom lines stop at x = 56.
  EXPECT_EQ(At(image, 58, 18), pens.right);
  EXPECT_NE(At(image, 58, 2), pens.right);
  EXPECT_EQ(At(image, 56, 19), pens.bottom);
  EXPECT_NE(At(image, 57, 19), pens.bottom);
}

// Where the focus rectangle would invert the face's top edge.
std::string TopEdge(const Picture& image, COLORREF pen) {
  std::string row;
  for (int x = 10; x < 20; ++x) row += At(image, x, 2) == pen ? 'P' : At(image, x, 2) == Inverted(pen) ? 'i' : '?';
  return row;
}

TEST(Frame, PointerOverGivesTheOrangeFrameWithoutFocusRectangle) {
  const Picture image = Draw(true, 0);
  ExpectFrame(image, kHot, false);
  EXPECT_EQ(TopEdge(image, kHotTop), "PPPPPPPPPP");
}

TEST(Frame, FocusWithThePointerElsewhereGivesTheBlueFrameAndTheFocusRectangle) {
  const Picture image = Draw(false, ODS_FOCUS);
  ExpectFrame(image, kFocus, true);
  EXPECT_EQ(TopEdge(image, kFocusTopBottom), "iPiPiPiPiP");
  // The rectangle lies exactly on the face: its bottom edge is the face's last row, y = 18.
  EXPECT_EQ(At(image, 30, 18), Inverted(kFocusTopBottom));
  EXPECT_EQ(At(image, 30, 17), FaceRow(false, true, 17));
}

TEST(Frame, PointerOverAFocusedButtonWinsOverTheFocusLook) {
  const Picture image = Draw(true, ODS_FOCUS | ODS_SELECTED);
  ExpectFrame(image, kHot, false);
  EXPECT_EQ(TopEdge(image, kHotTop), "PPPPPPPPPP");
}

TEST(Frame, DefaultOrPressedWithoutFocusOrPointerHasNoFrame) {
  for (UINT state : {UINT{ODS_DEFAULT}, UINT{ODS_SELECTED}, UINT{0}}) {
    SCOPED_TRACE(state);
    const Picture image = Draw(false, state);
    const bool engaged = state != 0;
    // The ring between outline and face keeps the context's white brush.
    EXPECT_EQ(At(image, 1, 11), kWhite);
    EXPECT_EQ(At(image, 2, 11), FaceRow(false, engaged, 11));
    EXPECT_EQ(At(image, 31, 2), FaceRow(false, engaged, 2));
    EXPECT_EQ(At(image, 57, 11), FaceRow(false, engaged, 11));
  }
}

}  // namespace
