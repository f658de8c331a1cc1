#pragma once
// The device context of a window's paint; only valid while the window handles WM_PAINT.
#include <memory>

#include "platform/gdi/afxgdi.h"

class CWnd;

class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;

 private:
  struct Painting;
  std::unique_ptr<Painting> m_painting;
};
