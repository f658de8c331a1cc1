#pragma once
#include "platform/ui/afxwin.h"
#include "resources/resource.h"

// The About box: fixed texts, OK and Cancel end it.
class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
  ~CAboutDlg() override;

  enum { IDD = IDD_ABOUTBOX };

 protected:
  void DoDataExchange(CDataExchange* pDX) override;

  DECLARE_MESSAGE_MAP()
};
