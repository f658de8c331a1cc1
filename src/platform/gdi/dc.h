#pragma once
// The device context a paint draws on, and the platform calls that take its handle.
//
// Pixel rules (the platform's, which the program's drawing is measured against):
// - Nothing is antialiased; every coordinate names a whole pixel.
// - FillRect, and every rectangle given to RoundRect, covers left..right-1, top..bottom-1.
// - LineTo paints from the current position up to but not including its end point, for
//   every pen width. A pen W pixels wide spreads across the line over W/2 pixels above
//   (left of) it, the line's own row (column), and (W-1)/2 below (right of) it: an even
//   width puts its extra pixel above or left. The ends are square, without caps.
// - RoundRect's outline with a PS_INSIDEFRAME pen lies within the rectangle, W pixels deep;
//   with PS_SOLID it is centred on the rectangle's edge by the rule for lines.
#include <utility>

#include "platform/gdi/gdiobjects.h"
#include "platform/gdi/gditypes.h"

#if defined(_WIN32)
// On Windows a CDC wraps one of the platform's own device contexts and never deletes or
// releases it: CDC::FromHandle takes any HDC the system hands out (BeginPaint,
// WM_DRAWITEM, WM_ERASEBKGND) and its wrapper lasts the process. Text is drawn in the
// selected font as the system renders it, so a window's font made with
// NONANTIALIASED_QUALITY keeps captions on whole pixels as elsewhere.
//
// Where the platform's own calls differ from the rules above, the drawing layer keeps the
// rules: LineTo paints a wide pen's straight line itself (the platform's has round caps
// over both end points); three calls are renamed as the platform's macros rename its own,
// so the narrow text calls read code page 936 whatever the system's code page is, and the
// focus rectangle's dots are fixed to the context's origin, not to the rectangle's corner.
#undef DrawState  // CDC::DrawState is the framework's member, not the A/W switch
#define GetTextExtentPoint32A GetTextExtentPoint32Cp936
#define DrawStateA DrawStateCp936
#define DrawFocusRect DrawFocusRectOnOrigin
BOOL GetTextExtentPoint32Cp936(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl);
BOOL DrawStateCp936(HDC hdc, HBRUSH hbrFore, DRAWSTATEPROC qfnCallBack, LPARAM lData, WPARAM wData, int x, int y,
                    int cx, int cy, UINT uFlags);
BOOL DrawFocusRectOnOrigin(HDC hDC, const RECT* lprc);
#else
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr UINT DST_TEXT = 0x0001;
constexpr UINT DST_PREFIXTEXT = 0x0002;
constexpr UINT DSS_NORMAL = 0x0000;
constexpr UINT DSS_DISABLED = 0x0020;

using DRAWSTATEPROC = BOOL (*)(HDC hdc, LPARAM lData, WPARAM wData, int cx, int cy);

// The platform's dotted focus rectangle: every other pixel of the rectangle's 1-pixel
// edge is inverted, in a checkerboard fixed to the context's origin. Drawn twice, it is
// gone.
BOOL DrawFocusRect(HDC hDC, const RECT* lprc);

// Width of the bytes as text in the selected font, ampersands and all; cy is the font's
// height. A negative count fails.
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl);

// Draws text (lData, wData bytes; 0 counts to the NUL) in the box x, y, cx, cy.
// DST_PREFIXTEXT hides each single '&' and underlines the character after the last one;
// "&&" shows one '&'. DSS_NORMAL draws in the text colour, over the background colour
// (white) when the background mode is OPAQUE. DSS_DISABLED embosses: the text in the
// highlight colour (white) at +1,+1, then in the shadow colour (128, 128, 128) in place,
// each cut to the cx by cy box. A cx or cy of 0 takes the shown text's extent. The brush
// and callback serve other kinds of state and are ignored; other kinds and states fail.
BOOL DrawStateA(HDC hdc, HBRUSH hbrFore, DRAWSTATEPROC qfnCallBack, LPARAM lData, WPARAM wData, int x, int y, int cx,
                int cy, UINT uFlags);

BOOL DrawIcon(HDC hDC, int x, int y, HICON hIcon);
#endif

// A thin view of a device context. The state (selected objects, modes, colours, current
// position, saved levels) belongs to the handle, so calls through the CDC and calls that
// take the HDC see the same state. A CDC with no handle attached does nothing.
class CDC {
 public:
  CDC() = default;
  virtual ~CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // The context's own wrapper, valid as long as the context is.
  static CDC* FromHandle(HDC hDC);
  // Attach fails without a context or when this object holds one already.
  BOOL Attach(HDC hDC) {
    if (!hDC || m_hDC) return FALSE;
    m_hDC = hDC;
    return TRUE;
  }
  HDC Detach() { return std::exchange(m_hDC, nullptr); }
  HDC GetSafeHdc() const { return m_hDC; }

  // Saves pen, brush, font, background mode, text colour and current position.
  // Returns the new level (1 for the first save), or 0 without a context.
  int SaveDC();
  // A positive level returns to that save; a negative one counts back from the latest.
  // The saves above it are dropped. Unknown levels fail and change nothing.
  BOOL RestoreDC(int nSavedDC);

  // Both return the object selected before, or null (with nothing changed) when the new
  // object is null or empty.
  CPen* SelectObject(CPen* pPen);
  CFont* SelectObject(CFont* pFont);

  int SetBkMode(int nBkMode);  // returns the previous mode, 0 for an unknown mode
  COLORREF SetTextColor(COLORREF crColor);

  CPoint MoveTo(int x, int y);  // returns the previous current position
  CPoint MoveTo(POINT point) { return MoveTo(point.x, point.y); }
  BOOL LineTo(int x, int y);
  BOOL LineTo(POINT point) { return LineTo(point.x, point.y); }

  // The interior is filled with the context's current brush; a paint starts with white.
  BOOL RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  BOOL RoundRect(LPCRECT lpRect, POINT point);
  void FillRect(LPCRECT lpRect, CBrush* pBrush);
  void DrawFocusRect(LPCRECT lpRect);

  CSize GetTextExtent(LPCSTR lpszString, int nCount) const;
  BOOL DrawState(CPoint pt, CSize size, LPCSTR lpszText, UINT nFlags, BOOL bPrefixText = TRUE, int nTextLen = 0,
                 CBrush* pBrush = nullptr);

  // Draws the icon's SM_CXICON by SM_CYICON picture with its top-left corner at (x, y).
  BOOL DrawIcon(int x, int y, HICON hIcon);
  BOOL DrawIcon(POINT point, HICON hIcon) { return DrawIcon(point.x, point.y, hIcon); }

  HDC m_hDC = nullptr;
};
