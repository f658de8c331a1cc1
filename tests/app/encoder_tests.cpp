// Reset, Read and Write through the real main window against a virtual encoder on a
// pseudo-terminal: the frames on the line, the reply rule, and what each leaves in the window.
#include <QElapsedTimer>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "encoder-sim/VirtualEncoder.h"
#include "harness.h"

namespace {

using namespace std::chrono_literals;
using encoder_sim::EncoderOptions;
using encoder_sim::FrameKind;
using encoder_sim::VirtualEncoder;

constexpr char kLeadIn[] = "\x1b%B";
constexpr char kRead[] = "\x1b]";

std::string WriteFrame(const std::string& text) { return "\x1bt" + text + "\x1d\x1b\\"; }

// The apartment start-up enters (so the dialog's recordset object exists, closed), message
// boxes recorded, and com1 at a virtual encoder that each test sets up as it needs.
class CardOperation : public ::testing::Test {
 protected:
  void TearDown() override { unsetenv("BRIMLOCK_COM1"); }

  VirtualEncoder& Encoder(EncoderOptions options = {}) {
    encoder = std::make_unique<VirtualEncoder>(std::move(options));
    setenv("BRIMLOCK_COM1", encoder->slavePath().c_str(), 1);
    return *encoder;
  }
  std::string Track1() const { return TextOf(dlg.m_editTrack1); }
  QWidget* Focus() const { return WidgetOf(dlg)->focusWidget(); }

  // The lookup panel as a query leaves it: three texts and both arrows enabled.
  void FillLookupPanel() {
    dlg.m_editTicket.SetWindowText("T-1001");
    dlg.m_editCardNo.SetWindowText("000123");
    dlg.m_editHiddenCode.SetWindowText("H-77");
    dlg.m_btnPrev.EnableWindow(TRUE);
    dlg.m_btnNext.EnableWindow(TRUE);
  }
  bool LookupPanelFilled() const {
    return TextOf(dlg.m_editTicket) == "T-1001" && TextOf(dlg.m_editCardNo) == "000123" &&
           TextOf(dlg.m_editHiddenCode) == "H-77" && dlg.m_btnPrev.IsWindowEnabled() && dlg.m_btnNext.IsWindowEnabled();
  }
  bool LookupPanelReset() const {
    return TextOf(dlg.m_editTicket).empty() && TextOf(dlg.m_editCardNo).empty() &&
           TextOf(dlg.m_editHiddenCode).empty() && !dlg.m_btnPrev.IsWindowEnabled() && !dlg.m_btnNext.IsWindowEnabled();
  }

  Apartment apartment;
  MessageBoxes boxes;
  std::unique_ptr<VirtualEncoder> encoder;
  TestDlg dlg;
};

// ---- Reset ----

using CardReset = CardOperation;

TEST_F(CardReset, SendsTheResetFrameAndEmptiesBothTracks) {
  VirtualEncoder& enc = Encoder();
  RunModal(dlg, [&] {
    dlg.m_editTrack1.SetWindowText("track one");
    dlg.m_editTrack2.SetWindowText("track two");
    FillLookupPanel();
    dlg.OnBnClickedResetButton();
    EXPECT_EQ(Track1(), "");
    EXPECT_EQ(TextOf(dlg.m_editTrack2), "");
    EXPECT_TRUE(LookupPanelFilled());
    EXPECT_EQ(SentBeforeRelease(enc.peer()), kResetFrame);
  });
  EXPECT_TRUE(boxes.shown.empty());
}

// ---- Read ----

using CardRead = CardOperation;

TEST_F(CardRead, SendsLeadInAndReadThenShowsTheDataBetweenLeadAndTrail) {
  VirtualEncoder& enc = Encoder({.cardData = "0123456789"});
  RunModal(dlg, [&] {
    dlg.m_editTrack1.SetWindowText("old");
    dlg.m_editTrack2.SetWindowText("track two stays");
    dlg.OnBnClickedReadButton();
    EXPECT_EQ(Track1(), "0123456789");
    EXPECT_EQ(TextOf(dlg.m_editTrack2), "track two stays");
    EXPECT_TRUE(dlg.m_bReadOk);
  });
  // No reset after a reply: the only one is the closing sequence's.
  EXPECT_EQ(SentBeforeRelease(enc.peer()), std::string(kLeadIn) + kRead + kResetFrame);
  EXPECT_TRUE(boxes.shown.empty());
}

// What a card holds goes back onto a card unchanged, read into Track 1 and written from it:
// Chinese text, the user-defined areas, the code page's later additions, 0x80 and 0xFF,
// and control bytes. The edit itself keeps every sequence the code page holds.
TEST_F(CardRead, CardDataReadAndWrittenBackIsByteExact) {
  const std::string card = "票号：一二三ABC"
                           "\xAA\xA1\xAF\xFE\xF8\xA1\xFE\xFE\xA1\x40\xA7\xA0"
                           "\xA6\xD9\xFE\x50\xA8\xBF\x80\xFF\xFF\xFF"
                           "\x01\x09\x1b\x1d\x7f ~";
  VirtualEncoder& enc = Encoder({.cardData = card});
  RunModal(dlg, [&] {
    dlg.OnBnClickedReadButton();
    EXPECT_EQ(Track1(), card);
    EXPECT_TRUE(static_cast<QLineEdit*>(WidgetOf(dlg.m_editTrack1))
                    ->text()
                    .startsWith(QString::fromUtf16(u"票号：一二三ABC\uE000")));
    dlg.OnBnClickedWriteButton();
    ASSERT_TRUE(enc.waitForFrames(4, 2s));
    EXPECT_EQ(enc.cardData(), card);

    std::string every;
    for (int byte = 0x01; byte <= 0xFF; ++byte)
      if (byte < 0x81 || byte == 0xFF) every += static_cast<char>(byte);
    for (int lead = 0x81; lead <= 0xFE; ++lead)
      for (int trail = 0x40; trail <= 0xFE; ++trail)
        if (trail != 0x7F) every += {static_cast<char>(lead), static_cast<char>(trail)};
    dlg.m_editTrack1.SetWindowText(every.c_str());
    EXPECT_TRUE(Track1() == every) << "the edit changed a code page 936 sequence";
  });
}

TEST_F(CardRead, AFullReplyOfAHundredBytesShowsItsNinetySixMiddleBytes) {
  std::string data;
  for (int i = 0; i < 96; ++i) data += static_cast<char>('!' + i % 90);
  Encoder({.rawAnswer = "\x1bs" + data + "?\x1c"});
  RunModal(dlg, [&] {
    dlg.OnBnClickedReadButton();
    EXPECT_EQ(Track1(), data);
  });
}

// The first 100 bytes of a longer burst are the reply; nothing the encoder sent after a
// read ended, or between operations, reaches the next Read.
TEST_F(CardRead, BytesBeyondTheReplyNeverReachTheNextRead) {
  std::string data;
  for (int i = 0; i < 150; ++i) data += static_cast<char>('0' + i % 10);
  VirtualEncoder& enc = Encoder({.cardData = data});
  const std::string shown = enc.answer().substr(2, 96);
  RunModal(dlg, [&] {
    dlg.OnBnClickedReadButton();
    EXPECT_EQ(Track1(), shown);

    enc.peer().send("stale bytes");
    ASSERT_TRUE(enc.peer().waitQueued(2s));
    dlg.OnBnClickedReadButton();
    EXPECT_EQ(Track1(), shown);
  });
}

TEST_F(CardRead, AGapInsideTheReplyEndsItAndItsLastTwoBytesAreDropped) {
  // The answer "\x1b" "s0123456789?\x1c" breaks for 60 ms after "\x1b" "s012345".
  Encoder({.cardData = "0123456789", .splitAfter = 8, .splitGap = 60ms});
  RunModal(dlg, [&] {
    dlg.OnBnClickedReadButton();
    EXPECT_EQ(Track1(), "0123");
    EXPECT_TRUE(dlg.m_bReadOk);
  });
}

// The reply runs to its first NUL; four bytes or fewer leave nothing to show, and each of
// these still counts as a read: no reset, the flag set.
TEST_F(CardRead, ShortRepliesAndRepliesCutByANulCountAsReads) {
  const std::pair<std::string, std::string> cases[] = {
      {std::string("\0\x1bsABCDEF?\x1c", 11), ""},
      {std::string("\x1bsABCDEF\0GH?\x1c", 13), "ABCD"},
      {"\x1bs?\x1c", ""},
      {"\x1b", ""},
      {"\x1bsX?\x1c", "X"},
  };
  for (const auto& [answer, shown] : cases) {
    SCOPED_TRACE(::testing::PrintToString(answer));
    TestDlg reader;
    VirtualEncoder& enc = Encoder({.rawAnswer = answer});
    RunModal(reader, [&] {
      reader.m_editTrack1.SetWindowText("old");
      reader.OnBnClickedReadButton();
      EXPECT_EQ(TextOf(reader.m_editTrack1), shown);
      EXPECT_TRUE(reader.m_bReadOk);
    });
    EXPECT_EQ(SentBeforeRelease(enc.peer()), std::string(kLeadIn) + kRead + kResetFrame);
  }
  EXPECT_TRUE(boxes.shown.empty());
}

// ---- Write ----

using CardWrite = CardOperation;

TEST_F(CardWrite, SendsLeadInThenTheFramedTextAndKeepsItShown) {
  VirtualEncoder& enc = Encoder();
  RunModal(dlg, [&] {
    dlg.m_editTrack1.SetWindowText("CARD-0042");
    dlg.OnBnClickedWriteButton();
    EXPECT_EQ(Track1(), "CARD-0042");
    EXPECT_EQ(SentBeforeRelease(enc.peer()), kLeadIn + WriteFrame("CARD-0042"));
    ASSERT_TRUE(enc.waitForFrames(2, 2s));
    EXPECT_EQ(enc.cardData(), "CARD-0042");
  });
  EXPECT_TRUE(boxes.shown.empty());
}

// Spaces, the frame's own control bytes and Chinese text are carried as the edit holds them.
TEST_F(CardWrite, TheTextTravelsByteForByte) {
  VirtualEncoder& enc = Encoder();
  // clang-format off
  const std::string texts[] = {"   ", "A\x1b" "B\x1d" "C\x1d\x1b" "D", "卡号：一二三"};
  // clang-format on
  RunModal(dlg, [&] {
    size_t frames = 0;
    for (const std::string& text : texts) {
      dlg.m_editTrack1.SetWindowText(text.c_str());
      ASSERT_EQ(Track1(), text);
      dlg.OnBnClickedWriteButton();
      // One write at a time: the encoder tells a write's end by the quiet after it.
      frames += 2;
      ASSERT_TRUE(enc.waitForFrames(frames, 2s));
      const auto received = enc.frames();
      EXPECT_EQ(received[frames - 2].bytes, kLeadIn);
      EXPECT_EQ(received[frames - 1].kind, FrameKind::Write);
      EXPECT_EQ(received[frames - 1].bytes, WriteFrame(text));
      EXPECT_EQ(enc.cardData(), text);
    }
  });
}

// An empty text ends Write before the open: with the port held elsewhere no "check the
// card writer" message appears, and nothing reaches the line.
TEST_F(CardWrite, AnEmptyTextOpensNoPortAndFocusesTrackOne) {
  VirtualEncoder& enc = Encoder();
  RunModal(dlg, [&] {
    HANDLE hHeld = CreateFileA("com1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hHeld, INVALID_HANDLE_VALUE);
    dlg.m_btnWrite.SetFocus();
    dlg.OnBnClickedWriteButton();
    EXPECT_EQ(Focus(), WidgetOf(dlg.m_editTrack1));

    dlg.m_checkUseLookup.SetCheck(BST_CHECKED);
    dlg.m_editTrack1.SetWindowText("shown before");
    dlg.m_btnWrite.SetFocus();
    dlg.OnBnClickedWriteButton();
    EXPECT_EQ(Track1(), "");
    EXPECT_EQ(Focus(), WidgetOf(dlg.m_editTrack1));
    CloseHandle(hHeld);
    EXPECT_EQ(SentBeforeRelease(enc.peer()), "");
  });
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(CardWrite, WithTheBoxSetTheHiddenCodeIsShownAndWritten) {
  VirtualEncoder& enc = Encoder();
  RunModal(dlg, [&] {
    FillLookupPanel();
    dlg.m_checkUseLookup.SetCheck(BST_CHECKED);
    dlg.m_editHiddenCode.SetWindowText("暗码8848");
    dlg.m_editTrack1.SetWindowText("typed");
    dlg.OnBnClickedWriteButton();
    EXPECT_EQ(Track1(), "暗码8848");
    EXPECT_EQ(TextOf(dlg.m_editTicket), "T-1001");
    EXPECT_TRUE(dlg.m_btnNext.IsWindowEnabled());
    EXPECT_EQ(SentBeforeRelease(enc.peer()), kLeadIn + WriteFrame("暗码8848"));
  });
}

// A write frame carries at most 1018 text bytes whole; a longer hidden code is refused
// with one message and nothing else happens.
TEST_F(CardWrite, AHiddenCodeLongerThanOneFrameIsRefusedAndOneThatFitsIsSentWhole) {
  VirtualEncoder& enc = Encoder();
  const std::string tooLong(1019, 'H');
  const std::string fits = std::string(1016, 'F') + "卡";
  RunModal(dlg, [&] {
    FillLookupPanel();
    dlg.m_checkUseLookup.SetCheck(BST_CHECKED);
    dlg.m_editTrack1.SetWindowText("before");
    dlg.m_editHiddenCode.SetWindowText(tooLong.c_str());
    ASSERT_EQ(TextOf(dlg.m_editHiddenCode), tooLong);
    dlg.OnBnClickedWriteButton();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "写卡内容过长（超过 1018 字节），未写卡");
    EXPECT_EQ(boxes.shown[0].owner, WidgetOf(dlg));
    EXPECT_EQ(Track1(), "before");
    EXPECT_EQ(TextOf(dlg.m_editHiddenCode), tooLong);
    EXPECT_EQ(TextOf(dlg.m_editTicket), "T-1001");
    EXPECT_TRUE(dlg.m_btnNext.IsWindowEnabled());
    EXPECT_EQ(SentBeforeRelease(enc.peer()), "");
    enc.peer().clearReceived();

    dlg.m_editHiddenCode.SetWindowText(fits.c_str());
    dlg.OnBnClickedWriteButton();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(Track1(), fits);
    EXPECT_EQ(SentBeforeRelease(enc.peer()), kLeadIn + WriteFrame(fits));
    ASSERT_TRUE(enc.waitForFrames(3, 2s));  // the first marker, lead-in, write
    EXPECT_EQ(enc.cardData(), fits);
  });
}

// ---- The lookup panel ----

using LookupPanel = CardOperation;

TEST_F(LookupPanel, ReadAndWriteResetItWhileTheBoxIsClear) {
  Encoder({.cardData = "0123456789"});
  RunModal(dlg, [&] {
    FillLookupPanel();
    dlg.OnBnClickedReadButton();
    EXPECT_TRUE(LookupPanelReset());

    FillLookupPanel();
    dlg.OnBnClickedWriteButton();
    EXPECT_TRUE(LookupPanelReset());

    // Also when there is nothing to write.
    FillLookupPanel();
    dlg.m_editTrack1.SetWindowText("");
    dlg.OnBnClickedWriteButton();
    EXPECT_TRUE(LookupPanelReset());
  });
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(LookupPanel, ReadLeavesItAloneWhileTheBoxIsSet) {
  Encoder({.cardData = "0123456789"});
  RunModal(dlg, [&] {
    FillLookupPanel();
    dlg.m_checkUseLookup.SetCheck(BST_CHECKED);
    dlg.OnBnClickedReadButton();
    EXPECT_EQ(Track1(), "0123456789");
    EXPECT_TRUE(LookupPanelFilled());
  });
}

// A recordset object that could not be created leaves nothing to close and nothing to report.
TEST_F(LookupPanel, IsResetQuietlyWithoutARecordsetObject) {
  Encoder({.cardData = "0123456789"});
  RunModal(dlg, [&] {
    dlg.m_pRecordset = nullptr;
    FillLookupPanel();
    dlg.OnBnClickedReadButton();
    EXPECT_EQ(Track1(), "0123456789");
    EXPECT_TRUE(LookupPanelReset());
    dlg.OnBnClickedWriteButton();
    EXPECT_EQ(SentBeforeRelease(encoder->peer()), kLeadIn + std::string(kRead) + kLeadIn + WriteFrame("0123456789"));
  });
  EXPECT_TRUE(boxes.shown.empty());
}

// ---- The real timings: five tries of up to 808 ms, each empty one followed by 800 ms ----

using SlowPoll = CardOperation;

TEST_F(SlowPoll, NoReplyInFiveTriesSendsResetAndFocusesTrackOne) {
  VirtualEncoder& enc = Encoder({.noAnswer = true});
  RunModal(dlg, [&] {
    dlg.m_editTrack1.SetWindowText("old");
    dlg.m_btnRead.SetFocus();
    QElapsedTimer timer;
    timer.start();
    dlg.OnBnClickedReadButton();
    EXPECT_GE(timer.elapsed(), 7500);
    EXPECT_LT(timer.elapsed(), 12000);
    EXPECT_EQ(Track1(), "");
    EXPECT_EQ(Focus(), WidgetOf(dlg.m_editTrack1));
    EXPECT_FALSE(dlg.m_bReadOk);
    EXPECT_EQ(SentBeforeRelease(enc.peer()), std::string(kLeadIn) + kRead + kResetFrame);
  });
  EXPECT_TRUE(boxes.shown.empty());
}

// Starting 400 ms into the third pause (2 x (808 + 800) + 808 + 400 ms after the request),
// the reply waits in the queue and the fourth try, at about 4.8 s, takes it.
TEST_F(SlowPoll, AReplyBeginningInTheThirdPauseIsShownAfterTheFourthTry) {
  Encoder({.cardData = "LATE", .answerDelay = 4424ms});
  RunModal(dlg, [&] {
    QElapsedTimer timer;
    timer.start();
    dlg.OnBnClickedReadButton();
    EXPECT_GE(timer.elapsed(), 4400);
    EXPECT_LT(timer.elapsed(), 6400);  // the fifth try would begin at about 6.4 s
    EXPECT_EQ(Track1(), "LATE");
    EXPECT_TRUE(dlg.m_bReadOk);
  });
}

TEST_F(SlowPoll, AReadOnAPortThatCannotBeOpenedEndsAfterTheFivePauses) {
  setenv("BRIMLOCK_COM1", kMissingPort, 1);
  RunModal(dlg, [&] {
    dlg.m_editTrack1.SetWindowText("old");
    dlg.m_btnRead.SetFocus();
    QElapsedTimer timer;
    timer.start();
    dlg.OnBnClickedReadButton();
    EXPECT_GE(timer.elapsed(), 3900);
    EXPECT_LT(timer.elapsed(), 7000);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "请检查写卡机");
    EXPECT_EQ(Track1(), "");
    EXPECT_EQ(Focus(), WidgetOf(dlg.m_editTrack1));
    EXPECT_FALSE(dlg.m_bReadOk);
  });
  EXPECT_EQ(boxes.shown.size(), 2u);  // and once more when closing
}

}  // namespace
