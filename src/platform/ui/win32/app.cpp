// The Windows side of the application: the name from the executable, icons from the
// program's resources (brimlock.rc), and the message loop.
#include "platform/ui/CWinApp.h"

#include "platform/ui/win32/native.h"

HICON CWinApp::LoadIcon(UINT id) const {
  // Shared by the system: every load of one id gives the same handle, for the whole run.
  return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
}

void AfxWinInit(const char* /*argv0*/) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return;
  // The module's own path names the program, whatever the command line says.
  wchar_t path[MAX_PATH] = {};
  std::wstring_view name(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  if (size_t slash = name.find_last_of(L"\\/"); slash != name.npos) name.remove_prefix(slash + 1);
  if (size_t dot = name.rfind(L'.'); dot != name.npos && dot > 0) name = name.substr(0, dot);
  app->SetAppNameFromFile(ui::win32::Narrow(name));
}

int AfxWinMain(int argc, char** argv) {
  AfxWinInit(argc > 0 ? argv[0] : "");
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  app->SetCommandLine(argc, argv);
  // A dialog program returns FALSE from InitInstance once its dialog has closed.
  if (app->InitInstance()) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return app->ExitInstance();
}
