// The serial port session as the main window runs it: which port it opens, what reaches
// the line, how a port that cannot be had is reported, and that the port is free again
// once an operation (or the closing sequence) is over.
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "encoder-sim/PtyPeer.h"
#include "encoder-sim/VirtualEncoder.h"
#include "harness.h"

namespace {

using namespace std::chrono_literals;
using encoder_sim::PtyPeer;

class PortSession : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("BRIMLOCK_COM1", line.slavePath().c_str(), 1);
    setenv("BRIMLOCK_COM2", other.slavePath().c_str(), 1);
  }
  void TearDown() override {
    unsetenv("BRIMLOCK_COM1");
    unsetenv("BRIMLOCK_COM2");
  }
  Apartment apartment;
  MessageBoxes boxes;
  PtyPeer line;   // com1
  PtyPeer other;  // com2
};

TEST_F(PortSession, EveryWayOfClosingSendsOneResetFrame) {
  const std::vector<std::pair<const char*, std::function<void(TestDlg&)>>> ways = {
      {"Enter", [](TestDlg& d) { QTest::keyClick(WidgetOf(d)->focusWidget(), Qt::Key_Return); }},
      {"Esc", [](TestDlg& d) { QTest::keyClick(WidgetOf(d)->focusWidget(), Qt::Key_Escape); }},
      {"close box", [](TestDlg& d) { WidgetOf(d)->close(); }},
      {"Alt+F4", [](TestDlg& d) { QTest::keyClick(WidgetOf(d)->focusWidget(), Qt::Key_F4, Qt::AltModifier); }},
      {"system menu Close", [](TestDlg& d) { d.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& [name, close] : ways) {
    SCOPED_TRACE(name);
    TestDlg dlg;
    RunModal(dlg, [&] { close(dlg); });
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(SentBeforeRelease(line), kResetFrame);
    line.clearReceived();
  }
  EXPECT_EQ(SentBeforeRelease(other, "com2"), "");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PortSession, TheComboChoiceTakesEffectAtEveryOpenWhateverNameTheCallerGives) {
  TestDlg dlg;
  RunModal(dlg, [&] {
    dlg.m_comboPort.SetCurSel(1);
    dlg.OnBnClickedResetButton();
    EXPECT_EQ(dlg.m_strPortName.bytes(), "com2");
    EXPECT_EQ(SentBeforeRelease(other, "com2"), kResetFrame);
    EXPECT_EQ(SentBeforeRelease(line), "");
    line.clearReceived();
    other.clearReceived();

    dlg.m_comboPort.SetCurSel(0);
    dlg.OnBnClickedResetButton();
    EXPECT_EQ(SentBeforeRelease(line), kResetFrame);
    line.clearReceived();

    dlg.m_comboPort.SetCurSel(1);
  });
  // The closing sequence passes "COM1" and still resets the encoder on com2.
  EXPECT_EQ(SentBeforeRelease(other, "com2"), kResetFrame);
  EXPECT_EQ(SentBeforeRelease(line), "");
}

TEST_F(PortSession, APortThatCannotBeOpenedAtClosingIsReportedOnceAndTheWindowStillCloses) {
  setenv("BRIMLOCK_COM1", kMissingPort, 1);
  TestDlg dlg;
  QWidget* window = nullptr;
  INT_PTR result = RunModal(dlg, [&] { window = WidgetOf(dlg); });

  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(dlg.destroyCount, 1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "请检查写卡机");
  EXPECT_EQ(boxes.shown[0].title, std::string(AfxGetAppName()));
  EXPECT_EQ(boxes.shown[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(boxes.shown[0].owner, window);
  EXPECT_EQ(boxes.shown[0].buttons, std::vector<std::string>{"确定"});
}

TEST_F(PortSession, ResetAndWriteOnAMissingPortStopAfterTheOneMessage) {
  TestDlg dlg;
  RunModal(dlg, [&] {
    setenv("BRIMLOCK_COM1", kMissingPort, 1);
    dlg.OnBnClickedResetButton();
    EXPECT_EQ(boxes.shown.size(), 1u);

    dlg.m_editTrack1.SetWindowText("CARD");
    dlg.OnBnClickedWriteButton();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "请检查写卡机");
    EXPECT_EQ(TextOf(dlg.m_editTrack1), "CARD");
    setenv("BRIMLOCK_COM1", line.slavePath().c_str(), 1);
  });
  EXPECT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(SentBeforeRelease(line), kResetFrame);
}

TEST_F(PortSession, APortHeldElsewhereCountsAsAFailedOpenUntilItIsReleased) {
  TestDlg dlg;
  RunModal(dlg, [&] {
    HANDLE hHeld = CreateFileA("com1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
    testing::internal::CaptureStderr();
    dlg.OnBnClickedResetButton();
    const std::string noted = testing::internal::GetCapturedStderr();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "请检查写卡机");
    // Beside the box, standard error names the port and why it would not open.
    EXPECT_NE(noted.find("brimlock: com1 (" + line.slavePath() + ") cannot be opened: another program holds it"),
              std::string::npos)
        << noted;
    CloseHandle(hHeld);

    dlg.OnBnClickedResetButton();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(SentBeforeRelease(line), kResetFrame);
  });
}

bool Openable(const char* port) {
  HANDLE hPort = CreateFileA(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  return hPort != INVALID_HANDLE_VALUE && CloseHandle(hPort);
}

TEST_F(PortSession, EveryOperationLeavesThePortFreeForOthers) {
  encoder_sim::VirtualEncoder encoder({.cardData = "0123456789"});
  setenv("BRIMLOCK_COM1", encoder.slavePath().c_str(), 1);
  TestDlg dlg;
  RunModal(dlg, [&] {
    dlg.OnBnClickedResetButton();
    EXPECT_TRUE(Openable("com1")) << "after Reset";
    dlg.OnBnClickedReadButton();
    EXPECT_EQ(TextOf(dlg.m_editTrack1), "0123456789");
    EXPECT_TRUE(Openable("com1")) << "after Read";
    dlg.OnBnClickedWriteButton();
    EXPECT_TRUE(Openable("com1")) << "after Write";
  });
  EXPECT_TRUE(Openable("com1")) << "after closing";
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PortSession, OpenSetsTheLineAndAFrameEndsAtItsFirstNul) {
  TestDlg dlg;
  RunModal(dlg, [&] {
    ASSERT_TRUE(dlg.OpenPort("COM1"));
    EXPECT_EQ(dlg.m_strPortName.bytes(), "com1");
    static const char frame[] = "\x1b\x41\0\x1b\x42";
    EXPECT_TRUE(dlg.SendFrame(frame));
    CloseHandle(dlg.m_hComm);
    EXPECT_EQ(SentBeforeRelease(line), "\x1b\x41");

    // The settings outlive the session on the line: 9600 baud, 8 data bits, no parity, 1 stop bit.
    HANDLE hPort = CreateFileA("com1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hPort, INVALID_HANDLE_VALUE);
    DCB dcb{};
    EXPECT_TRUE(GetCommState(hPort, &dcb));
    EXPECT_EQ(dcb.BaudRate, CBR_9600);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    CloseHandle(hPort);
  });
}

}  // namespace

namespace {

// An operation's last frame must survive the purge at the next operation's open.
TEST_F(PortSession, BackToBackOperationsLoseNoFrame) {
  TestDlg dlg;
  RunModal(dlg, [&] {
    for (int i = 0; i < 20; ++i) dlg.OnBnClickedResetButton();
    std::string expected;
    for (int i = 0; i < 20; ++i) expected += kResetFrame;
    EXPECT_EQ(SentBeforeRelease(line), expected);
  });
}

}  // namespace
