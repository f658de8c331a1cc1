#pragma once
// Pens, brushes, fonts and regions: the drawing objects a device context selects or uses.
// Like the framework's, they are not copyable; an object is empty until one of its Create
// calls succeeds, and DeleteObject (or destruction) makes it empty again.
#include "platform/gdi/gditypes.h"

#if !defined(_WIN32)
constexpr int PS_SOLID = 0;
// Keeps a figure's outline inside its bounding rectangle; a line is stroked as PS_SOLID.
constexpr int PS_INSIDEFRAME = 6;

// The platform's calls that make and free drawing objects, which Windows has itself; the
// toolkit's backend (qt/objects.cpp) supplies them. Pen styles other than PS_SOLID and
// PS_INSIDEFRAME are refused, and a width below 1 means 1 pixel. A region has the pixels
// RoundRect with a 1-pixel pen covers, outline and interior, over (x1, y1)-(x2, y2), right
// and bottom exclusive, x3 by y3 being the corner ellipse. DeleteObject frees any of them.
HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h);
BOOL DeleteObject(HGDIOBJ ho);
#endif

// Each object owns one of the platform's handles and deletes it with itself. For the window
// layer: operator HFONT / HRGN hand the handle over for a message or call, Detach gives up
// ownership (SetWindowRgn: the system frees the region), Attach takes a handle over, and
// CFont::FromHandle wraps a font the system owns (WM_GETFONT) without ever deleting it.
class CGdiObject {
 public:
  CGdiObject() = default;
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  // Null while the object is empty.
  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  BOOL Attach(HGDIOBJ hObject);  // fails when the object already holds a handle
  HGDIOBJ Detach();
  BOOL DeleteObject();

 protected:
  ~CGdiObject() { DeleteObject(); }
  HGDIOBJ m_hObject = nullptr;
};

class CPen : public CGdiObject {
 public:
  BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }  // NOLINT: as the framework's
};

class CBrush : public CGdiObject {
 public:
  BOOL CreateSolidBrush(COLORREF crColor);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }  // NOLINT: as the framework's
};

class CFont : public CGdiObject {
 public:
  // A wrapper that lives as long as the process and never deletes the font; null for null.
  static CFont* FromHandle(HFONT hFont);
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }  // NOLINT: as the framework's
};

class CRgn : public CGdiObject {
 public:
  BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3);
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }  // NOLINT: as the framework's
};
