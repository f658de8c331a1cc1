// The tests' program: the toolkit on the offscreen platform, named like the application.
#include "support/qt_test_main.h"

int main(int argc, char** argv) { return RunQtTests(argc, argv, "offscreen"); }
