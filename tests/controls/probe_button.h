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

// The face's brush k for the pointer and engaged flags, from the look table.
COLORREF FaceColour(bool mouseOver, bool engaged, int k);

// A fresh width x height picture filled with `fill`, then drawn on through a paint's context.
Picture Paint(int width, int height, COLORREF fill, const std::function<void(CDC*)>& draw);
// The button's DrawItem on a fresh width x height picture filled with kBackground.
Picture Render(CXPButton& button, int width, int height, UINT itemState);
COLORREF At(const Picture& image, int x, int y);
