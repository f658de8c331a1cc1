#include "platform/gdi/gdiobjects.h"

#include <algorithm>

#include "platform/gdi/qt/shape.h"

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
  if (nPenStyle != PS_SOLID && nPenStyle != PS_INSIDEFRAME) return FALSE;
  m_style = nPenStyle;
  m_width = std::max(nWidth, 1);  // width 0 is the platform's one-pixel pen
  m_color = crColor;
  m_hObject = this;
  return TRUE;
}

BOOL CPen::DeleteObject() {
  if (!m_hObject) return FALSE;
  m_hObject = nullptr;
  return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
  m_color = crColor;
  m_hObject = this;
  return TRUE;
}

BOOL CBrush::DeleteObject() {
  if (!m_hObject) return FALSE;
  m_hObject = nullptr;
  return TRUE;
}

CFont::CFont() = default;
CFont::~CFont() = default;

void CFont::setData(std::shared_ptr<const gdi::FontData> data) {
  m_data = std::move(data);
  m_hObject = m_data ? this : nullptr;
}

BOOL CFont::DeleteObject() {
  if (!m_hObject) return FALSE;
  setData(nullptr);
  return TRUE;
}

CRgn::CRgn() = default;
CRgn::~CRgn() = default;

BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
  m_region = std::make_unique<HRGN__>(HRGN__{gdi::RoundRectShape(x1, y1, x2, y2, x3, y3)});
  m_hObject = m_region.get();
  return TRUE;
}

BOOL CRgn::DeleteObject() {
  if (!m_hObject) return FALSE;
  m_region.reset();
  m_hObject = nullptr;
  return TRUE;
}
