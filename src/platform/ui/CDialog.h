#pragma once
// A dialog built from a template and run modally.
#include "platform/ui/CWnd.h"
#include "platform/ui/dlgtemplate.h"

class CDataExchange;

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Creates the window and its controls, runs OnInitDialog, and runs until EndDialog; then
  // hides the window and destroys it through the virtual DestroyWindow, once.
  virtual INT_PTR DoModal();
  virtual BOOL OnInitDialog();
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  void EndDialog(int result);

  virtual void OnOK();
  virtual void OnCancel();

 protected:
  virtual void DoDataExchange(CDataExchange* /*pDX*/) {}
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Commands the dialog does not handle go on to the application.
  BOOL OnCmdMsg(UINT id, int code) override;

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

  DECLARE_MESSAGE_MAP()

 private:
  // The dialog's owner: the parent given, else the main window (unless this is it).
  CWnd* Owner() const;
  // Toolkit: creates the window and its controls owned by `owner` (null for none), then
  // runs OnInitDialog and focuses the first tab stop if it returns TRUE, as the platform's
  // WM_INITDIALOG does.
  void CreateFromTemplate(const DLGTEMPLATE& dialogTemplate, CWnd* owner);
  // Toolkit: shows the window and runs until EndModalLoop; the owner is blocked meanwhile.
  void RunModalLoop();
  void EndModalLoop();
  int m_nModalResult = -1;
  bool m_bEnded = false;
  bool m_bInModalLoop = false;
};
