// The caption: centred on the face by its raw extent, one pixel right and down while
// pressed, embossed while disabled, and read through a 260-byte buffer.
#include <QPainter>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "button_support.h"
#include "platform/gdi/qt/bridge.h"

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 24;
constexpr COLORREF kShadow = RGB(128, 128, 128);
// Inside the face and clear of any frame.
const QRect kInside(4, 3, kWidth - 8, kHeight - 6);

// The caption's extent in the button's own font, as the drawing measures it.
int ExtentOf(CXPButton& button, const char* text) {
  QImage image(1, 1, QImage::Format_RGB32);
  QPainter painter(&image);
  gdi::PaintContext context(painter);
  CDC::FromHandle(context.hdc())->SelectObject(button.GetFont());
  SIZE size{};
  GetTextExtentPoint32A(context.hdc(), text, lstrlen(text), &size);
  return size.cx;
}

class Caption : public ::testing::Test {
 protected:
  // Each test's captions are drawn by a button attached in a live dialog, with its font.
  void Run(const std::function<void(ProbeButton&)>& check) {
    RunModal(dialog, [&] { check(dialog.m_btnGo); });
  }
  ButtonDialog dialog;
};

TEST_F(Caption, MovesOnePixelRightAndDownWhilePressed) {
  Run([](ProbeButton& button) {
    button.SetWindowText("Go");
    const QRect normal = BoxOf(Render(button, kWidth, kHeight, 0), kBlack, kInside);
    const QRect pressed = BoxOf(Render(button, kWidth, kHeight, ODS_SELECTED), kBlack, kInside);
    ASSERT_FALSE(normal.isEmpty());
    EXPECT_EQ(pressed, normal.translated(1, 1));
  });
}

TEST_F(Caption, IsCentredOnTheFaceByItsExtent) {
  Run([](ProbeButton& button) {
    button.SetWindowText("II");
    const QRect box = BoxOf(Render(button, kWidth, kHeight, 0), kBlack, kInside);
    ASSERT_FALSE(box.isEmpty());
    // The face is x = 2..77, centre 40; the ink of "II" sits inside its advance around it.
    const int origin = 40 - ExtentOf(button, "II") / 2;
    EXPECT_GE(box.left(), origin);
    EXPECT_LE(box.right(), origin + ExtentOf(button, "II") - 1);
    EXPECT_LE(std::abs((box.left() + box.right() + 1) / 2 - 40), 2);
    // Vertically the text box is centred on y = 12 with the font's height.
    SIZE size{};
    {
      QImage image(1, 1, QImage::Format_RGB32);
      QPainter painter(&image);
      gdi::PaintContext context(painter);
      CDC::FromHandle(context.hdc())->SelectObject(button.GetFont());
      GetTextExtentPoint32A(context.hdc(), "II", 2, &size);
    }
    EXPECT_GE(box.top(), 12 - size.cy / 2);
    EXPECT_LT(box.bottom(), 12 - size.cy / 2 + size.cy);
  });
}

TEST_F(Caption, DisabledIsEmbossedInPlace) {
  Run([](ProbeButton& button) {
    button.SetWindowText("Go");
    const QRect normal = BoxOf(Render(button, kWidth, kHeight, 0), kBlack, kInside);
    const QImage disabled = Render(button, kWidth, kHeight, ODS_DISABLED);
    EXPECT_TRUE(BoxOf(disabled, kBlack, kInside).isEmpty());
    EXPECT_EQ(BoxOf(disabled, kShadow, kInside), normal);
  });
}

// Centred by the raw text, ampersand included, though the ampersand is not drawn.
TEST_F(Caption, AmpersandCaptionIsCentredByItsRawExtent) {
  Run([](ProbeButton& button) {
    button.SetWindowText("AB");
    const QRect plain = BoxOf(Render(button, kWidth, kHeight, 0), kBlack, kInside);
    button.SetWindowText("A&B");
    const QRect marked = BoxOf(Render(button, kWidth, kHeight, 0), kBlack, kInside);
    ASSERT_FALSE(plain.isEmpty());
    const int shift = ExtentOf(button, "A&B") / 2 - ExtentOf(button, "AB") / 2;
    EXPECT_GT(shift, 0);
    EXPECT_EQ(marked.left(), plain.left() - shift);
    // The underline under B reaches below the plain caption's ink.
    EXPECT_GE(marked.bottom(), plain.bottom());
  });
}

TEST_F(Caption, LongCaptionIsCutToItsFirst259Bytes) {
  Run([](ProbeButton& button) {
    constexpr int kWide = 3000;
    std::string text;
    for (int i = 0; text.size() < 300; ++i) text += static_cast<char>('a' + i % 26);
    button.SetWindowText(text.c_str());
    const QImage whole = Render(button, kWide, kHeight, 0);
    button.SetWindowText(text.substr(0, 259).c_str());
    const QImage cut = Render(button, kWide, kHeight, 0);
    button.SetWindowText(text.substr(0, 258).c_str());
    const QImage shorter = Render(button, kWide, kHeight, 0);
    EXPECT_TRUE(whole == cut);
    EXPECT_FALSE(whole == shorter);

    // A cut through a double-byte character leaves half of it, which still draws.
    std::string chinese;
    for (int i = 0; i < 130; ++i) chinese += "读";
    button.SetWindowText(chinese.c_str());
    EXPECT_FALSE(BoxOf(Render(button, 200, kHeight, 0), kBlack, kInside).isEmpty());
  });
}

}  // namespace
