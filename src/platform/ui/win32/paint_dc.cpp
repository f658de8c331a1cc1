// A window's paint: BeginPaint's context, ended with EndPaint.
#include "platform/ui/CPaintDC.h"

#include "platform/ui/CWnd.h"

struct CPaintDC::Painting {
  HWND window;
  PAINTSTRUCT paint;
};

CPaintDC::CPaintDC(CWnd* wnd) {
  if (wnd == nullptr || wnd->m_hWnd == nullptr) return;
  m_painting = std::make_unique<Painting>();
  m_painting->window = wnd->m_hWnd;
  Attach(BeginPaint(m_painting->window, &m_painting->paint));
}

CPaintDC::~CPaintDC() {
  Detach();
  if (m_painting) EndPaint(m_painting->window, &m_painting->paint);
}
