// The main window on a real X screen (a virtual one, read back from the root window): what
// reaches the screen is exactly what the controls paint, with nothing laid over them, as a
// group box's tint once darkened every pixel it framed.
#include <QApplication>
#include <QCursor>
#include <QGroupBox>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

#include "button_support.h"
#include "dialog/BrimlockDlg.h"
#include "support/qt_test_main.h"

namespace {

constexpr int kWaitMs = 5000;

class MainWindow : public CBrimlockDlg {
 public:
  explicit MainWindow(bool bTicketPanel = false) : CBrimlockDlg(m_noDatabase, bTicketPanel) {}
  _ConnectionPtr m_noDatabase;  // these windows never look a ticket up
  using CBrimlockDlg::m_btnNext;
  using CBrimlockDlg::m_btnPrev;
  using CBrimlockDlg::m_btnQuery;
  using CBrimlockDlg::m_btnRead;
  using CBrimlockDlg::m_btnReset;
  using CBrimlockDlg::m_btnWrite;
  using CBrimlockDlg::m_editCardNo;
  using CBrimlockDlg::m_editHiddenCode;
  using CBrimlockDlg::m_editTicket;
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

// The window for ticket desks: the ticket panel in a band above the card panel, no control
// over another, a ticket or card number of its column's 32 characters in view whole, the
// hidden code as wide as Track 1 (which it becomes), and its buttons as they paint.
TEST(Screen, TicketWindowShowsItsPanelAboveTheCardPanel) {
  MainWindow dlg(true);
  RunModal(dlg, [&] {
    QCursor::setPos(QGuiApplication::primaryScreen()->geometry().bottomRight());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(WidgetOf(dlg)));
    dlg.m_editTicket.SetWindowText("12345678901234567890123456789012");
    dlg.m_editCardNo.SetWindowText("10000002");
    dlg.m_editHiddenCode.SetWindowText("贵宾卡0003");

    QWidget* window = WidgetOf(dlg);
    std::vector<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (w->isVisible() && qobject_cast<QGroupBox*>(w) == nullptr) controls.push_back(w);
    }
    EXPECT_EQ(controls.size(), 19u);  // 21 controls, two of them group boxes
    for (std::size_t i = 0; i < controls.size(); ++i) {
      EXPECT_TRUE(window->rect().contains(controls[i]->geometry())) << i;
      for (std::size_t j = i + 1; j < controls.size(); ++j) {
        EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry())) << i << " " << j;
      }
    }
    const int cardPanelTop = WidgetOf(dlg.m_editTrack1)->geometry().top();
    for (const CWnd* panel : {static_cast<const CWnd*>(&dlg.m_editTicket), static_cast<const CWnd*>(&dlg.m_btnNext)}) {
      EXPECT_LT(WidgetOf(*panel)->geometry().bottom(), cardPanelTop);
    }
    for (const CWnd* edit : {&dlg.m_editTicket, &dlg.m_editCardNo}) {
      auto* line = static_cast<QLineEdit*>(WidgetOf(*edit));
      EXPECT_LE(line->fontMetrics().horizontalAdvance(QString(32, QChar('8'))), line->width() - 8);
    }
    EXPECT_EQ(WidgetOf(dlg.m_editHiddenCode)->width(), WidgetOf(dlg.m_editTrack1)->width());

    EXPECT_TRUE(ShownAsDrawn(dlg.m_btnQuery, 0));
    EXPECT_TRUE(ShownAsDrawn(dlg.m_btnPrev, ODS_DISABLED));
    EXPECT_TRUE(ShownAsDrawn(dlg.m_btnNext, ODS_DISABLED));
    EXPECT_TRUE(ShownAsDrawn(dlg.m_btnWrite, 0));
  });
}

}  // namespace

int main(int argc, char** argv) { return RunQtTests(argc, argv, "xcb"); }
