#include "platform/ui/qt/bridge.h"

#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include <utility>

#include "platform/text/codepage.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/qt/mouse_tracking.h"
#include "platform/ui/qt/owner_draw.h"

namespace ui {
namespace {

// The toolkit event being delivered, innermost first; a handler's own sends to the window
// carry other messages, so they never count as this event left to the toolkit.
struct Delivery {
  HWND window;
  UINT message;
  bool leftToToolkit;
};
thread_local Delivery* g_delivery = nullptr;

void ShowSystemMenu(CWnd* window, QPoint globalPos) {
  if (CMenu* menu = window->GetSystemMenu(FALSE)) {
    UINT id = menu->Track(window, globalPos.x(), globalPos.y());
    if (id != 0) {
      window->SendMessage(WM_SYSCOMMAND, id, static_cast<LPARAM>(MAKEWPARAM(globalPos.x(), globalPos.y())));
    }
  }
}

// The keyboard rules of a dialog, applied before the focused control sees the key.
bool DialogKey(QWidget* receiver, QKeyEvent* e) {
  auto* dialog = dynamic_cast<CDialog*>(Attached(receiver->window()));
  if (dialog == nullptr) return false;
  Qt::KeyboardModifiers mods = e->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::ShiftModifier);
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (mods & (Qt::AltModifier | Qt::ControlModifier)) return false;
      // A focused push button takes Enter as its own click; anywhere else it means OK.
      if (auto* button = qobject_cast<QPushButton*>(receiver); button != nullptr && button->isEnabled()) {
        button->click();
      } else {
        dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      }
      return true;
    case Qt::Key_Escape: dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); return true;
    case Qt::Key_F1:
      if (mods != Qt::NoModifier) return false;
      dialog->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, BN_CLICKED), 0);
      return true;
    case Qt::Key_Space:
      if (mods != Qt::AltModifier) return false;
      ShowSystemMenu(dialog, receiver->window()->mapToGlobal(QPoint(0, 0)));
      return true;
    case Qt::Key_F4:
      if (mods != Qt::AltModifier) return false;
      dialog->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
      return true;
    default: return false;
  }
}

class Bridge : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* e) override {
    auto* w = static_cast<QWidget*>(watched);
    switch (e->type()) {
      case QEvent::KeyPress: return DialogKey(w, static_cast<QKeyEvent*>(e));
      case QEvent::Close:
        if (CWnd* window = Attached(w); window != nullptr && w->isWindow()) {
          // Closing goes through the window's own WM_CLOSE handling, never the toolkit's.
          e->ignore();
          window->SendMessage(WM_CLOSE);
          return true;
        }
        return false;
      case QEvent::ContextMenu:
        if (CWnd* window = Attached(w); window != nullptr && w->isWindow()) {
          ShowSystemMenu(window, static_cast<QContextMenuEvent*>(e)->globalPos());
          return true;
        }
        return false;
      case QEvent::Paint:
        if (IsOwnerDrawnButton(w)) {
          PaintOwnerDrawn(w, Attached(w));
          return true;
        }
        if (CWnd* window = Attached(w)) {
          return !DeliverEvent(window, WM_PAINT, 0, 0);
        }
        return false;
      case QEvent::MouseMove: {
        QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
        TrackingPointerMoved(w, p);
        if (CWnd* window = Attached(w)) {
          return !DeliverEvent(window, WM_MOUSEMOVE, 0, static_cast<LPARAM>(MAKEWPARAM(p.x(), p.y())));
        }
        return false;
      }
      case QEvent::Enter: {
        // The platform tells a window the pointer has come over it with a mouse move, also
        // when the window came to a pointer standing still. The toolkit still sees the enter.
        QPoint p = static_cast<QEnterEvent*>(e)->position().toPoint();
        TrackingPointerMoved(w, p);
        if (CWnd* window = Attached(w)) {
          DeliverEvent(window, WM_MOUSEMOVE, 0, static_cast<LPARAM>(MAKEWPARAM(p.x(), p.y())));
        }
        return false;
      }
      case QEvent::Leave: TrackingPointerLeft(w); return false;
      default: return false;
    }
  }
};

}  // namespace

QString ToQt(std::u16string_view utf16) {
  return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

QString ToQt(LPCSTR cp936) { return ToQt(text::Cp936ToUtf16(cp936 ? cp936 : "")); }

CString FromQt(const QString& s) {
  return CString(text::Utf16ToCp936(
      std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()))));
}

bool DeliverEvent(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam) {
  Delivery delivery{window->m_hWnd, message, false};
  Delivery* outer = std::exchange(g_delivery, &delivery);
  window->WindowProc(message, wParam, lParam);
  g_delivery = outer;
  return delivery.leftToToolkit;
}

void LeaveToToolkit(HWND h, UINT message) {
  if (g_delivery != nullptr && g_delivery->window == h && g_delivery->message == message) {
    g_delivery->leftToToolkit = true;
  }
}

void InstallBridge(QWidget* w) {
  // Lives as long as the process: widgets may outlive any owner we could give it.
  static Bridge* bridge = new Bridge;
  w->installEventFilter(bridge);
  w->setMouseTracking(true);
  QObject::connect(w, &QObject::destroyed, [w] { WindowGone(Handle(w)); });
}

}  // namespace ui
