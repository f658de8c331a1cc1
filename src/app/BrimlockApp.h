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

// With --help or --version among the arguments, writes its answer to standard output and
// gives true: the program then ends without a window, and before the toolkit starts, which
// would want a display the answer does not need.
bool AnswerHelpOrVersion(int argc, char** argv);
