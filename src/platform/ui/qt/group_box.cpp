#include "platform/ui/qt/group_box.h"

#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <vector>

namespace ui {
namespace {

// Fusion draws a box's frame as its nine-part picture stretched over the box. The middle
// part is an all but transparent tint over the framed controls, which are kept out of the
// paint anyway; stretching it costs a first paint more than all the rest, and starts the
// toolkit's thread pool for the scaling. So the eight parts of the edge are drawn alone,
// the same fragments the style draws, and the picture is read as the PNG it is, without
// asking every image plugin about it.
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
  const int sx[] = {0, m, picture.width() - m, picture.width()};
  const int sy[] = {0, m, picture.height() - m, picture.height()};
  const int tx[] = {frame.left(), frame.left() + m, frame.left() + frame.width() - m, frame.left() + frame.width()};
  const int ty[] = {frame.top(), frame.top() + m, frame.top() + frame.height() - m, frame.top() + frame.height()};
  std::vector<QPainter::PixmapFragment> parts;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      if (row == 1 && column == 1) continue;
      const QRectF source(sx[column], sy[row], sx[column + 1] - sx[column], sy[row + 1] - sy[row]);
      const QPointF centre(0.5 * (tx[column] + tx[column + 1]), 0.5 * (ty[row] + ty[row + 1]));
      parts.push_back(QPainter::PixmapFragment::create(centre, source, (tx[column + 1] - tx[column]) / source.width(),
                                                       (ty[row + 1] - ty[row]) / source.height()));
    }
  }
  painter.drawPixmapFragments(parts.data(), static_cast<int>(parts.size()), picture);
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
