// The toolkit-neutral part of a dialog: its run from creation to destruction, data exchange,
// OK and Cancel. Building the window from the template and the modal loop are the
// toolkit's (qt/dialog.cpp, win32/dialog.cpp).
#include "platform/ui/CDialog.h"

#include "platform/ui/CWinApp.h"
#include "platform/ui/ddx.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
  if (m_hWnd != nullptr) CWnd::DestroyWindow();
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CWnd* CDialog::Owner() const {
  if (m_pParentWnd != nullptr) return m_pParentWnd;
  CWnd* main = AfxGetMainWnd();
  return main != this ? main : nullptr;
}

INT_PTR CDialog::DoModal() {
  const DLGTEMPLATE* t = AfxFindDialogResource(m_nIDTemplate);
  if (t == nullptr) return -1;
  m_bEnded = false;
  m_nModalResult = -1;
  CreateFromTemplate(*t, Owner());
  if (m_hWnd != nullptr && !m_bEnded) {
    m_bInModalLoop = true;
    RunModalLoop();
    m_bInModalLoop = false;
  }
  if (m_hWnd != nullptr) ShowWindow(SW_HIDE);
  DestroyWindow();
  return m_nModalResult;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CUserException&) {
    return FALSE;
  }
  return TRUE;
}

void CDialog::EndDialog(int result) {
  m_nModalResult = result;
  m_bEnded = true;
  if (m_hWnd != nullptr && m_bInModalLoop) EndModalLoop();
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // A dialog turns a close request into Cancel.
  if (message == WM_CLOSE) {
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
  }
  return CWnd::DefWindowProc(message, wParam, lParam);
}

BOOL CDialog::OnCmdMsg(UINT id, int code) {
  if (CWnd::OnCmdMsg(id, code)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app != nullptr && app->OnCmdMsg(id, code);
}
