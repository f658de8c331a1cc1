#pragma once
// The toolkit side of _TrackMouseEvent: what the bridge tells it of the pointer.
#include <QPoint>
#include <QWidget>

namespace ui {

// The pointer moved (or came) to `pos` in the widget's coordinates; a pending hover wait
// starts over while the pointer is inside and stops while it is outside.
void TrackingPointerMoved(QWidget* w, QPoint pos);
// The pointer left the widget: a leave request is answered with WM_MOUSELEAVE.
void TrackingPointerLeft(QWidget* w);

}  // namespace ui
