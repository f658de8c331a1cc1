// Captions are code page 936 whatever the system's code page is: the narrow calls the button
// measures and draws its caption with give what the wide calls give for the same characters.
#include <gtest/gtest.h>

#include <cwchar>

#include "probe_button.h"

namespace {

TEST(CaptionText, NarrowCallsReadCodePage936) {
  const struct {
    const char* narrow;
    const wchar_t* wide;
  } captions[] = {{"读卡", L"读卡"}, {"写&入", L"写&入"}, {"A&&B", L"A&&B"}};
  const Picture blank = Paint(80, 20, kWhite, [](CDC*) {});
  for (const auto& caption : captions) {
    SCOPED_TRACE(caption.narrow);
    SIZE narrowSize{}, wideSize{};
    const Picture narrow = Paint(80, 20, kWhite, [&](CDC* dc) {
      GetTextExtentPoint32A(dc->GetSafeHdc(), caption.narrow, lstrlenA(caption.narrow), &narrowSize);
      DrawStateA(dc->GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>(caption.narrow), 0, 2, 2, 0, 0,
                 DST_PREFIXTEXT | DSS_DISABLED);
    });
    const Picture wide = Paint(80, 20, kWhite, [&](CDC* dc) {
      const int length = static_cast<int>(std::wcslen(caption.wide));
      GetTextExtentPoint32W(dc->GetSafeHdc(), caption.wide, length, &wideSize);
      DrawStateW(dc->GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>(caption.wide), 0, 2, 2, 0, 0,
                 DST_PREFIXTEXT | DSS_DISABLED);
    });
    EXPECT_GT(wideSize.cx, 0);
    EXPECT_EQ(narrowSize.cx, wideSize.cx);
    EXPECT_EQ(narrowSize.cy, wideSize.cy);
    EXPECT_FALSE(wide == blank);
    EXPECT_TRUE(narrow == wide);
  }
}

}  // namespace
