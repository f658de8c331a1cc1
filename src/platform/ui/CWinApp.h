#pragma once
// The application object: start-up, shutdown, resources and the last stop of commands.
// LoadIcon, AfxWinInit and AfxWinMain are the toolkit's (qt/app.cpp, win32/app.cpp).
#include "platform/ui/CWnd.h"

class CWinApp : public CCmdTarget {
 public:
  explicit CWinApp(LPCSTR appName = nullptr);
  ~CWinApp() override;

  virtual BOOL InitInstance();
  virtual int ExitInstance();

  HICON LoadIcon(UINT id) const;
  void SetRegistryKey(LPCSTR key);

  CWnd* m_pMainWnd = nullptr;
  // The executable's file name without extension, unless a name was given.
  LPCSTR m_pszAppName = nullptr;
  LPCSTR m_pszRegistryKey = nullptr;
  // What follows the program's name on its command line, its arguments joined by blanks.
  LPCSTR m_lpCmdLine = "";

  // F1 comes here as ID_HELP.
  void OnHelp();
  // Names the application after its executable, unless a name was given.
  void SetAppNameFromFile(const CString& baseName);
  // The arguments after the program's name, as the toolkit leaves them.
  void SetCommandLine(int argc, char** argv);

  DECLARE_MESSAGE_MAP()

 private:
  CString m_appName;
  CString m_registryKey;
  CString m_cmdLine;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
LPCSTR AfxGetAppName();

// Names the application after the executable; the toolkit application must exist already.
void AfxWinInit(const char* argv0);
// The program's entry: the toolkit, the application name, InitInstance, ExitInstance.
int AfxWinMain(int argc, char** argv);

int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);

#if defined(_WIN32)
// The platform's common controls: InitCommonControlsEx registers their classes.
#include <commctrl.h>
#else
// Controls need no registration or hosting set-up here; the call remains for the program.
struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
#define ICC_WIN95_CLASSES 0x000000FF
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
#endif
void AfxEnableControlContainer(void* containerManager = nullptr);
