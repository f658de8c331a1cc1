#include "platform/ui/qt/mouse_tracking.h"

#include <QTimer>

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "platform/ui/qt/bridge.h"
#include "platform/ui/commctrl.h"

namespace ui {
namespace {

// The platform's hover time when a request asks for the default.
constexpr int kDefaultHoverMs = 400;

struct Tracking {
  bool hover = false;
  bool leave = false;
  bool inside = false;
  QPoint position;
  int hoverMs = kDefaultHoverMs;
  QTimer timer;  // single shot: the pointer has rested long enough when it fires
};

// Where the pointer was last seen, so that a request made while handling a move knows it.
// The widget is only compared, never reached through.
struct LastSeen {
  const QWidget* widget = nullptr;
  QPoint position;
} g_lastSeen;

std::unordered_map<QWidget*, std::unique_ptr<Tracking>>& Trackings() {
  static std::unordered_map<QWidget*, std::unique_ptr<Tracking>> map;
  return map;
}

Tracking* Find(QWidget* w) {
  auto& map = Trackings();
  auto it = map.find(w);
  return it == map.end() ? nullptr : it->second.get();
}

LPARAM PointParam(QPoint p) { return static_cast<LPARAM>(MAKEWPARAM(p.x(), p.y())); }

void HoverDue(QWidget* w) {
  Tracking* t = Find(w);
  if (t == nullptr || !t->hover || !t->inside) return;
  // One notice per request: the program asks again if it wants another.
  t->hover = false;
  if (CWnd* window = Attached(w)) window->SendMessage(WM_MOUSEHOVER, 0, PointParam(t->position));
}

Tracking& Obtain(QWidget* w) {
  auto& map = Trackings();
  auto it = map.find(w);
  if (it != map.end()) return *it->second;
  auto made = std::make_unique<Tracking>();
  Tracking& t = *made;
  t.inside = w->underMouse() || (g_lastSeen.widget == w && w->rect().contains(g_lastSeen.position));
  t.position = g_lastSeen.widget == w ? g_lastSeen.position : QPoint();
  t.timer.setSingleShot(true);
  QObject::connect(&t.timer, &QTimer::timeout, &t.timer, [w] { HoverDue(w); });
  QObject::connect(w, &QObject::destroyed, [w] {
    Trackings().erase(w);
    if (g_lastSeen.widget == w) g_lastSeen = {};
  });
  map.emplace(w, std::move(made));
  return t;
}

}  // namespace

void TrackingPointerMoved(QWidget* w, QPoint pos) {
  g_lastSeen = {w, pos};
  Tracking* t = Find(w);
  if (t == nullptr) return;
  t->position = pos;
  t->inside = w->rect().contains(pos);
  if (!t->hover) return;
  if (t->inside) t->timer.start(t->hoverMs);
  else t->timer.stop();
}

void TrackingPointerLeft(QWidget* w) {
  if (g_lastSeen.widget == w) g_lastSeen = {};
  Tracking* t = Find(w);
  if (t == nullptr) return;
  t->inside = false;
  t->timer.stop();
  if (!t->leave) return;
  // The leave notice ends every request for the window, the hover one included.
  t->leave = false;
  t->hover = false;
  if (CWnd* window = Attached(w)) window->SendMessage(WM_MOUSELEAVE, 0, 0);
}

}  // namespace ui

BOOL _TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack) {
  if (lpEventTrack == nullptr || lpEventTrack->cbSize != sizeof(TRACKMOUSEEVENT)) return FALSE;
  if (lpEventTrack->dwFlags & ~static_cast<DWORD>(TME_HOVER | TME_LEAVE)) return FALSE;
  // The notices go to the window's object; a handle without one names no window we know.
  QWidget* w = ui::Widget(lpEventTrack->hwndTrack);
  if (w == nullptr || ui::Attached(w) == nullptr) return FALSE;
  ui::Tracking& t = ui::Obtain(w);
  if (lpEventTrack->dwFlags & TME_LEAVE) t.leave = true;
  if (lpEventTrack->dwFlags & TME_HOVER) {
    const DWORD ms = lpEventTrack->dwHoverTime;
    t.hoverMs = ms == HOVER_DEFAULT ? ui::kDefaultHoverMs : static_cast<int>(std::min<DWORD>(ms, 0x7FFFFFFF));
    t.hover = true;
    // The wait starts at the request, from where the pointer is now.
    if (t.inside) t.timer.start(t.hoverMs);
  }
  return TRUE;
}
