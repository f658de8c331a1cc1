#pragma once
// The drawing layer's meeting point with the toolkit, for the window layer only: the
// program itself never includes this header.
#include <QFont>
#include <QGlyphRun>
#include <QIcon>
#include <QList>
#include <QRegion>
#include <QString>

#include <map>
#include <utility>

#include "platform/gdi/afxgdi.h"

class QPainter;

struct HICON__ {
  QIcon icon;
};

namespace gdi {

struct FontData {
  QFont font;
  // The font as text is measured and drawn with it: never antialiased (see text.cpp).
  QFont drawing;
  // Widths of texts measured with it, by device resolution: a window measures its caption
  // at every paint, and the toolkit would lay the text out anew each time.
  mutable std::map<std::pair<int, QString>, int> advances;
  // Texts laid out into glyphs, likewise: drawing a caption again costs no shaping.
  struct Glyphs {
    QList<QGlyphRun> runs;
    qreal ascent = 0;  // of the laid-out line, which the runs' positions start from
  };
  mutable std::map<std::pair<int, QString>, Glyphs> glyphs;
};

// One paint's device context over a painter that is already drawing (on a widget, an
// image, ...) and outlives this object. It starts as the platform hands a context to a
// paint: a black 1-pixel solid pen, a white brush, the painter's font, OPAQUE background,
// black text, current position (0, 0). The painter's own state is saved at construction and
// restored at destruction, so the drawing leaves no settings behind.
class PaintContext {
 public:
  explicit PaintContext(QPainter& painter);
  ~PaintContext();
  PaintContext(const PaintContext&) = delete;
  PaintContext& operator=(const PaintContext&) = delete;

  HDC hdc() const { return m_dc.get(); }

 private:
  std::unique_ptr<HDC__> m_dc;
};

// A window's font for the drawing layer; the CFont holds a copy of the QFont, and keeps
// the copy it has when given the same font again.
void SetQFont(CFont& font, const QFont& qfont);
// A window's font as the platform hands it out (WM_GETFONT): one handle per distinct font,
// owned here and alive for the whole run, never deleted by those who wrap it.
HFONT FontHandleOf(const QFont& qfont);

// The region's pixels, for QWidget::setMask. An empty or null region gives an empty QRegion.
QRegion ToQRegion(HRGN region);

// An icon handle over a QIcon (built, for instance, with QIcon::addFile from PNG files of
// each size). The caller owns the handle and frees it with DestroyIcon.
HICON CreateIcon(const QIcon& icon);
void DestroyIcon(HICON icon);
// A null handle gives a null QIcon.
QIcon ToQIcon(HICON icon);

}  // namespace gdi
