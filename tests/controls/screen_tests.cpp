// The main window on a real X screen (a virtual one, read back from the root window): what
// reaches the screen is exactly what the controls paint, with nothing laid over them, as a
// group box's tint once darkened every pixel it framed.
#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "button_support.h"
#include "dialog/BrimlockDlg.h"
#include "support/qt_test_main.h"

namespace {

constexpr int kWaitMs = 5000;

class MainWindow : public CBrimlockDlg {
 public:
  MainWindow() : CBrimlockDlg(m_noDatabase) {}
  _ConnectionPtr m_noDatabase;  // these windows never look a ticket up
  using CBrimlockDlg::m_btnRead;
  using CBrimlockDlg::m_btnReset;
  using CBrimlockDlg::m_btnWrite;
  using CBrimlockDlg::m_editTrack1;
};

QImage Screen() {
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

QPoint OnScreen(const CWnd& control, QPoint p = {}) { return WidgetOf(control)->mapToGlobal(p); }

// Pixels of the button's shape where the screen differs from its DrawItem's own picture.
int Differing(const QImage& screen, CXPButton& button, UINT itemState) {
  QWidget* w = WidgetOf(button);
  const QPoint origin = OnScreen(button);
  const QImage drawn = Render(button, w->width(), w->height(), itemState);
  int differing = 0;
  for (int y = 0; y < w->height(); ++y) {
    for (int x = 0; x < w->width(); ++x) {
      if (w->mask().contains(QPoint(x, y)) && At(screen, origin.x() + x, origin.y() + y) != At(drawn, x, y)) {
        ++differing;
      }
    }
  }
  return differing;
}

::testing::AssertionResult ShownAsDrawn(CXPButton& button, UINT itemState) {
  int differing = 0;
  if (QTest::qWaitFor([&] { return (differing = Differing(Screen(), button, itemState)) == 0; }, kWaitMs)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << differing << " pixels on screen differ from what the button drew";
}

COLORREF LeftFrameOnScreen(const CWnd& button) {
  const QPoint p = OnScreen(button, QPoint(1, WidgetOf(button)->height() / 2));
  return At(Screen(), p.x(), p.y());
}

TEST(Screen, ButtonsAndEditsShowExactlyWhatTheyPaint) {
  MainWindow dlg;
  RunModal(dlg, [&] {
    QCursor::setPos(QGuiApplication::primaryScreen()->geometry().bottomRight());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(dlg)));
    // At rest: Track 1 has the focus, the pointer is elsewhere.
    EXPECT_TRUE(ShownAsDrawn(dlg.m_btnReset, 0));
    EXPECT_TRUE(ShownAsDrawn(dlg.m_btnRead, 0));
    EXPECT_TRUE(ShownAsDrawn(dlg.m_btnWrite, 0));

    dlg.m_btnRead.SetFocus();
    EXPECT_TRUE(ShownAsDrawn(dlg.m_btnRead, ODS_FOCUS));
    EXPECT_EQ(LeftFrameOnScreen(dlg.m_btnRead), kFocusLeft);
    // Without the focus and its text cursor, the Track 1 edit's inside is plain white.
    QWidget* edit = WidgetOf(dlg.m_editTrack1);
    const QImage screen = Screen();
    const QRect inside = QRect(OnScreen(dlg.m_editTrack1), edit->size()).adjusted(3, 3, -3, -3);
    EXPECT_EQ(BoxOf(screen, kWhite, inside), inside);

    QCursor::setPos(OnScreen(dlg.m_btnWrite, WidgetOf(dlg.m_btnWrite)->rect().center()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return LeftFrameOnScreen(dlg.m_btnWrite) == kHotLeft; }, kWaitMs));
    EXPECT_TRUE(ShownAsDrawn(dlg.m_btnWrite, 0));
    EXPECT_TRUE(ShownAsDrawn(dlg.m_btnRead, ODS_FOCUS));
  });
}

// The picture software centres show of the program, saved where BRIMLOCK_SCREENSHOT says:
// the window as it reaches the screen, a Track 1 text typed and the Write button focused.
TEST(Screen, PictureForSoftwareCentres) {
  const QString path = qEnvironmentVariable("BRIMLOCK_SCREENSHOT");
  if (path.isEmpty()) GTEST_SKIP() << "BRIMLOCK_SCREENSHOT names no file";
  MainWindow dlg;
  RunModal(dlg, [&] {
    QCursor::setPos(QGuiApplication::primaryScreen()->geometry().bottomRight());
    QWidget* window = WidgetOf(dlg);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::keyClicks(WidgetOf(dlg.m_editTrack1), "BRIMLOCK DEMO CARD 0001");
    dlg.m_btnWrite.SetFocus();
    // Saved once the screen shows what the window paints, text and focus included.
    const QRect area(window->mapToGlobal(QPoint()), window->size());
    QImage picture;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          picture = Screen().copy(area);
          return picture == window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        },
        kWaitMs));
    EXPECT_TRUE(picture.save(path, "PNG")) << path.toStdString();
  });
}

}  // namespace

int main(int argc, char** argv) { return RunQtTests(argc, argv, "xcb"); }
