// The tests' program: the toolkit on the offscreen platform, with the test dialog's
// template added to the program's own.
#include <QApplication>

#include <gtest/gtest.h>

#include "button_support.h"
#include "platform/ui/CWinApp.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  AfxWinInit(argv[0]);
  RegisterTestDialog();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
