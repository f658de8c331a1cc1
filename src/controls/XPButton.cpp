#include "controls/XPButton.h"

#include <algorithm>

CXPButton::CXPButton() : m_bMouseOver(FALSE), m_bTrackingMouse(FALSE), m_bHasFocus(FALSE), m_bEngaged(FALSE) {
  m_penOutline.CreatePen(PS_INSIDEFRAME, 1, RGB(0, 0, 0));
  m_penHotLeft.CreatePen(PS_INSIDEFRAME, 3, RGB(250, 196, 88));
  m_penHotRight.CreatePen(PS_INSIDEFRAME, 3, RGB(251, 202, 106));
  m_penHotTop.CreatePen(PS_INSIDEFRAME, 2, RGB(252, 210, 121));
  m_penHotBottom.CreatePen(PS_INSIDEFRAME, 2, RGB(229, 151, 0));
  m_penFocusLeft.CreatePen(PS_INSIDEFRAME, 3, RGB(153, 198, 252));
  m_penFocusRight.CreatePen(PS_INSIDEFRAME, 3, RGB(162, 189, 252));
  m_penFocusTop.CreatePen(PS_INSIDEFRAME, 2, RGB(162, 201, 255));
  m_penFocusBottom.CreatePen(PS_INSIDEFRAME, 2, RGB(162, 201, 255));
}

CXPButton::~CXPButton() {
  m_penOutline.DeleteObject();
  m_penHotLeft.DeleteObject();
  m_penHotRight.DeleteObject();
  m_penHotTop.DeleteObject();
  m_penHotBottom.DeleteObject();
  m_penFocusLeft.DeleteObject();
  m_penFocusRight.DeleteObject();
  m_penFocusTop.DeleteObject();
  m_penFocusBottom.DeleteObject();
}

BEGIN_MESSAGE_MAP(CXPButton, CButton)
  ON_WM_MOUSEMOVE()
  ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
  ON_MESSAGE(WM_MOUSEHOVER, OnMouseHover)
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CXPButton::PreSubclassWindow() {
  CButton::PreSubclassWindow();
  // The template's buttons are plain push buttons (type 0), so this gives exactly owner-draw.
  ModifyStyle(0, BS_OWNERDRAW, 0);

  // The shape is cut once, at attach time; the buttons are never resized.
  CRect rect;
  GetClientRect(&rect);
  CRgn rgn;
  rgn.CreateRoundRectRgn(rect.left, rect.top, rect.right, rect.bottom, 5, 5);
  SetWindowRgn(&rgn, TRUE);
}

void CXPButton::OnMouseMove(UINT /*nFlags*/, CPoint /*point*/) {
  // One request per entry: it stays in force until the leave notice clears it.
  if (!m_bTrackingMouse) {
    TRACKMOUSEEVENT tme;
    tme.cbSize = sizeof(TRACKMOUSEEVENT);
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = m_hWnd;
    tme.dwHoverTime = 1;
    m_bTrackingMouse = _TrackMouseEvent(&tme);
  }
  // The button's own handling (pressing, dragging off) needs every move.
  Default();
}

LRESULT CXPButton::OnMouseHover(WPARAM /*wParam*/, LPARAM /*lParam*/) {
  m_bMouseOver = TRUE;
  InvalidateRect(nullptr, TRUE);
  return 0;
}

LRESULT CXPButton::OnMouseLeave(WPARAM /*wParam*/, LPARAM /*lParam*/) {
  m_bMouseOver = FALSE;
  m_bTrackingMouse = FALSE;
  InvalidateRect(nullptr, FALSE);
  return 0;
}

BOOL CXPButton::OnEraseBkgnd(CDC* /*pDC*/) {
  // DrawItem covers the whole button, so erasing first would only flicker.
  return TRUE;
}

void CXPButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
  const int nSavedDC = pDC->SaveDC();
  CRect rect = lpDrawItemStruct->rcItem;
  const UINT state = lpDrawItemStruct->itemState;

  char szText[260];
  GetWindowText(szText, sizeof(szText));

  CPen* pOldPen = pDC->SelectObject(&m_penOutline);
  pDC->RoundRect(&rect, CPoint(5, 5));

  m_bHasFocus = m_bEngaged = (state & ODS_FOCUS) ? TRUE : FALSE;
  if (state & (ODS_SELECTED | ODS_DEFAULT)) m_bEngaged = TRUE;

  pDC->SelectObject(pOldPen);

  CRect rcInner = rect;
  rcInner.InflateRect(-GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));

  FillFaceGradient(pDC, &rcInner);
  if (m_bMouseOver || m_bHasFocus) DrawHighlightFrame(pDC, &rcInner);

  // The caption, centred on the face by the extent of its raw text, ampersands included.
  CFont* pOldFont = pDC->SelectObject(GetFont());
  SIZE size;
  GetTextExtentPoint32A(pDC->GetSafeHdc(), szText, lstrlen(szText), &size);
  CPoint ptCenter((rcInner.left + rcInner.right) / 2, (rcInner.top + rcInner.bottom) / 2);
  CPoint ptOrigin(ptCenter.x - size.cx / 2, ptCenter.y - size.cy / 2);
  if (state & ODS_SELECTED) {
    ptOrigin.x += 1;
    ptOrigin.y += 1;
  }
  const int nOldBkMode = pDC->SetBkMode(TRANSPARENT);
  DrawStateA(pDC->GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>(szText), 0, ptOrigin.x, ptOrigin.y, size.cx,
             size.cy, DST_PREFIXTEXT | ((state & ODS_DISABLED) ? DSS_DISABLED : DSS_NORMAL));
  pDC->SelectObject(pOldFont);
  pDC->SetBkMode(nOldBkMode);

  pDC->RestoreDC(nSavedDC);
}

void CXPButton::FillFaceGradient(CDC* pDC, CRect* pRect) {
  CBrush brushes[64];
  for (int k = 0; k < 64; ++k) {
    COLORREF color;
    if (!m_bMouseOver && !m_bEngaged) color = RGB(255 - k / 3, 255 - k / 3, 255 - k / 5);
    else if (!m_bMouseOver) color = RGB(255 - k / 3, 255 - k / 3, 255 - k / 4);
    else if (!m_bEngaged) color = RGB(255 - k / 4, 255 - k / 4, 255 - k / 5);
    else color = RGB(255 - k / 4, 255 - k / 4, 255 - k / 3);
    brushes[k].CreateSolidBrush(color);
  }

  const int nWidth = pRect->Width();
  const int nHeight = pRect->Height();
  // A face with no height has nothing to shade, and would divide by zero.
  if (nHeight > 0) {
    // Rows run by their own y, one past the face; the lowest rows count past the last
    // brush and keep it.
    for (int y = pRect->top; y <= nHeight + 2; ++y) {
      CRect row(pRect->left, y, nWidth + 2, y + 1);
      const int k = std::clamp(y * 63 / nHeight, 0, 63);
      pDC->FillRect(&row, &brushes[k]);
    }
  }

  for (CBrush& brush : brushes) brush.DeleteObject();
}

void CXPButton::DrawHighlightFrame(CDC* pDC, CRect* pRect) {
  // The focus look only while the pointer is elsewhere: the pointer's frame wins.
  const BOOL bFocusLook = m_bHasFocus && !m_bMouseOver;
  CPen* pLeft = bFocusLook ? &m_penFocusLeft : &m_penHotLeft;
  CPen* pRight = bFocusLook ? &m_penFocusRight : &m_penHotRight;
  CPen* pTop = bFocusLook ? &m_penFocusTop : &m_penHotTop;
  CPen* pBottom = bFocusLook ? &m_penFocusBottom : &m_penHotBottom;

  CPen* pOldPen = pDC->SelectObject(pLeft);
  CPoint ptOld = pDC->MoveTo(pRect->left, pRect->bottom - 1);
  pDC->LineTo(pRect->left, pRect->top + 1);

  pDC->SelectObject(pRight);
  pDC->MoveTo(pRect->right - 1, pRect->bottom - 1);
  pDC->LineTo(pRect->right - 1, pRect->top);

  pDC->SelectObject(pTop);
  pDC->MoveTo(pRect->left, pRect->top);
  pDC->LineTo(pRect->right - 1, pRect->top);

  pDC->SelectObject(pBottom);
  pDC->MoveTo(pRect->left, pRect->bottom);
  pDC->LineTo(pRect->right - 1, pRect->bottom);

  pDC->SelectObject(pOldPen);
  pDC->MoveTo(ptOld);

  if (bFocusLook) DrawFocusRect(pDC->GetSafeHdc(), pRect);
}
