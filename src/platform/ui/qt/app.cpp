// The Qt side of the application: the toolkit's application object, the name from the
// executable, and icons from the toolkit's resources.
#include "platform/ui/CWinApp.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

#include <map>

#include "platform/gdi/qt/bridge.h"
#include "platform/ui/qt/bridge.h"
#include "platform/ui/dlgtemplate.h"

HICON CWinApp::LoadIcon(UINT id) const {
  // Icons are shared: every load of one id gives the same handle, alive for the whole run,
  // so the map is never torn down (at exit, it would leave the icons unreachable).
  static auto& loaded = *new std::map<UINT, HICON>;
  if (auto it = loaded.find(id); it != loaded.end()) return it->second;
  const IconResource* resource = AfxFindIconResource(id);
  if (resource == nullptr) return nullptr;
  QIcon icon;
  for (std::size_t i = 0; i < resource->fileCount; ++i) {
    QImageReader reader(QString::fromUtf8(resource->files[i]), "png");
    reader.setAutoDetectImageFormat(false);
    icon.addPixmap(QPixmap::fromImage(reader.read()));
  }
  return loaded[id] = gdi::CreateIcon(icon);
}

void AfxWinInit(const char* argv0) {
  if (CWinApp* app = AfxGetApp()) {
    app->SetAppNameFromFile(ui::FromQt(QFileInfo(QString::fromLocal8Bit(argv0 ? argv0 : "")).completeBaseName()));
  }
}

int AfxWinMain(int argc, char** argv) {
  QApplication application(argc, argv);
  AfxWinInit(argc > 0 ? argv[0] : "");
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return 1;
  // The toolkit has taken its own options out of the arguments by now.
  app->SetCommandLine(argc, argv);
  // A dialog program returns FALSE from InitInstance once its dialog has closed.
  if (app->InitInstance()) application.exec();
  return app->ExitInstance();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) { return init != nullptr; }
