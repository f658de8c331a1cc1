#include "platform/ui/CWinApp.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <map>

#include "platform/gdi/qt_bridge.h"
#include "platform/ui/bridge.h"
#include "platform/ui/dlgtemplate.h"
#include "platform/ui/messagebox.h"

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

HICON CWinApp::LoadIcon(UINT id) const {
  // Icons are shared: every load of one id gives the same handle, alive for the whole run.
  static std::map<UINT, HICON> loaded;
  if (auto it = loaded.find(id); it != loaded.end()) return it->second;
  const IconResource* resource = AfxFindIconResource(id);
  if (resource == nullptr) return nullptr;
  QIcon icon;
  for (std::size_t i = 0; i < resource->fileCount; ++i) icon.addFile(QString::fromUtf8(resource->files[i]));
  return loaded[id] = gdi::CreateIcon(icon);
}

void CWinApp::SetRegistryKey(LPCSTR key) {
  // Only names the profile's root; the program keeps no settings.
  m_registryKey = key;
  m_pszRegistryKey = m_registryKey;
}

void CWinApp::OnHelp() {
  QWidget* owner = m_pMainWnd ? ui::Widget(m_pMainWnd->m_hWnd) : nullptr;
  ui::ShowMessageBox(owner,
                     "选择端口后：\n"
                     "  读卡 — 读一张卡，卡上的数据显示在 Track 1；\n"
                     "  写卡 — 把 Track 1 的内容写到卡上；\n"
                     "  复位 — 复位写卡机。",
                     nullptr, MB_ICONASTERISK);
}

CWinApp* AfxGetApp() { return g_app; }
CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }
LPCSTR AfxGetAppName() { return g_app && g_app->m_pszAppName ? g_app->m_pszAppName : ""; }

void AfxWinInit(const char* argv0) {
  if (g_app == nullptr || !g_app->m_appName.IsEmpty()) return;
  QString base = QFileInfo(QString::fromLocal8Bit(argv0 ? argv0 : "")).completeBaseName();
  g_app->m_appName = ui::FromQt(base);
  g_app->m_pszAppName = g_app->m_appName;
}

int AfxWinMain(int argc, char** argv) {
  QApplication application(argc, argv);
  AfxWinInit(argc > 0 ? argv[0] : "");
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  // A dialog program returns FALSE from InitInstance once its dialog has closed.
  if (app->InitInstance()) application.exec();
  return app->ExitInstance();
}

int AfxMessageBox(LPCSTR text, UINT type, UINT /*helpId*/) {
  // A plain OK box gets the warning icon, as the framework gives it.
  if ((type & MB_ICONMASK) == 0 && (type & 0x0F) == MB_OK) type |= MB_ICONEXCLAMATION;
  QWidget* owner = QApplication::activeModalWidget();
  if (owner == nullptr) {
    if (CWnd* main = AfxGetMainWnd()) owner = ui::Widget(main->m_hWnd);
  }
  return ui::ShowMessageBox(owner, text, nullptr, type);
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) { return init != nullptr; }
void AfxEnableControlContainer(void* /*containerManager*/) {}
