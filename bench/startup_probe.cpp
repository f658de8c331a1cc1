// Loaded with LD_PRELOAD into a Qt program that bench_startup starts, so neither program
// needs a hook of its own: notes when the application object is made and when a top-level
// window first paints, then closes that window as an operator would (its close event goes
// through the program's own handling, and the program must then end by itself).
//
// BENCH_STARTUP_OUT=FILE   receives "app NS", "show NS", "paint NS" and "frame NS"
//                          (CLOCK_MONOTONIC): the QApplication made, the window shown,
//                          its first paint begun, and that frame done (the close sent)
// BENCH_STARTUP_SMAPS=FILE receives /proc/self/smaps as it is at the first paint
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

long long NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void Note(const char* what, long long ns) {
  const char* path = std::getenv("BENCH_STARTUP_OUT");
  if (path == nullptr) return;
  int fd = open(path, O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (fd < 0) return;
  char line[64];
  int n = std::snprintf(line, sizeof line, "%s %lld\n", what, ns);
  if (write(fd, line, static_cast<size_t>(n)) != n) std::perror("bench_startup_probe");
  close(fd);
}

void CopySmaps() {
  const char* path = std::getenv("BENCH_STARTUP_SMAPS");
  if (path == nullptr) return;
  int in = open("/proc/self/smaps", O_RDONLY);
  int out = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  char buffer[65536];
  for (ssize_t n; in >= 0 && out >= 0 && (n = read(in, buffer, sizeof buffer)) > 0;) {
    if (write(out, buffer, static_cast<size_t>(n)) != n) break;
  }
  if (in >= 0) close(in);
  if (out >= 0) close(out);
}

class FirstPaint : public QObject {
 public:
  using QObject::QObject;
  // An application filter sees a paint before the window's own filters do, so the program's
  // painting of that window counts after the noted moment, on both sides alike.
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (m_seen || !watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    if (!w->isWindow()) return false;
    if (e->type() == QEvent::Show && !m_shown) {
      m_shown = true;
      Note("show", NowNs());
    }
    if (e->type() != QEvent::Paint) return false;
    m_seen = true;
    Note("paint", NowNs());
    CopySmaps();
    // Queued, so the whole first frame is painted and flushed before the window closes.
    QPointer<QWidget> window = w;
    QTimer::singleShot(0, qApp, [window] {
      Note("frame", NowNs());
      if (window != nullptr) window->close();
    });
    return false;
  }

 private:
  bool m_shown = false;
  bool m_seen = false;
};

void Install() {
  Note("app", NowNs());
  qApp->installEventFilter(new FirstPaint(qApp));
}

// Runs when the library is loaded, before the program's main; the routine itself runs once
// the program makes its QApplication.
const bool registered = [] {
  qAddPreRoutine(Install);
  return true;
}();

}  // namespace
