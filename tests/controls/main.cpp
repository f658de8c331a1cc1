// The tests' program: the toolkit on the offscreen platform, with the test dialog's
// template added to the program's own.
#include "button_support.h"
#include "support/qt_test_main.h"

int main(int argc, char** argv) { return RunQtTests(argc, argv, "offscreen", RegisterTestDialog); }
