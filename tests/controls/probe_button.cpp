#include "probe_button.h"

BEGIN_MESSAGE_MAP(ProbeButton, CXPButton)
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_MOUSEHOVER, OnMouseHover)
  ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
END_MESSAGE_MAP()

BOOL ProbeButton::OnEraseBkgnd(CDC* pDC) {
  // Only counted when the paint's context came along with it.
  if (pDC != nullptr && pDC->GetSafeHdc() != nullptr) ++erases;
  return CXPButton::OnEraseBkgnd(pDC);
}

LRESULT ProbeButton::OnMouseHover(WPARAM wParam, LPARAM lParam) {
  ++hovers;
  return CXPButton::OnMouseHover(wParam, lParam);
}

LRESULT ProbeButton::OnMouseLeave(WPARAM wParam, LPARAM lParam) {
  ++leaves;
  return CXPButton::OnMouseLeave(wParam, lParam);
}

void ProbeButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  ++paints;
  lastItemState = lpDrawItemStruct->itemState;
  CXPButton::DrawItem(lpDrawItemStruct);
}

Picture Render(CXPButton& button, int width, int height, UINT itemState) {
  return Paint(width, height, kBackground, [&](CDC* dc) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = itemState;
    dis.hwndItem = button.m_hWnd;
    dis.hDC = dc->GetSafeHdc();
    dis.rcItem = {0, 0, width, height};
    button.DrawItem(&dis);
  });
}
