// The error's message text: the system's text trimmed of one line break. The system's
// texts themselves, and the fallbacks for codes without one, are each platform's
// (posix/message_text_tests.cpp holds the Linux table's).
#include <gtest/gtest.h>

#include "platform/data/ado.h"

TEST(ErrorMessage, SystemTextLosesOneTrailingLineBreak) {
  EXPECT_EQ(MakeErrorMessage(E_FAIL, "Access is denied.\r\n"), "Access is denied.");
  EXPECT_EQ(MakeErrorMessage(E_FAIL, "Lone feed\n"), "Lone feed");
  EXPECT_EQ(MakeErrorMessage(E_FAIL, "Return kept\r"), "Return kept\r");
  EXPECT_EQ(MakeErrorMessage(E_FAIL, "\n"), "\n");
  EXPECT_EQ(MakeErrorMessage(E_FAIL, "\r\n"), "");
  EXPECT_EQ(MakeErrorMessage(E_FAIL, "Two breaks\r\n\r\n"), "Two breaks\r\n");
  EXPECT_EQ(MakeErrorMessage(E_FAIL, "Inner\r\nline"), "Inner\r\nline");
  // An empty system text is a text all the same.
  EXPECT_EQ(MakeErrorMessage(MakeHresult(0x80040E14), ""), "");
}
