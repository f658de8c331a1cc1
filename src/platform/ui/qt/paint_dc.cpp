#include "platform/ui/CPaintDC.h"

#include <QPainter>

#include "platform/gdi/qt/bridge.h"
#include "platform/ui/qt/bridge.h"

struct CPaintDC::Painting {
  explicit Painting(QWidget* w) : painter(w), context(painter) {}
  QPainter painter;
  gdi::PaintContext context;
};

CPaintDC::CPaintDC(CWnd* wnd) {
  if (QWidget* w = wnd ? ui::Widget(wnd->m_hWnd) : nullptr) {
    m_painting = std::make_unique<Painting>(w);
    Attach(m_painting->context.hdc());
  }
}

CPaintDC::~CPaintDC() {
  Detach();
  m_painting.reset();
}
