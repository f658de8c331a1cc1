// The buttons as live widgets in a dialog: owner-drawn and shaped from the moment they are
// attached, repainted with the toolkit's state, the pointer cycle driven by real events,
// and clicks and keys reaching the dialog as from any push button.
#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

#include "button_support.h"
#include "dialog/BrimlockDlg.h"
#include "encoder-sim/PtyPeer.h"

namespace {

using namespace std::chrono_literals;

constexpr int kWaitMs = 5000;

QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

void SendEnter(QWidget* w, QPoint p) {
  QEnterEvent enter(p, p, w->mapToGlobal(p));
  QApplication::sendEvent(w, &enter);
}

void SendMove(QWidget* w, QPoint p) {
  QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &move);
}

void SendLeave(QWidget* w) {
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(w, &leave);
}

class LiveButton : public ::testing::Test {
 protected:
  void Run(const std::function<void()>& script) { RunModal(dialog, script); }
  QWidget* Go() { return WidgetOf(dialog.m_btnGo); }
  ButtonDialog dialog;
};

TEST_F(LiveButton, AttachingMakesItOwnerDrawnAndCutsItsCorners) {
  Run([&] {
    EXPECT_EQ(dialog.m_btnGo.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_EQ(dialog.m_btnGo.GetStyle() & WS_TABSTOP, static_cast<DWORD>(WS_TABSTOP));
    const QImage window = Grab(WidgetOf(dialog));
    const QRect g = Go()->geometry();
    const COLORREF parent = At(window, g.left() - 1, g.top());
    // The corners outside the rounded shape show the dialog; the edges are the outline.
    EXPECT_EQ(At(window, g.left(), g.top()), parent);
    EXPECT_EQ(At(window, g.right(), g.top()), parent);
    EXPECT_EQ(At(window, g.left(), g.bottom()), parent);
    EXPECT_EQ(At(window, g.right(), g.bottom()), parent);
    EXPECT_EQ(At(window, g.center().x(), g.top()), kBlack);
    EXPECT_EQ(At(window, g.left(), g.center().y()), kBlack);
    // Clicks on a cut corner are the dialog's, not the button's.
    EXPECT_FALSE(Go()->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(Go()->mask().contains(QPoint(g.width() / 2, 0)));
  });
}

TEST_F(LiveButton, ShowsExactlyWhatDrawItemPaints) {
  Run([&] {
    dialog.m_btnGo.SetWindowText("&Go");
    const QImage shown = Grab(Go());
    const QImage drawn = Render(dialog.m_btnGo, Go()->width(), Go()->height(), 0);
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x) {
        if (Go()->mask().contains(QPoint(x, y)) && At(shown, x, y) != At(drawn, x, y)) ++differing;
      }
    }
    EXPECT_EQ(differing, 0);
  });
}

TEST_F(LiveButton, ItemStateFollowsFocusPressDisabledAndDefault) {
  Run([&] {
    ProbeButton& go = dialog.m_btnGo;
    auto paintedWith = [&](UINT bits) {
      return QTest::qWaitFor([&] { return (go.lastItemState & bits) == bits; }, kWaitMs);
    };
    go.SetFocus();
    EXPECT_TRUE(paintedWith(ODS_FOCUS));
    EXPECT_EQ(At(Grab(Go()), 1, Go()->height() / 2), kFocusLeft);

    QTest::mousePress(Go(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(paintedWith(ODS_SELECTED));
    QTest::mouseRelease(Go(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !(go.lastItemState & ODS_SELECTED); }, kWaitMs));

    static_cast<QPushButton*>(Go())->setDefault(true);
    EXPECT_TRUE(paintedWith(ODS_DEFAULT));
    static_cast<QPushButton*>(Go())->setDefault(false);

    dialog.m_editNote.SetFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !(go.lastItemState & ODS_FOCUS); }, kWaitMs));
    go.EnableWindow(FALSE);
    EXPECT_TRUE(paintedWith(ODS_DISABLED));
  });
}

TEST_F(LiveButton, EraseComesWithTheFirstPaintAndWhenAnInvalidationAsksForIt) {
  Run([&] {
    ProbeButton& go = dialog.m_btnGo;
    EXPECT_EQ(go.erases, 1);
    go.InvalidateRect(nullptr, FALSE);
    go.UpdateWindow();
    EXPECT_EQ(go.erases, 1);
    const int paints = go.paints;
    go.InvalidateRect(nullptr, TRUE);
    go.UpdateWindow();
    EXPECT_EQ(go.erases, 2);
    EXPECT_EQ(go.paints, paints + 1);
  });
}

TEST_F(LiveButton, PointerCycleHoverRepaintLeaveAndEnterAgain) {
  Run([&] {
    ProbeButton& go = dialog.m_btnGo;
    const int midY = Go()->height() / 2;

    SendEnter(Go(), QPoint(5, 5));
    SendMove(Go(), QPoint(6, 5));
    // Tracking is asked for at once; nothing changes until the hover notice.
    EXPECT_TRUE(go.m_bTrackingMouse);
    EXPECT_FALSE(go.m_bMouseOver);
    const int erases = go.erases;
    ASSERT_TRUE(QTest::qWaitFor([&] { return go.hovers == 1; }, kWaitMs));
    EXPECT_TRUE(go.m_bMouseOver);
    EXPECT_TRUE(QTest::qWaitFor([&] { return go.erases == erases + 1; }, kWaitMs));
    EXPECT_EQ(At(Grab(Go()), 1, midY), kHotLeft);

    // Still inside: the one request has been answered and no other is made.
    SendMove(Go(), QPoint(8, 6));
    SendMove(Go(), QPoint(9, 6));
    QTest::qWait(50);
    EXPECT_EQ(go.hovers, 1);

    const int paints = go.paints;
    SendLeave(Go());
    EXPECT_EQ(go.leaves, 1);
    EXPECT_FALSE(go.m_bMouseOver);
    EXPECT_FALSE(go.m_bTrackingMouse);
    // One repaint, without erasing.
    EXPECT_TRUE(QTest::qWaitFor([&] { return go.paints > paints; }, kWaitMs));
    EXPECT_EQ(go.erases, erases + 1);
    EXPECT_NE(At(Grab(Go()), 1, midY), kHotLeft);

    SendEnter(Go(), QPoint(5, 5));
    EXPECT_TRUE(go.m_bTrackingMouse);
    EXPECT_TRUE(QTest::qWaitFor([&] { return go.hovers == 2; }, kWaitMs));
  });
}

TEST_F(LiveButton, LeavingBeforeTheHoverNoticeEndsTheRequest) {
  Run([&] {
    ProbeButton& go = dialog.m_btnGo;
    SendEnter(Go(), QPoint(5, 5));
    SendLeave(Go());
    EXPECT_EQ(go.leaves, 1);
    EXPECT_FALSE(go.m_bTrackingMouse);
    QTest::qWait(50);
    EXPECT_EQ(go.hovers, 0);
    EXPECT_FALSE(go.m_bMouseOver);
  });
}

// The pointer moved by the window system, with the toolkit's own enter and leave.
TEST_F(LiveButton, RealPointerOverTheButtonLightsItsFrame) {
  Run([&] {
    ProbeButton& go = dialog.m_btnGo;
    QTest::mouseMove(Go(), QPoint(10, 8));
    ASSERT_TRUE(QTest::qWaitFor([&] { return go.hovers == 1; }, kWaitMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return At(Grab(Go()), 1, Go()->height() / 2) == kHotLeft; }, kWaitMs));
    QTest::mouseMove(WidgetOf(dialog), QPoint(2, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return go.leaves == 1; }, kWaitMs));
    EXPECT_FALSE(go.m_bMouseOver);
  });
}

TEST_F(LiveButton, ClicksSpaceAndEnterStillReachTheDialog) {
  Run([&] {
    QTest::mouseClick(Go(), Qt::LeftButton, {}, QPoint(10, 8));
    EXPECT_EQ(dialog.goClicks, 1);
    dialog.m_btnOther.SetFocus();
    QTest::keyClick(WidgetOf(dialog.m_btnOther), Qt::Key_Space);
    EXPECT_EQ(dialog.otherClicks, 1);
    QTest::keyClick(WidgetOf(dialog.m_btnOther), Qt::Key_Return);
    EXPECT_EQ(dialog.otherClicks, 2);
    // Tab moves on to the next button, which takes Space as its own.
    QTest::keyClick(WidgetOf(dialog.m_btnOther), Qt::Key_Tab);
    EXPECT_EQ(WidgetOf(dialog)->focusWidget(), WidgetOf(dialog.m_editNote));
    dialog.m_btnGo.EnableWindow(FALSE);
    QTest::mouseClick(Go(), Qt::LeftButton, {}, QPoint(10, 8));
    EXPECT_EQ(dialog.goClicks, 1);
  });
}

// The main window's six command buttons, and a click on one of them doing its work.
class MainWindowButtons : public CBrimlockDlg {
 public:
  MainWindowButtons() : CBrimlockDlg(m_noDatabase) {}
  _ConnectionPtr m_noDatabase;  // these windows never look a ticket up
  using CBrimlockDlg::m_btnNext;
  using CBrimlockDlg::m_btnPrev;
  using CBrimlockDlg::m_btnQuery;
  using CBrimlockDlg::m_btnRead;
  using CBrimlockDlg::m_btnReset;
  using CBrimlockDlg::m_btnWrite;
};

TEST(MainWindow, CommandButtonsAreOwnerDrawnAndResetStillResets) {
  encoder_sim::PtyPeer line;
  setenv("BRIMLOCK_COM1", line.slavePath().c_str(), 1);
  MainWindowButtons dlg;
  RunModal(dlg, [&] {
    for (CXPButton* button :
         {&dlg.m_btnRead, &dlg.m_btnWrite, &dlg.m_btnReset, &dlg.m_btnQuery, &dlg.m_btnPrev, &dlg.m_btnNext}) {
      EXPECT_EQ(button->GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
      EXPECT_FALSE(WidgetOf(*button)->mask().isEmpty());
    }
    QTest::mouseClick(WidgetOf(dlg.m_btnReset), Qt::LeftButton, {}, QPoint(10, 8));
    EXPECT_TRUE(line.waitFor("\x1b\x30", 2000ms));
  });
  unsetenv("BRIMLOCK_COM1");
}

}  // namespace
