#pragma once
// The command button under test, its state open to the tests and the notices it handles
// counted, and pictures of what it draws, read back pixel by pixel.
#include <functional>

#include "controls/XPButton.h"

#if defined(_WIN32)
#include "win32/picture.h"
#else
#include <QImage>
using Picture = QImage;
#endif

class ProbeButton : public CXPButton {
 public:
  using CXPButton::DrawHighlightFrame;
  using CXPButton::FillFaceGradient;
  using CXPButton::m_bEngaged;
  using CXPButton::m_bHasFocus;
  using CXPButton::m_bMouseOver;
  using CXPButton::m_bTrackingMouse;

  int erases = 0;
  int hovers = 0;
  int leaves = 0;
  int paints = 0;
  UINT lastItemState = 0;

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

  // Pictures are drawn from buttons with no window behind them: a message sent to one goes
  // straight through its message map, as it would through a window's.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return m_hWnd ? CXPButton::SendMessage(message, wParam, lParam) : WindowProc(message, wParam, lParam);
  }

 protected:
  // Counted on the way to the button's own handlers.
  BOOL OnEraseBkgnd(CDC* pDC);
  LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

// Platform colours, as the tests compare them.
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBackground = RGB(0, 128, 128);  // a colour the button never paints
constexpr COLORREF kHotLeft = RGB(250, 196, 88);
constexpr COLORREF kHotRight = RGB(251, 202, 106);
constexpr COLORREF kHotTop = RGB(252, 210, 121);
constexpr COLORREF kHotBottom = RGB(229, 151, 0);
constexpr COLORREF kFocusLeft = RGB(153, 198, 252);
constexpr COLORREF kFocusRight = RGB(162, 189, 252);
constexpr COLORREF kFocusTopBottom = RGB(162, 201, 255);

constexpr COLORREF Inverted(COLORREF c) { return c ^ 0x00FFFFFF; }

// The face rows of a button 21 pixels high (a face 17 rows high from y = 2), y = 2 to 19,
// in each tint, worked out by hand from the look table: row y takes brush y * 63 / 17
// (7, 11, 14 ... 59, 63), and the two rows below the face keep brush 63.
// clang-format off
inline constexpr COLORREF kPlainRows[18] = {
    RGB(253, 253, 254), RGB(252, 252, 253), RGB(251, 251, 253), RGB(249, 249, 252), RGB(248, 248, 251), RGB(247, 247, 250),
    RGB(246, 246, 250), RGB(244, 244, 249), RGB(243, 243, 248), RGB(242, 242, 247), RGB(241, 241, 247), RGB(239, 239, 246),
    RGB(238, 238, 245), RGB(237, 237, 244), RGB(236, 236, 244), RGB(234, 234, 243), RGB(234, 234, 243), RGB(234, 234, 243),
};
inline constexpr COLORREF kEngagedRows[18] = {
    RGB(253, 253, 254), RGB(252, 252, 253), RGB(251, 251, 252), RGB(249, 249, 251), RGB(248, 248, 250), RGB(247, 247, 249),
    RGB(246, 246, 248), RGB(244, 244, 247), RGB(243, 243, 246), RGB(242, 242, 245), RGB(241, 241, 244), RGB(239, 239, 243),
    RGB(238, 238, 243), RGB(237, 237, 242), RGB(236, 236, 241), RGB(234, 234, 240), RGB(234, 234, 240), RGB(234, 234, 240),
};
inline constexpr COLORREF kOverRows[18] = {
    RGB(254, 254, 254), RGB(253, 253, 253), RGB(252, 252, 253), RGB(251, 251, 252), RGB(250, 250, 251), RGB(249, 249, 250),
    RGB(248, 248, 250), RGB(247, 247, 249), RGB(246, 246, 248), RGB(245, 245, 247), RGB(244, 244, 247), RGB(243, 243, 246),
    RGB(243, 243, 245), RGB(242, 242, 244), RGB(241, 241, 244), RGB(240, 240, 243), RGB(240, 240, 243), RGB(240, 240, 243),
};
inline constexpr COLORREF kOverEngagedRows[18] = {
    RGB(254, 254, 253), RGB(253, 253, 252), RGB(252, 252, 251), RGB(251, 251, 249), RGB(250, 250, 248), RGB(249, 249, 247),
    RGB(248, 248, 246), RGB(247, 247, 244), RGB(246, 246, 243), RGB(245, 245, 242), RGB(244, 244, 241), RGB(243, 243, 239),
    RGB(243, 243, 238), RGB(242, 242, 237), RGB(241, 241, 236), RGB(240, 240, 234), RGB(240, 240, 234), RGB(240, 240, 234),
};
// clang-format on
// Row y (2 to 19) of such a button's face in the tint of the pointer and engaged flags.
constexpr COLORREF FaceRow(bool mouseOver, bool engaged, int y) {
  const COLORREF* rows = mouseOver ? (engaged ? kOverEngagedRows : kOverRows) : (engaged ? kEngagedRows : kPlainRows);
  return rows[y - 2];
}

// A fresh width x height picture filled with `fill`, then drawn on through a paint's context.
Picture Paint(int width, int height, COLORREF fill, const std::function<void(CDC*)>& draw);
// The button's DrawItem on a fresh width x height picture filled with kBackground.
Picture Render(CXPButton& button, int width, int height, UINT itemState);
COLORREF At(const Picture& image, int x, int y);
