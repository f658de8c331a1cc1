// The Linux table of system texts, which knows Win32 codes only, and the "IDispatch error"
// and "Unknown error" fallbacks for every code it has no text for.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/data/ado.h"
#include "platform/data/format_message.h"

TEST(ErrorMessage, CodesWithoutSystemTextFallBackByRange) {
  EXPECT_STREQ(_com_error(MakeHresult(0x80040E14)).ErrorMessage(), "IDispatch error #3092");
  EXPECT_STREQ(_com_error(MakeHresult(0x80040201)).ErrorMessage(), "IDispatch error #1");
  EXPECT_STREQ(_com_error(MakeHresult(0x8004FFFF)).ErrorMessage(), "IDispatch error #65023");
  EXPECT_STREQ(_com_error(MakeHresult(0x80040200)).ErrorMessage(), "Unknown error 0x80040200");
  EXPECT_STREQ(_com_error(MakeHresult(0x80004005)).ErrorMessage(), "Unknown error 0x80004005");
  EXPECT_STREQ(_com_error(MakeHresult(0x80050000)).ErrorMessage(), "Unknown error 0x80050000");
  EXPECT_STREQ(_com_error(MakeHresult(0x800A0BCD)).ErrorMessage(), "Unknown error 0x800A0BCD");
  // Success codes lie below the range as signed values.
  EXPECT_STREQ(_com_error(0x40210).ErrorMessage(), "Unknown error 0x40210");
}

TEST(ErrorMessage, MadeOnceAndKept) {
  _com_error error(MakeHresult(0x80070005));
  const char* first = error.ErrorMessage();
  EXPECT_EQ(first, error.ErrorMessage());
  EXPECT_STREQ(first, "拒绝访问。");
}

TEST(FormatMessage, KnowsWin32CodesOnly) {
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  ASSERT_EQ(flags, 0x1300u);
  char* text = nullptr;
  DWORD length = FormatMessageA(flags, nullptr, 0x80070005, 0x0400, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(length, std::strlen(text));
  EXPECT_STREQ(text, "拒绝访问。\r\n");
  LocalFree(text);

  for (DWORD code : {0x80004005u, 0x80040E14u, 0x80070000u + 9999u, 0x800A0BCDu}) {
    text = nullptr;
    EXPECT_EQ(FormatMessageA(flags, nullptr, code, 0x0400, reinterpret_cast<LPSTR>(&text), 0, nullptr), 0u)
        << std::hex << code;
    EXPECT_EQ(text, nullptr);
  }
}

TEST(FormatMessage, CopiesIntoACallersBufferWhenItFits) {
  char buffer[64];
  EXPECT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 87, 0x0400, buffer, sizeof buffer, nullptr), 0u);
  EXPECT_STREQ(buffer, "参数错误。\r\n");
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 87, 0x0400, buffer, 4, nullptr), 0u);
}

TEST(ErrorMessage, OutOfMemoryHasTheSystemText) {
  EXPECT_STREQ(_com_error(E_OUTOFMEMORY).ErrorMessage(), "存储空间不足，无法完成此操作。");
}
