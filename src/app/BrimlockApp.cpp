#include "app/BrimlockApp.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "dialog/BrimlockDlg.h"
#include "resources/version.h"

namespace {

// A desk that issues by ticket starts the window with --tickets; any other word on the
// command line is left alone, as the window has always left it. Split by hand: a string
// stream would set up the C++ library's locale at every start, 0.4 MiB of pages.
bool CommandLineHas(LPCSTR commandLine, const char* option) {
  constexpr std::string_view kBlanks = " \t\n\v\f\r";
  std::string_view rest = commandLine != nullptr ? commandLine : "";
  for (size_t start; (start = rest.find_first_not_of(kBlanks)) != std::string_view::npos;) {
    rest.remove_prefix(start);
    const std::string_view word = rest.substr(0, rest.find_first_of(kBlanks));
    if (word == option) return true;
    rest.remove_prefix(word.size());
  }
  return false;
}

constexpr char kUsage[] =
    "Usage: brimlock [--tickets]\n"
    "The window of a magnetic-stripe card encoder: read, write and reset a card on com1 or com2.\n"
    "  --tickets   the window for desks that issue by ticket: the ticket panel above the card panel\n"
    "  --help      show this text;  --version  show the version\n"
    "See brimlock(1), and brimlock-card(1) for the same from a shell.\n";

}  // namespace

BEGIN_MESSAGE_MAP(CBrimlockApp, CWinApp)
  ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CBrimlockApp::CBrimlockApp() : CWinApp(nullptr) { m_pConnection = nullptr; }

CBrimlockApp::~CBrimlockApp() {
  if (m_pConnection != nullptr) m_pConnection = nullptr;
}

CBrimlockApp theApp;

bool AnswerHelpOrVersion(int argc, char** argv) {
  const auto has = [&](std::string_view option) {
    return std::any_of(argv + std::min(argc, 1), argv + argc, [&](const char* word) { return word == option; });
  };
  if (!has("--help") && !has("--version")) return false;
  std::fputs(has("--help") ? kUsage : "brimlock " BRIMLOCK_VERSION_TEXT "\n", stdout);
  return true;
}

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

  CBrimlockDlg dlg(m_pConnection, CommandLineHas(m_lpCmdLine, "--tickets"));
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
