#include "app/BrimlockApp.h"
#include "platform/data/driver_environment.h"
#include "platform/ui/CWinApp.h"

int main(int argc, char** argv) {
  if (AnswerHelpOrVersion(argc, argv)) return 0;
  odbc::PrepareDriverEnvironment();
  return AfxWinMain(argc, argv);
}
