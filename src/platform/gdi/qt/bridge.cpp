#include "platform/gdi/qt/bridge.h"

#include <QPainter>

#include "platform/gdi/qt/device_context.h"
#include "platform/gdi/qt/objects.h"

namespace gdi {

PaintContext::PaintContext(QPainter& painter) : m_dc(std::make_unique<HDC__>(painter)) {}
PaintContext::~PaintContext() = default;

void SetQFont(CFont& font, const QFont& qfont) {
  // A window hands over its font at every paint; building the drawing font once is enough.
  if (const HFONT held = font; held && held->data->font == qfont) return;
  QFont drawing = qfont;
  drawing.setStyleStrategy(QFont::StyleStrategy(drawing.styleStrategy() | QFont::NoAntialias));
  font.DeleteObject();
  font.Attach(CreateFontHandle(std::make_shared<const FontData>(FontData{qfont, drawing, {}, {}})));
}

HFONT FontHandleOf(const QFont& qfont) {
  // Windows share a few fonts, so the table stays small. Only the toolkit's thread asks.
  static auto& fonts = *new std::map<QFont, CFont>;
  CFont& font = fonts[qfont];
  if (!font.GetSafeHandle()) SetQFont(font, qfont);
  return font;
}

QRegion ToQRegion(HRGN region) {
  QRegion out;
  if (!region) return out;
  const Shape& shape = region->shape;
  for (size_t i = 0; i < shape.rows.size(); ++i) {
    const Span span = shape.rows[i];
    if (span.x0 < span.x1) out += QRect(span.x0, shape.top + static_cast<int>(i), span.x1 - span.x0, 1);
  }
  return out;
}

HICON CreateIcon(const QIcon& icon) { return new HICON__{icon}; }
void DestroyIcon(HICON icon) { delete icon; }
QIcon ToQIcon(HICON icon) { return icon ? icon->icon : QIcon(); }

}  // namespace gdi
