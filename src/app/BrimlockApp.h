#pragma once
// The application: start-up, the main dialog's run, and shutdown.
#include "platform/data/ado.h"
#include "platform/ui/afxwin.h"

class CBrimlockApp : public CWinApp {
 public:
  CBrimlockApp();
  ~CBrimlockApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;

  _ConnectionPtr m_pConnection;

  DECLARE_MESSAGE_MAP()
};

extern CBrimlockApp theApp;
