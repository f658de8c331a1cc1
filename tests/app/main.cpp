// The tests' program: the toolkit on the offscreen platform, named like the application.
#include <QApplication>

#include <gtest/gtest.h>

#include "platform/ui/CWinApp.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  AfxWinInit(argv[0]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
