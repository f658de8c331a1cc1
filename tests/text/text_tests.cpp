#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/text/CString.h"
#include "platform/text/codepage.h"

TEST(CodePage, NarrowLiteralsAreCodePage936) {
  CString s = "磁卡";
  ASSERT_EQ(s.GetLength(), 4);
  EXPECT_EQ(static_cast<unsigned char>(s.bytes()[0]), 0xB4);
  EXPECT_EQ(text::Cp936ToUtf16(s.bytes()), u"磁卡");
  EXPECT_EQ(text::Utf16ToCp936(u"磁卡(MSE-9021)"), std::string("磁卡(MSE-9021)"));
}

// What a card held goes back onto a card: every single byte and every pair the code page
// holds survives bytes -> Unicode -> bytes, through UTF-16 and through UTF-8.
TEST(CodePage, EverySequenceTheCodePageHoldsRoundTrips) {
  std::vector<std::string> sequences;
  for (int byte = 0x00; byte <= 0x80; ++byte) sequences.push_back(std::string(1, static_cast<char>(byte)));
  sequences.push_back("\xFF");
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int trail = 0x40; trail <= 0xFE; ++trail)
      if (trail != 0x7F) sequences.push_back({static_cast<char>(lead), static_cast<char>(trail)});
  ASSERT_EQ(sequences.size(), 130u + 126u * 190u);

  int failures = 0;
  for (const std::string& bytes : sequences) {
    const std::u16string chars = text::Cp936ToUtf16(bytes);
    const bool ok = chars.size() == 1 && chars[0] != u'\uFFFD' && text::Utf16ToCp936(chars) == bytes &&
                    text::Utf8ToCp936(text::Cp936ToUtf8(bytes)) == bytes;
    if (!ok && ++failures <= 10) ADD_FAILURE() << testing::PrintToString(bytes) << " does not round-trip";
  }
  EXPECT_EQ(failures, 0);
  // All of them in one text, as a card's data is converted.
  std::string all;
  for (const std::string& bytes : sequences) all += bytes;
  EXPECT_TRUE(text::Utf16ToCp936(text::Cp936ToUtf16(all)) == all);
}

TEST(CodePage, PlatformTableWhereOtherTablesDiffer) {
  struct Case {
    const char* bytes;
    char16_t ch;
  } const cases[] = {
      // clang-format off
      {"\x80", u'\u20AC'},      // the euro sign as one byte
      {"\xFF", u'\uF8F5'},
      {"\xAA\xA1", u'\uE000'},  // the user-defined areas open the private-use range
      {"\xA1\x40", u'\uE4C6'},
      {"\xA6\xD9", u'\uE78D'},  // later additions the platform keeps in private use
      {"\xFE\x50", u'\uE815'},
      // clang-format on
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text::Cp936ToUtf16(c.bytes), std::u16string(1, c.ch)) << testing::PrintToString(c.bytes);
    EXPECT_EQ(text::Utf16ToCp936(std::u16string(1, c.ch)), c.bytes);
  }
}

TEST(CodePage, BadBytesAndUnmappableCharactersAreReplacedNotDropped) {
  // A sequence the code page cannot hold shows as U+FFFD and goes back as '?'; a byte that
  // cannot trail the lead before it is read on its own and kept.
  struct Case {
    std::string bytes;
    std::u16string chars;
    std::string written;
  } const cases[] = {
      {std::string("A\x81", 2), u"A\uFFFD", "A?"},  // lead byte cut off at the end
      {"\x81\x30\x42", u"\uFFFD0B", "?0B"},
      {std::string("\x81\0", 2), std::u16string(u"\uFFFD\0", 2), std::string("?\0", 2)},
      {"\xA1\x7F", u"\uFFFD\x7F", "?\x7F"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text::Cp936ToUtf16(c.bytes), c.chars) << testing::PrintToString(c.bytes);
    EXPECT_EQ(text::Utf16ToCp936(c.chars), c.written) << testing::PrintToString(c.bytes);
  }
  EXPECT_EQ(text::Cp936ToUtf8(std::string("A\x81", 2)), "A\xEF\xBF\xBD");

  // Characters the code page lacks and lone surrogates become '?', never a look-alike.
  EXPECT_EQ(text::Utf16ToCp936(u"a\u0E01b\U0001F600\u30FB"), std::string("a?b??"));
  // Default-ignorable characters too: each is one '?', none vanishes.
  EXPECT_EQ(text::Utf16ToCp936(u"1\u200B2\u00AD3\u202E4\uFEFF5\U000E0041"), std::string("1?2?3?4?5?"));
  // clang-format off
  EXPECT_EQ(text::Utf16ToCp936(std::u16string(u"a\xD800" "b\xDC00", 4)), std::string("a?b?"));
  // clang-format on
  EXPECT_EQ(text::Utf16ToUtf8(std::u16string(u"a\xD800", 2)), "a\xEF\xBF\xBD");
  // Malformed UTF-8: one '?' for each maximal subpart, the bytes that could still have
  // begun a sequence; overlong forms, encoded surrogates and code points past U+10FFFF are
  // malformed from the byte that makes them so.
  const std::pair<const char*, const char*> malformed[] = {
      {"a\xC3(\xFF", "a?(?"},       {"\xE4\xB8", "?"},     {"\xE4\xB8\xAD\xE4", "\xD6\xD0?"},
      {"\xF0\x80\x80", "???"},      {"\xC0\xAF", "??"},    {"\xED\xA0\x80", "???"},
      {"\xF4\x90\x80\x80", "????"}, {"\xF0\x9F\x98", "?"}, {"\xF0\x9F\x98\x80", "?"},
  };
  for (const auto& [utf8, written] : malformed) EXPECT_EQ(text::Utf8ToCp936(utf8), written) << utf8;
  EXPECT_EQ(text::Utf8ToCp936(text::Cp936ToUtf8("端口：")), std::string("端口："));
}

TEST(CodePage, ExactConversionRefusesWhatTheLossyOneReplacesAndSaysWhere) {
  struct Case {
    const char8_t* utf8;
    std::optional<std::string> bytes;
    size_t firstBad;
  } const cases[] = {
      {u8"a张€", std::string("a\xD5\xC5\x80"), 0},
      {u8"", std::string(), 0},
      {u8"ab😀c", std::nullopt, 2},
      {u8"1\u200B2", std::nullopt, 1},  // default-ignorable: refused, not dropped
      {u8"张\u0E01", std::nullopt, 3},
      {u8"\uFFFD", std::nullopt, 0},
  };
  for (const Case& c : cases) {
    const std::string utf8(reinterpret_cast<const char*>(c.utf8));
    size_t bad = 0;
    EXPECT_EQ(text::Utf8ToCp936Exactly(utf8, &bad), c.bytes) << utf8;
    if (!c.bytes) {
      EXPECT_EQ(bad, c.firstBad) << utf8;
    }
  }
  size_t bad = 0;
  for (const char* malformedUtf8 : {"ab\xC3(", "ab\xE4\xB8", "ab\xED\xA0\x80"}) {
    EXPECT_EQ(text::Utf8ToCp936Exactly(malformedUtf8, &bad), std::nullopt) << malformedUtf8;
    EXPECT_EQ(bad, 2u) << malformedUtf8;
  }
  EXPECT_EQ(text::Utf16ToCp936Exactly(std::u16string(u"a\xD800", 2), &bad), std::nullopt);
  EXPECT_EQ(bad, 1u);
}

TEST(CString, EmbeddedNulsAndTheStringTable) {
  CString embedded("a\0b", 3);
  EXPECT_EQ(embedded.GetLength(), 3);
  CString s;
  static const StringResource table[] = {{101, "关于 Brimlock(&A)..."}};
  AfxSetStringTable(table, 1);
  EXPECT_TRUE(s.LoadString(101));
  EXPECT_EQ(s, "关于 Brimlock(&A)...");
  EXPECT_FALSE(s.LoadString(999));
  EXPECT_TRUE(s.IsEmpty());
}
