// The toolkit-neutral part of the application object; start-up, icons and the toolkit's
// application are in qt/app.cpp (Linux) and win32/app.cpp (Windows).
#include "platform/ui/CWinApp.h"

#include "platform/ui/messagebox.h"
#include "platform/ui/window_backend.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(LPCSTR appName) {
  g_app = this;
  if (appName != nullptr) {
    m_appName = appName;
    m_pszAppName = m_appName;
  }
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
  ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

void CWinApp::SetRegistryKey(LPCSTR key) {
  // Only names the profile's root; the program keeps no settings.
  m_registryKey = key;
  m_pszRegistryKey = m_registryKey;
}

void CWinApp::SetAppNameFromFile(const CString& baseName) {
  if (!m_appName.IsEmpty()) return;
  m_appName = baseName;
  m_pszAppName = m_appName;
}

void CWinApp::SetCommandLine(int argc, char** argv) {
  m_cmdLine.Empty();
  for (int i = 1; i < argc; ++i) {
    if (i > 1) m_cmdLine += " ";
    m_cmdLine += argv[i];
  }
  m_lpCmdLine = m_cmdLine;
}

void CWinApp::OnHelp() {
  ui::ShowMessageBox(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr,
                     "选择端口后：\n"
                     "  读卡 — 读一张卡，卡上的数据显示在 Track 1；\n"
                     "  写卡 — 把 Track 1 的内容写到卡上；\n"
                     "  复位 — 复位写卡机。",
                     nullptr, MB_ICONASTERISK);
}

CWinApp* AfxGetApp() { return g_app; }
CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }
LPCSTR AfxGetAppName() { return g_app && g_app->m_pszAppName ? g_app->m_pszAppName : ""; }

int AfxMessageBox(LPCSTR text, UINT type, UINT /*helpId*/) {
  // A plain OK box gets the warning icon, as the framework gives it.
  if ((type & MB_ICONMASK) == 0 && (type & 0x0F) == MB_OK) type |= MB_ICONEXCLAMATION;
  return ui::ShowMessageBox(ui::backend::FrontWindow(), text, nullptr, type);
}

void AfxEnableControlContainer(void* /*containerManager*/) {}
