#include <gtest/gtest.h>

#include "platform/text/CString.h"
#include "platform/text/codepage.h"

TEST(CodePage, NarrowLiteralsAreCodePage936) {
  CString s = "磁卡";
  ASSERT_EQ(s.GetLength(), 4);
  EXPECT_EQ(static_cast<unsigned char>(s.bytes()[0]), 0xB4);
  EXPECT_EQ(text::Cp936ToUtf16(s.bytes()), u"磁卡");
  EXPECT_EQ(text::Utf16ToCp936(u"磁卡(MSE-9021)"), std::string("磁卡(MSE-9021)"));
}

TEST(CodePage, BadBytesAndUnmappableCharactersAreReplacedNotDropped) {
  // A lone lead byte at the end and an undefined byte both show as a replacement character.
  EXPECT_EQ(text::Cp936ToUtf16(std::string("A\xFF" "B\x81", 4)), u"A\uFFFDB\uFFFD");
  EXPECT_EQ(text::Utf16ToCp936(u"a\u0E01b"), std::string("a?b"));
  EXPECT_EQ(text::Utf8ToCp936(text::Cp936ToUtf8("端口：")), std::string("端口："));
}

TEST(CString, MidClampsLikeTheFramework) {
  CString s("0123456789");
  EXPECT_EQ(s.Mid(2, s.GetLength() - 4), "234567");
  EXPECT_EQ(s.Mid(2, -2), "");
  EXPECT_EQ(s.Mid(20, 3), "");
  EXPECT_EQ(s.Left(3), "012");
  CString embedded("a\0b", 3);
  EXPECT_EQ(embedded.GetLength(), 3);
}

TEST(CString, FormatAndStringTable) {
  CString s;
  s.Format("Enter no more than %d characters.", 80);
  EXPECT_EQ(s, "Enter no more than 80 characters.");
  static const StringResource table[] = {{101, "关于 Brimlock(&A)..."}};
  AfxSetStringTable(table, 1);
  EXPECT_TRUE(s.LoadString(101));
  EXPECT_EQ(s, "关于 Brimlock(&A)...");
  EXPECT_FALSE(s.LoadString(999));
  EXPECT_TRUE(s.IsEmpty());
}
