#include "platform/ui/qt/group_box.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionGroupBox>

namespace ui {

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
  style()->drawComplexControl(QStyle::CC_GroupBox, &option, &painter, this);
}

}  // namespace ui
