#include "platform/ui/ddx.h"

#include "platform/ui/CWinApp.h"
#include "platform/ui/controls.h"

HWND CDataExchange::PrepareCtrl(int id) {
  CWnd* control = m_pDlgWnd->GetDlgItem(id);
  m_hWndLastControl = control ? control->m_hWnd : nullptr;
  m_bEditLastControl = false;
  return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
  HWND h = PrepareCtrl(id);
  m_bEditLastControl = true;
  return h;
}

void CDataExchange::Fail() {
  if (!m_bSaveAndValidate) throw CUserException{};
  if (CWnd* control = CWnd::FromHandle(m_hWndLastControl)) {
    control->SetFocus();
    if (m_bEditLastControl) control->SendMessage(EM_SETSEL, 0, -1);
  }
  throw CUserException{};
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  // Only the first exchange attaches; later ones find the object attached already.
  if (control.m_hWnd == nullptr) control.SubclassDlgItem(static_cast<UINT>(id), pDX->m_pDlgWnd);
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
  CWnd* control = CWnd::FromHandle(pDX->PrepareEditCtrl(id));
  if (control == nullptr) return;
  if (pDX->m_bSaveAndValidate) control->GetWindowText(value);
  else control->SetWindowText(value);
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars) {
  if (!pDX->m_bSaveAndValidate) {
    if (CWnd* last = CWnd::FromHandle(pDX->LastControl())) {
      last->SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    }
    return;
  }
  if (value.GetLength() > maxChars) {
    // The framework's own message, with %1 replaced by the limit.
    std::string text = "Enter no more than %1 characters.";
    text.replace(text.find("%1"), 2, std::to_string(maxChars));
    AfxMessageBox(text.c_str(), MB_ICONEXCLAMATION);
    pDX->Fail();
  }
}
