#pragma once
// A test program's start on the toolkit: the platform it runs on (offscreen, or a real X
// screen), the application named after the program, anything the suite registers, then
// every test.
#include <QApplication>

#include <gtest/gtest.h>

#include "platform/ui/CWinApp.h"

inline int RunQtTests(int argc, char** argv, const char* platform, void (*prepare)() = nullptr) {
  qputenv("QT_QPA_PLATFORM", platform);
  QApplication application(argc, argv);
  AfxWinInit(argv[0]);
  if (prepare != nullptr) prepare();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
