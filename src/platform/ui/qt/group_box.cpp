#include "platform/ui/qt/group_box.h"

#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <algorithm>

namespace ui {
namespace {

// Fusion draws a box's frame as its nine-part picture stretched over the box, and the
// raster engine blends any piece more than 96 rows tall on its pool's threads, which a first
// paint would start (and the exit wait for). The middle part is an all but transparent tint
// over the framed controls, which are kept out of the paint anyway, and each edge part is
// the same along its length. So the corners and edges are drawn alone, the tall edges a
// part's height at a time: the same pixels, on this thread. The picture is read as the PNG
// it is, without asking every image plugin about it.
constexpr char kFusionFrame[] = ":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png";
constexpr int kFusionFrameMargin = 6;
constexpr int kFusionTopMargin = 3;  // above the frame of a box without a caption

const QPixmap* FusionFramePicture() {
  // Kept for the whole run: the picture would otherwise outlive the application object.
  static const QPixmap* picture = [] {
    QImageReader reader(QString::fromLatin1(kFusionFrame), "png");
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    return image.isNull() ? nullptr : new QPixmap(QPixmap::fromImage(image));
  }();
  return picture;
}

void DrawFrameEdge(QPainter& painter, const QRect& frame, const QPixmap& picture) {
  const int m = kFusionFrameMargin;
  const QRect middle(m, m, picture.width() - 2 * m, picture.height() - 2 * m);  // of the picture
  const QRect inner = frame.adjusted(m, m, -m, -m);
  const int right = frame.right() - m + 1, bottom = frame.bottom() - m + 1;
  // Corners as they are, the short edges stretched along their length.
  painter.drawPixmap(frame.topLeft(), picture, QRect(0, 0, m, m));
  painter.drawPixmap(QPoint(right, frame.top()), picture, QRect(middle.right() + 1, 0, m, m));
  painter.drawPixmap(QPoint(frame.left(), bottom), picture, QRect(0, middle.bottom() + 1, m, m));
  painter.drawPixmap(QPoint(right, bottom), picture, QRect(middle.right() + 1, middle.bottom() + 1, m, m));
  painter.drawPixmap(QRect(inner.left(), frame.top(), inner.width(), m), picture, QRect(m, 0, middle.width(), m));
  painter.drawPixmap(QRect(inner.left(), bottom, inner.width(), m), picture,
                     QRect(m, middle.bottom() + 1, middle.width(), m));
  // The tall edges, a part's height at a time.
  for (int y = inner.top(); y <= inner.bottom(); y += middle.height()) {
    const int rows = std::min(middle.height(), inner.bottom() + 1 - y);
    painter.drawPixmap(QPoint(frame.left(), y), picture, QRect(0, m, m, rows));
    painter.drawPixmap(QPoint(right, y), picture, QRect(middle.right() + 1, m, m, rows));
  }
}

}  // namespace

void FrameOnlyGroupBox::paintEvent(QPaintEvent*) {
  QStyleOptionGroupBox option;
  initStyleOption(&option);
  QRegion paint = QRegion(rect()) -
                  style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, this);
  // A control lying on the frame keeps its own pixels too.
  if (QWidget* parent = parentWidget()) {
    for (QObject* child : parent->children()) {
      auto* sibling = qobject_cast<QWidget*>(child);
      if (sibling != nullptr && sibling != this && !sibling->isWindow() && sibling->isVisible()) {
        paint -= sibling->geometry().translated(-pos());
      }
    }
  }
  QPainter painter(this);
  painter.setClipRegion(paint);
  const QPixmap* picture = style()->name() == QLatin1String("fusion") ? FusionFramePicture() : nullptr;
  if (picture != nullptr && title().isEmpty() && !isCheckable()) {
    const QRect frame = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, this);
    DrawFrameEdge(painter, frame.adjusted(0, kFusionTopMargin, 0, 0), *picture);
  } else {
    style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
  }
}

}  // namespace ui
