#include "platform/gdi/gdi_backend.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cstring>

#include "platform/gdi/qt/device_context.h"
#include "platform/text/codepage.h"

namespace {

// Text is drawn and measured without antialiasing: the platform embosses disabled text
// through a one-bit mask, and both looks must land on the same pixels. A context always
// has a font selected, its stock font at the least.
const QFont& DrawingFont(const HDC__& dc) { return dc.state.fontData->drawing; }

// Measured for the painter's device, so that extents agree with what is drawn there; made
// once per selected font and paint, as measuring and drawing a caption both need them.
const QFontMetrics& DrawingMetrics(HDC__& dc) {
  if (!dc.metrics || dc.metricsFont != dc.state.fontData) {
    dc.metrics.emplace(DrawingFont(dc), dc.painter.device());
    dc.metricsFont = dc.state.fontData;
  }
  return *dc.metrics;
}

int Advance(HDC__& dc, const QString& text) {
  auto& advances = dc.state.fontData->advances;
  const std::pair<int, QString> key(dc.painter.device()->logicalDpiX(), text);
  if (auto it = advances.find(key); it != advances.end()) return it->second;
  if (advances.size() >= 64) advances.clear();  // captions are few; anything else passes
  return advances[key] = DrawingMetrics(dc).horizontalAdvance(text);
}

// The glyphs of a text in the selected font, laid out once per font, resolution and text.
const gdi::FontData::Glyphs& GlyphsOf(HDC__& dc, const QString& text) {
  auto& cache = dc.state.fontData->glyphs;
  std::pair<int, QString> key(dc.painter.device()->logicalDpiX(), text);
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  if (cache.size() >= 64) cache.clear();  // as the advances
  QTextLayout layout(text, DrawingFont(dc), dc.painter.device());
  layout.beginLayout();
  const QTextLine line = layout.createLine();
  layout.endLayout();
  return cache[std::move(key)] = {layout.glyphRuns(), line.ascent()};
}

QString FromCp936(LPCSTR bytes, size_t count) {
  const std::u16string chars = text::Cp936ToUtf16(std::string_view(bytes, count));
  return QString::fromUtf16(chars.data(), static_cast<qsizetype>(chars.size()));
}

struct PrefixText {
  QString shown;
  qsizetype underlined = -1;  // index in `shown` of the underlined character, if any
  qsizetype underlinedLength = 0;
};

// A single '&' is dropped and marks the next character; "&&" stands for one '&'.
// Where several characters are marked, the last one is underlined.
PrefixText StripPrefixes(const QString& raw) {
  PrefixText out;
  for (qsizetype i = 0; i < raw.size(); ++i) {
    if (raw[i] != u'&') {
      out.shown += raw[i];
      continue;
    }
    if (++i >= raw.size()) break;
    if (raw[i] != u'&') {
      out.underlined = out.shown.size();
      out.underlinedLength = raw[i].isHighSurrogate() && i + 1 < raw.size() ? 2 : 1;
    }
    out.shown += raw[i];
  }
  return out;
}

void PaintText(HDC__& dc, const PrefixText& text, int x, int y, COLORREF color) {
  QPainter& p = dc.painter;
  const QFontMetrics& fm = DrawingMetrics(dc);
  p.setFont(DrawingFont(dc));
  p.setPen(QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
  const gdi::FontData::Glyphs& glyphs = GlyphsOf(dc, text.shown);
  // The baseline where QPainter::drawText would put it, on a whole row.
  const QPointF origin(x, y + fm.ascent() - glyphs.ascent);
  for (const QGlyphRun& run : glyphs.runs) p.drawGlyphRun(origin, run);
  if (text.underlined >= 0) {
    // One pixel below the baseline, kept inside the text's height.
    const int ux = x + fm.horizontalAdvance(text.shown.left(text.underlined));
    const int uw = fm.horizontalAdvance(text.shown.mid(text.underlined, text.underlinedLength));
    const int uy = y + std::min(fm.ascent() + 1, fm.ascent() + fm.descent() - 1);
    dc.Fill(ux, uy, ux + uw, uy + 1, color);
  }
}

}  // namespace

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
  if (!hdc || !psizl || c < 0 || (c > 0 && !lpString)) return FALSE;
  const QFontMetrics& fm = DrawingMetrics(*hdc);
  const QString text = c > 0 ? FromCp936(lpString, static_cast<size_t>(c)) : QString();
  psizl->cx = Advance(*hdc, text);
  psizl->cy = fm.ascent() + fm.descent();
  return TRUE;
}

CSize CDC::GetTextExtent(LPCSTR lpszString, int nCount) const {
  SIZE size{0, 0};
  GetTextExtentPoint32A(m_hDC, lpszString, nCount, &size);
  return size;
}

BOOL DrawStateA(HDC hdc, HBRUSH, DRAWSTATEPROC, LPARAM lData, WPARAM wData, int x, int y, int cx, int cy, UINT uFlags) {
  const UINT kind = uFlags & 0x000F, look = uFlags & ~0x000Fu;
  if (!hdc || (kind != DST_TEXT && kind != DST_PREFIXTEXT) || (look & ~DSS_DISABLED)) {
    return FALSE;
  }
  const auto* bytes = reinterpret_cast<LPCSTR>(lData);
  if (!bytes) return FALSE;
  const size_t count = wData ? static_cast<size_t>(wData) : std::strlen(bytes);
  const QString raw = FromCp936(bytes, count);
  const PrefixText text = kind == DST_PREFIXTEXT ? StripPrefixes(raw) : PrefixText{raw};

  const QFontMetrics& fm = DrawingMetrics(*hdc);
  if (cx <= 0 || cy <= 0) {
    cx = Advance(*hdc, text.shown);
    cy = fm.ascent() + fm.descent();
  }
  const gdi::DcState& s = hdc->state;
  QPainter& p = hdc->painter;
  if (look & DSS_DISABLED) {
    const struct {
      int dx;
      COLORREF color;
    } layers[] = {{1, RGB(255, 255, 255)}, {0, RGB(128, 128, 128)}};
    for (const auto& layer : layers) {
      p.save();
      p.setClipRect(QRect(x + layer.dx, y + layer.dx, cx, cy), Qt::IntersectClip);
      PaintText(*hdc, text, x + layer.dx, y + layer.dx, layer.color);
      p.restore();
    }
  } else {
    if (s.bkMode == OPAQUE) {
      hdc->Fill(x, y, x + Advance(*hdc, text.shown), y + fm.ascent() + fm.descent(), RGB(255, 255, 255));
    }
    PaintText(*hdc, text, x, y, s.textColor);
  }
  return TRUE;
}

BOOL CDC::DrawState(CPoint pt, CSize size, LPCSTR lpszText, UINT nFlags, BOOL bPrefixText, int nTextLen, CBrush*) {
  const UINT kind = bPrefixText ? DST_PREFIXTEXT : DST_TEXT;
  return DrawStateA(m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(lpszText),
                    static_cast<WPARAM>(std::max(nTextLen, 0)), pt.x, pt.y, size.cx, size.cy, nFlags | kind);
}
