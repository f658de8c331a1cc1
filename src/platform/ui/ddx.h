#pragma once
// Data exchange between a dialog's controls and its members, with validation.
#include "platform/ui/CWnd.h"

// Thrown by a failed validation to end the exchange; the user has been told already.
struct CUserException {};

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;

  // Remembers the edit being exchanged, so that a failure can focus it.
  HWND PrepareEditCtrl(int id);
  HWND PrepareCtrl(int id);
  HWND LastControl() const { return m_hWndLastControl; }
  // Focuses and selects the last edit, then ends the exchange.
  [[noreturn]] void Fail();

 private:
  HWND m_hWndLastControl = nullptr;
  bool m_bEditLastControl = false;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, CString& value);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars);
