#include "platform/gdi/gdi_backend.h"

#include "platform/gdi/object_registry.h"

namespace {

// The object selected before: the program's own, or a wrapper of a handle it did not make.
template <class Object>
Object* Select(HDC hDC, Object* object) {
  if (!hDC || !object || !object->GetSafeHandle()) return nullptr;
  return gdi::ObjectOf<Object>(SelectObject(hDC, object->GetSafeHandle()));
}

}  // namespace

CDC* CDC::FromHandle(HDC hDC) { return gdi::WrapperOf<CDC>(hDC); }

int CDC::SaveDC() { return m_hDC ? ::SaveDC(m_hDC) : 0; }
BOOL CDC::RestoreDC(int nSavedDC) { return m_hDC ? ::RestoreDC(m_hDC, nSavedDC) : FALSE; }

CPen* CDC::SelectObject(CPen* pPen) { return Select(m_hDC, pPen); }
CFont* CDC::SelectObject(CFont* pFont) { return Select(m_hDC, pFont); }

int CDC::SetBkMode(int nBkMode) { return m_hDC ? ::SetBkMode(m_hDC, nBkMode) : 0; }
COLORREF CDC::SetTextColor(COLORREF crColor) { return m_hDC ? ::SetTextColor(m_hDC, crColor) : 0; }

CPoint CDC::MoveTo(int x, int y) {
  POINT old{0, 0};
  if (m_hDC) ::MoveToEx(m_hDC, x, y, &old);
  return old;
}

BOOL CDC::LineTo(int x, int y) {
  if (!m_hDC) return FALSE;
  LOGPEN pen{};
  POINT from{0, 0};
  GetObjectW(GetCurrentObject(m_hDC, OBJ_PEN), sizeof(pen), &pen);
  GetCurrentPositionEx(m_hDC, &from);
  const int width = static_cast<int>(pen.lopnWidth.x);
  const bool solid = pen.lopnStyle == PS_SOLID || pen.lopnStyle == PS_INSIDEFRAME;
  if (width <= 1 || !solid || (from.x != x && from.y != y)) return ::LineTo(m_hDC, x, y);

  // From the start pixel up to the end one, W/2 pixels before the line and (W-1)/2 after.
  const int before = width / 2, after = (width - 1) / 2;
  RECT band;
  if (from.y == y) {
    band = {from.x <= x ? from.x : x + 1, y - before, from.x <= x ? x : from.x + 1, y + after + 1};
  } else {
    band = {x - before, from.y <= y ? from.y : y + 1, x + after + 1, from.y <= y ? y : from.y + 1};
  }
  HBRUSH brush = CreateSolidBrush(pen.lopnColor);
  ::FillRect(m_hDC, &band, brush);
  DeleteObject(brush);
  return MoveToEx(m_hDC, x, y, nullptr);
}

BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  return m_hDC ? ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3) : FALSE;
}

BOOL CDC::RoundRect(LPCRECT lpRect, POINT point) {
  if (!lpRect) return FALSE;
  return RoundRect(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom, point.x, point.y);
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
  if (!m_hDC || !lpRect || !pBrush || !pBrush->GetSafeHandle()) return;
  // A reversed rectangle covers nothing; the platform's call would turn it round.
  if (lpRect->right <= lpRect->left || lpRect->bottom <= lpRect->top) return;
  ::FillRect(m_hDC, lpRect, *pBrush);
}

void CDC::DrawFocusRect(LPCRECT lpRect) { ::DrawFocusRect(m_hDC, lpRect); }

namespace {

// White where x + y is even, black elsewhere: XOR-ed in, it inverts every other pixel.
HBRUSH FocusDots() {
  struct {
    BITMAPINFOHEADER header;
    DWORD pixels[8 * 8];
  } pattern{};
  pattern.header = {sizeof(BITMAPINFOHEADER), 8, -8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  for (int i = 0; i < 64; ++i) pattern.pixels[i] = (i % 8 + i / 8) % 2 == 0 ? 0x00FFFFFF : 0;
  return CreateDIBPatternBrushPt(&pattern, DIB_RGB_COLORS);
}

}  // namespace

BOOL DrawFocusRectOnOrigin(HDC hDC, const RECT* lprc) {
  if (!hDC || !lprc) return FALSE;
  const int l = lprc->left, t = lprc->top, r = lprc->right, b = lprc->bottom;
  if (r <= l || b <= t) return TRUE;
  // A pattern brush starts at the context's brush origin, (0, 0) unless moved. Each edge
  // pixel is covered once, corners included, so a second call undoes the first.
  static HBRUSH dots = FocusDots();
  HGDIOBJ old = SelectObject(hDC, dots);
  PatBlt(hDC, l, t, r - l, 1, PATINVERT);
  if (b - 1 != t) PatBlt(hDC, l, b - 1, r - l, 1, PATINVERT);
  if (b - t > 2) {
    PatBlt(hDC, l, t + 1, 1, b - t - 2, PATINVERT);
    if (r - 1 != l) PatBlt(hDC, r - 1, t + 1, 1, b - t - 2, PATINVERT);
  }
  SelectObject(hDC, old);
  return TRUE;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) { return m_hDC ? ::DrawIcon(m_hDC, x, y, hIcon) : FALSE; }
