#pragma once
// The standard controls the program binds to members.
#include "platform/ui/CWnd.h"

class CEdit : public CWnd {
 public:
  // The limit counts bytes of the text and holds for what the user types or pastes; text
  // the program sets is taken whole.
  void SetLimitText(UINT maxBytes) { SendMessage(EM_LIMITTEXT, maxBytes, 0); }
  UINT GetLimitText() const;
  void SetSel(int start, int end) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
};

#if !defined(_WIN32)  // the platform's own on Windows
using ULONG_PTR = std::uintptr_t;

// What an owner-drawn control is told at each paint. hDC draws on the control itself and
// lives for that paint only; rcItem is its client rectangle.
struct DRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;

#define ODT_BUTTON 4
#define ODA_DRAWENTIRE 0x0001
#define ODS_SELECTED 0x0001
#define ODS_DISABLED 0x0004
#define ODS_FOCUS 0x0010
#define ODS_DEFAULT 0x0020
#endif

class CButton : public CWnd {
 public:
  int GetCheck() const;
  void SetCheck(int check);
  // Called for every paint of an owner-drawn button.
  virtual void DrawItem(LPDRAWITEMSTRUCT /*lpDrawItemStruct*/) {}
};

class CComboBox : public CWnd {
 public:
  // Inserts at the index given, whatever the sorted style says.
  int InsertString(int index, LPCSTR text);
  int SetCurSel(int index);
  int GetCurSel() const;
  int GetCount() const;
  int GetLBText(int index, CString& text) const;
};
