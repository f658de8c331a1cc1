#include "app/BrimlockApp.h"
#include "platform/ui/CWinApp.h"

int main(int argc, char** argv) {
  if (AnswerHelpOrVersion(argc, argv)) return 0;
  return AfxWinMain(argc, argv);
}
