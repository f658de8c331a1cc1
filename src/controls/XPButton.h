#pragma once
// The program's command buttons, drawn flat: a black rounded outline, a white-to-grey face,
// an orange frame under the pointer and a blue one with the keyboard focus. Only the look
// changes; clicks, keys and notifications stay those of a plain push button.
#include "platform/ui/afxwin.h"

class CXPButton : public CButton {
 public:
  CXPButton();
  ~CXPButton() override;

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

 protected:
  void PreSubclassWindow() override;
  virtual void FillFaceGradient(CDC* pDC, CRect* pRect);
  virtual void DrawHighlightFrame(CDC* pDC, CRect* pRect);

  void OnMouseMove(UINT nFlags, CPoint point);
  LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
  BOOL OnEraseBkgnd(CDC* pDC);

  DECLARE_MESSAGE_MAP()

 protected:
  CPen m_penOutline;
  CPen m_penHotLeft;
  CPen m_penHotRight;
  CPen m_penHotTop;
  CPen m_penHotBottom;
  CPen m_penFocusLeft;
  CPen m_penFocusRight;
  CPen m_penFocusTop;
  CPen m_penFocusBottom;

  BOOL m_bMouseOver;
  BOOL m_bTrackingMouse;
  BOOL m_bHasFocus;
  BOOL m_bEngaged;
};
