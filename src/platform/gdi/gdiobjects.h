#pragma once
// Pens, brushes, fonts and regions: the drawing objects a device context selects or uses.
// Like the framework's, they are not copyable; an object is empty until one of its Create
// calls succeeds, and DeleteObject (or destruction) makes it empty again.
#include "platform/gdi/gditypes.h"

#if defined(_WIN32)
// Each object owns one of the platform's handles and deletes it with itself. For the window
// layer: operator HFONT / HRGN hand the handle over for a message or call, Detach gives up
// ownership (SetWindowRgn: the system frees the region), Attach takes a handle over, and
// CFont::FromHandle wraps a font the system owns (WM_GETFONT) without ever deleting it.
class CGdiObject {
 public:
  CGdiObject() = default;
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

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
#else
#include <memory>

constexpr int PS_SOLID = 0;
// Keeps a figure's outline inside its bounding rectangle; a line is stroked as PS_SOLID.
constexpr int PS_INSIDEFRAME = 6;

class CGdiObject {
 public:
  CGdiObject() = default;
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  // Null while the object is empty.
  HGDIOBJ GetSafeHandle() const { return m_hObject; }

 protected:
  ~CGdiObject() = default;
  HGDIOBJ m_hObject = nullptr;
};

class CPen : public CGdiObject {
 public:
  // Styles other than PS_SOLID and PS_INSIDEFRAME are refused. A width below 1 means 1 pixel.
  BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
  BOOL DeleteObject();

  int style() const { return m_style; }
  int width() const { return m_width; }
  COLORREF color() const { return m_color; }

 private:
  int m_style = PS_SOLID;
  int m_width = 1;
  COLORREF m_color = 0;
};

class CBrush : public CGdiObject {
 public:
  BOOL CreateSolidBrush(COLORREF crColor);
  BOOL DeleteObject();

  COLORREF color() const { return m_color; }

 private:
  COLORREF m_color = 0;
};

namespace gdi {
struct FontData;  // the toolkit's font; see platform/gdi/qt/bridge.h
}

// A window's font. The window layer fills it from the toolkit (gdi::SetQFont); a device
// context that selects it keeps its own reference, so deleting it later is harmless.
class CFont : public CGdiObject {
 public:
  CFont();
  ~CFont();
  BOOL DeleteObject();

  const std::shared_ptr<const gdi::FontData>& data() const { return m_data; }
  void setData(std::shared_ptr<const gdi::FontData> data);

 private:
  std::shared_ptr<const gdi::FontData> m_data;
};

// A set of pixels. The window layer copies it when it becomes a window's shape
// (gdi::ToQRegion), so the CRgn may go out of scope afterwards.
class CRgn : public CGdiObject {
 public:
  CRgn();
  ~CRgn();
  // The same pixels that RoundRect with a 1-pixel pen covers, outline and interior, over
  // the rectangle (x1, y1)-(x2, y2), right and bottom exclusive; x3 by y3 is the corner ellipse.
  BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3);
  BOOL DeleteObject();

  operator HRGN() const { return m_region.get(); }  // NOLINT: implicit, as the framework's

 private:
  std::unique_ptr<HRGN__> m_region;
};
#endif
