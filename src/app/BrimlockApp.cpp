#include "app/BrimlockApp.h"

#include <sstream>
#include <string>

#include "dialog/BrimlockDlg.h"

namespace {

// A desk that issues by ticket starts the window with --tickets; any other word on the
// command line is left alone, as the window has always left it.
bool AsksForTicketPanel(LPCSTR commandLine) {
  std::istringstream words(commandLine);
  for (std::string word; words >> word;) {
    if (word == "--tickets") return true;
  }
  return false;
}

}  // namespace

BEGIN_MESSAGE_MAP(CBrimlockApp, CWinApp)
  ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CBrimlockApp::CBrimlockApp() : CWinApp(nullptr) { m_pConnection = nullptr; }

CBrimlockApp::~CBrimlockApp() {
  if (m_pConnection != nullptr) m_pConnection = nullptr;
}

CBrimlockApp theApp;

BOOL CBrimlockApp::InitInstance() {
  INITCOMMONCONTROLSEX InitCtrls;
  InitCtrls.dwSize = sizeof(InitCtrls);
  InitCtrls.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&InitCtrls);

  CWinApp::InitInstance();
  AfxEnableControlContainer();
  SetRegistryKey("应用程序向导生成的本地应用程序");

  CoInitialize(nullptr);
  m_pConnection.CreateInstance(CLSID_Connection, nullptr, CLSCTX_ALL);

  CBrimlockDlg dlg(m_pConnection, AsksForTicketPanel(m_lpCmdLine));
  m_pMainWnd = &dlg;
  dlg.DoModal();
  // The dialog object is destroyed on the way out, releasing its recordset while COM is up.
  return FALSE;
}

int CBrimlockApp::ExitInstance() {
  // A connection that could not be created at start-up has nothing to close, and a close
  // that fails must not keep COM from being shut down.
  if (m_pConnection != nullptr) {
    try {
      if (m_pConnection->GetState() != adStateClosed) m_pConnection->Close();
    } catch (const _com_error&) {
    }
  }
  m_pConnection = nullptr;
  CoUninitialize();
  return CWinApp::ExitInstance();
}
