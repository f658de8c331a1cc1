#include "platform/gdi/gdi_backend.h"

#include <utility>

namespace {

// Kept whole: every platform call the layer relies on must be there when it links.
[[gnu::used]] const auto* const kSeam = &gdi::seam::kSupplied;

// An object that already holds a handle keeps it, and the new one is freed at once.
BOOL Take(CGdiObject& object, HGDIOBJ handle) {
  if (object.Attach(handle)) return TRUE;
  if (handle) DeleteObject(handle);
  return FALSE;
}

}  // namespace

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
  if (!hObject || m_hObject) return FALSE;
  m_hObject = hObject;
  gdi::Register(hObject, this);
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  if (m_hObject) gdi::Unregister(m_hObject, this);
  return std::exchange(m_hObject, nullptr);
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  return ::DeleteObject(Detach());
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
  return Take(*this, ::CreatePen(nPenStyle, nWidth, crColor));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) { return Take(*this, ::CreateSolidBrush(crColor)); }

CFont* CFont::FromHandle(HFONT hFont) { return gdi::ObjectOf<CFont>(hFont); }

BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
  return Take(*this, ::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}
