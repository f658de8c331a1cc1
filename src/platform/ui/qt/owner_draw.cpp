#include "platform/ui/qt/owner_draw.h"

#include <QPainter>
#include <QPushButton>

#include "platform/gdi/qt/bridge.h"
#include "platform/ui/qt/bridge.h"
#include "platform/ui/controls.h"

namespace ui {
namespace {

// Set by a paint that erased; a widget without it (before its first paint, or once an
// erase is asked for) erases at its next paint. One property: reading one costs a search of
// the class's names.
constexpr char kErased[] = "brimlock.erased";

// The button's state as the platform reports it to the drawing code.
UINT ItemState(const QAbstractButton& button) {
  UINT state = 0;
  if (button.isDown()) state |= ODS_SELECTED;
  if (!button.isEnabled()) state |= ODS_DISABLED;
  if (button.hasFocus()) state |= ODS_FOCUS;
  if (auto* push = qobject_cast<const QPushButton*>(&button); push != nullptr && push->isDefault()) {
    state |= ODS_DEFAULT;
  }
  return state;
}

}  // namespace

bool IsOwnerDrawnButton(const QWidget* w) {
  if (qobject_cast<const QAbstractButton*>(w) == nullptr) return false;
  return (w->property("brimlock.style").toUInt() & BS_TYPEMASK) == BS_OWNERDRAW;
}

void PaintOwnerDrawn(QWidget* w, CWnd* window) {
  auto* button = dynamic_cast<CButton*>(window);
  if (button == nullptr) return;
  QPainter painter(w);
  gdi::PaintContext context(painter);

  if (!w->property(kErased).toBool()) {
    w->setProperty(kErased, true);
    window->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(context.hdc()), 0);
  }

  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_BUTTON;
  dis.CtlID = static_cast<UINT>(window->GetDlgCtrlID());
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = ItemState(*static_cast<QAbstractButton*>(w));
  dis.hwndItem = Handle(w);
  dis.hDC = context.hdc();
  window->GetClientRect(&dis.rcItem);
  button->DrawItem(&dis);
}

void RequestErase(QWidget* w) { w->setProperty(kErased, QVariant()); }

}  // namespace ui
