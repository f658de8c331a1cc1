#include "platform/gdi/gdi_backend.h"

#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <algorithm>
#include <utility>

#include "platform/gdi/qt/bridge.h"
#include "platform/gdi/qt/device_context.h"
#include "platform/gdi/qt/objects.h"

namespace {

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace

HDC__::HDC__(QPainter& p) : painter(p) {
  painter.save();
  // The platform never blends edges: every pixel is painted whole or not at all.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.setOpacity(1.0);

  stockPen.CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  // The painter's font as the system's font for its widget: made once and kept.
  const HFONT stockFont = gdi::FontHandleOf(painter.font());
  state.pen = &stockPen;
  state.font = CFont::FromHandle(stockFont);
  state.fontData = stockFont->data;
  wrapper.m_hDC = this;
}

HDC__::~HDC__() {
  wrapper.m_hDC = nullptr;
  painter.restore();
}

void HDC__::Fill(int x0, int y0, int x1, int y1, COLORREF color) {
  if (x1 <= x0 || y1 <= y0) return;
  painter.fillRect(QRect(x0, y0, x1 - x0, y1 - y0), ToQColor(color));
}

CDC* CDC::FromHandle(HDC hDC) { return hDC ? &hDC->wrapper : nullptr; }

int CDC::SaveDC() {
  if (!m_hDC) return 0;
  m_hDC->saved.push_back(m_hDC->state);
  return static_cast<int>(m_hDC->saved.size());
}

BOOL CDC::RestoreDC(int nSavedDC) {
  if (!m_hDC) return FALSE;
  auto& saved = m_hDC->saved;
  const int count = static_cast<int>(saved.size());
  const int level = nSavedDC < 0 ? count + 1 + nSavedDC : nSavedDC;
  if (level < 1 || level > count) return FALSE;
  m_hDC->state = saved[static_cast<size_t>(level - 1)];
  saved.resize(static_cast<size_t>(level - 1));
  return TRUE;
}

CPen* CDC::SelectObject(CPen* pPen) {
  if (!m_hDC || !pPen || !pPen->GetSafeHandle()) return nullptr;
  gdi::DcState& s = m_hDC->state;
  CPen* old = s.pen;
  s.pen = pPen;
  const HPEN pen = *pPen;
  s.penStyle = pen->style;
  s.penWidth = pen->width;
  s.penColor = pen->color;
  return old;
}

CFont* CDC::SelectObject(CFont* pFont) {
  if (!m_hDC || !pFont || !pFont->GetSafeHandle()) return nullptr;
  gdi::DcState& s = m_hDC->state;
  CFont* old = s.font;
  s.font = pFont;
  s.fontData = static_cast<HFONT>(*pFont)->data;
  return old;
}

int CDC::SetBkMode(int nBkMode) {
  if (!m_hDC || (nBkMode != TRANSPARENT && nBkMode != OPAQUE)) return 0;
  return std::exchange(m_hDC->state.bkMode, nBkMode);
}

COLORREF CDC::SetTextColor(COLORREF crColor) {
  if (!m_hDC) return 0;
  return std::exchange(m_hDC->state.textColor, crColor);
}

CPoint CDC::MoveTo(int x, int y) {
  if (!m_hDC) return CPoint();
  return std::exchange(m_hDC->state.position, POINT{x, y});
}

BOOL CDC::LineTo(int x, int y) {
  if (!m_hDC) return FALSE;
  gdi::DcState& s = m_hDC->state;
  const POINT from = std::exchange(s.position, POINT{x, y});
  const int before = s.penWidth / 2, after = (s.penWidth - 1) / 2;
  if (from.y == y) {
    // The start pixel is painted and the end pixel is not, whichever way the line runs.
    const int x0 = from.x <= x ? from.x : x + 1;
    const int x1 = from.x <= x ? x : from.x + 1;
    m_hDC->Fill(x0, y - before, x1, y + after + 1, s.penColor);
  } else if (from.x == x) {
    const int y0 = from.y <= y ? from.y : y + 1;
    const int y1 = from.y <= y ? y : from.y + 1;
    m_hDC->Fill(x - before, y0, x + after + 1, y1, s.penColor);
  } else {
    // The program only draws straight across or down; a slanted line is left to the painter.
    QPen pen(ToQColor(s.penColor), s.penWidth);
    pen.setCapStyle(Qt::FlatCap);
    m_hDC->painter.setPen(pen);
    m_hDC->painter.drawLine(from.x, from.y, x, y);
  }
  return TRUE;
}

BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  if (!m_hDC) return FALSE;
  const gdi::DcState& s = m_hDC->state;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (s.penStyle == PS_SOLID) {
    // A solid pen is centred on the edge pixels, as a line would be.
    x1 -= s.penWidth / 2;
    y1 -= s.penWidth / 2;
    x2 += (s.penWidth - 1) / 2;
    y2 += (s.penWidth - 1) / 2;
  }
  const gdi::Shape outer = gdi::RoundRectShape(x1, y1, x2, y2, x3, y3);
  gdi::Shape inner = outer;
  for (int i = 0; i < s.penWidth; ++i) inner = gdi::Erode(inner);

  // Rows whose spans repeat the row above are painted with it in one rectangle each: all
  // but the corner rows, so a figure costs a few fills rather than three a row.
  const size_t rows = outer.rows.size();
  for (size_t i = 0, next = 0; i < rows; i = next) {
    const gdi::Span out = outer.rows[i], in = inner.rows[i];
    for (next = i + 1; next < rows; ++next) {
      const gdi::Span o = outer.rows[next], n = inner.rows[next];
      if (o.x0 != out.x0 || o.x1 != out.x1 || n.x0 != in.x0 || n.x1 != in.x1) break;
    }
    const int y0 = outer.top + static_cast<int>(i), y1 = outer.top + static_cast<int>(next);
    if (in.x0 < in.x1) {
      m_hDC->Fill(in.x0, y0, in.x1, y1, m_hDC->brushColor);
      m_hDC->Fill(out.x0, y0, in.x0, y1, s.penColor);
      m_hDC->Fill(in.x1, y0, out.x1, y1, s.penColor);
    } else {
      m_hDC->Fill(out.x0, y0, out.x1, y1, s.penColor);
    }
  }
  return TRUE;
}

BOOL CDC::RoundRect(LPCRECT lpRect, POINT point) {
  if (!lpRect) return FALSE;
  return RoundRect(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom, point.x, point.y);
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
  if (!m_hDC || !lpRect || !pBrush || !pBrush->GetSafeHandle()) return;
  m_hDC->Fill(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom, static_cast<HBRUSH>(*pBrush)->color);
}

void CDC::DrawFocusRect(LPCRECT lpRect) { ::DrawFocusRect(m_hDC, lpRect); }

// Where the toolkit's 50% pattern must start so that it sets the pixels whose x + y is even.
constexpr QPoint kFocusPatternOrigin(1, 0);

BOOL DrawFocusRect(HDC hDC, const RECT* lprc) {
  if (!hDC || !lprc) return FALSE;
  const int l = lprc->left, t = lprc->top, r = lprc->right, b = lprc->bottom;
  if (r <= l || b <= t) return TRUE;
  // The edge pixels whose x + y is even are inverted: a pattern brush over the four edges,
  // XOR-ed in white. Each edge pixel is covered once, corners included, so a second call
  // undoes the first.
  QPainter& p = hDC->painter;
  const QPoint origin = p.brushOrigin();
  p.setBrushOrigin(kFocusPatternOrigin);
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  const QBrush dots(Qt::white, Qt::Dense4Pattern);
  p.fillRect(QRect(l, t, r - l, 1), dots);
  if (b - 1 != t) p.fillRect(QRect(l, b - 1, r - l, 1), dots);
  if (b - t > 2) {
    p.fillRect(QRect(l, t + 1, 1, b - t - 2), dots);
    if (r - 1 != l) p.fillRect(QRect(r - 1, t + 1, 1, b - t - 2), dots);
  }
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setBrushOrigin(origin);
  return TRUE;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

BOOL DrawIcon(HDC hDC, int x, int y, HICON hIcon) {
  if (!hDC || !hIcon || hIcon->icon.isNull()) return FALSE;
  // Always the standard icon size, one device pixel per pixel, as the platform draws it.
  const QSize size(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  const QPixmap picture = hIcon->icon.pixmap(size, 1.0);
  hDC->painter.drawPixmap(QRect(QPoint(x, y), size), picture);
  return TRUE;
}
