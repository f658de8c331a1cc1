#pragma once
// Owner-drawn buttons: their object draws every paint, the toolkit's look never shows.
#include <QWidget>

#include "platform/ui/CWnd.h"

namespace ui {

// A push button whose style type is BS_OWNERDRAW.
bool IsOwnerDrawnButton(const QWidget* w);
// One paint of such a button: WM_ERASEBKGND through the window's map when an erase is due
// (asked for by InvalidateRect, or the first paint), then the object's DrawItem over the
// whole client area. `window` may be null; nothing is drawn then.
void PaintOwnerDrawn(QWidget* w, CWnd* window);
// InvalidateRect's erase: kept with the widget until its next owner-drawn paint takes it.
void RequestErase(QWidget* w);

}  // namespace ui
