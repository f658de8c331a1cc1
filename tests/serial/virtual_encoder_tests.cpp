// The virtual encoder as the program meets it: frames in, answers out, over a real pty.
#include <gtest/gtest.h>

#include <utility>

#include "encoder-sim/VirtualEncoder.h"
#include "serial_test_support.h"

using encoder_sim::EncoderOptions;
using encoder_sim::FrameKind;
using encoder_sim::Millis;
using encoder_sim::VirtualEncoder;
using namespace serial_test;

namespace {

const std::string kLeadIn = "\x1b\x25\x42";
const std::string kRead = "\x1b\x5d";
const std::string kReset = "\x1b\x30";
std::string WriteFrame(const std::string& text) { return "\x1b\x74" + text + "\x1d\x1b\x5c"; }

class Encoder : public ::testing::Test {
 protected:
  void Start(EncoderOptions options = {}) {
    encoder = std::make_unique<VirtualEncoder>(std::move(options));
    com1 = std::make_unique<ScopedEnv>("BRIMLOCK_COM1", encoder->slavePath());
    port = OpenLikeProgram("com1");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
  }
  void TearDown() override { CloseHandle(port); }

  // Lead-in and read request, then one read, as the program's Read makes them.
  std::string ReadCard() {
    WriteBytes(port, kLeadIn);
    WriteBytes(port, kRead);
    return ReadBytes(port);
  }

  std::unique_ptr<VirtualEncoder> encoder;
  std::unique_ptr<ScopedEnv> com1;
  HANDLE port = INVALID_HANDLE_VALUE;
};

TEST_F(Encoder, ReadIsAnsweredWithDataBetweenLeadAndTrail) {
  Start({.cardData = "0123456789"});
  EXPECT_EQ(ReadCard(), "\x1bs0123456789?\x1c");
  ASSERT_TRUE(encoder->waitForFrames(2, Millis(2000)));
  const auto log = encoder->log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0], "LEAD_IN  1B 25 42  |.%B|");
  EXPECT_EQ(log[1], "READ     1B 5D  |.]|");
  EXPECT_EQ(log[2], "answer   1B 73 30 31 32 33 34 35 36 37 38 39 3F 1C  |.s0123456789?.|  text: .s0123456789?.");
}

TEST_F(Encoder, WriteTextMayHoldEscGsAndEvenTheEndMark) {
  Start();
  // clang-format off
  const std::string text = "A\x1b" "B\x1d" "C\x1d\x1b\x5c" "D";
  // clang-format on
  WriteBytes(port, kLeadIn);
  WriteBytes(port, WriteFrame(text));
  ASSERT_TRUE(encoder->waitForFrames(2, Millis(2000)));
  const auto frames = encoder->frames();
  EXPECT_EQ(frames[0].kind, FrameKind::LeadIn);
  EXPECT_EQ(frames[1].kind, FrameKind::Write);
  EXPECT_EQ(frames[1].text, text);
  EXPECT_EQ(encoder->cardData(), text);
  EXPECT_EQ(ReadCard(), "\x1b\x73" + text + "\x3f\x1c");
}

TEST_F(Encoder, FramesArrivingTogetherAreSplitAndNoiseIsSetApart) {
  Start();
  // A write, then the next operation's frames before the line goes quiet, in one go.
  WriteBytes(port, WriteFrame("card 7") + kReset + kLeadIn + kRead);
  EXPECT_EQ(ReadBytes(port), "\x1bscard 7?\x1c");
  WriteBytes(port, "xyz" + kReset + "\x1b");
  ASSERT_TRUE(encoder->waitForFrames(7, Millis(2000)));
  const auto frames = encoder->frames();
  const FrameKind expected[] = {FrameKind::Write,   FrameKind::Reset, FrameKind::LeadIn, FrameKind::Read,
                                FrameKind::Unknown, FrameKind::Reset, FrameKind::Unknown};
  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(frames[i].kind, expected[i]) << i;
  EXPECT_EQ(frames[4].bytes, "xyz");
  EXPECT_EQ(frames[6].bytes, "\x1b");

  // Two writes back to back, as a batch sends them: two cards, the second one kept.
  WriteBytes(port, kLeadIn + WriteFrame("card 8") + kLeadIn + WriteFrame("card 9") + kLeadIn + kRead);
  EXPECT_EQ(ReadBytes(port), "\x1bscard 9?\x1c");
  ASSERT_TRUE(encoder->waitForFrames(13, Millis(2000)));
  EXPECT_EQ(encoder->frames()[8].text, "card 8");
  EXPECT_EQ(encoder->frames()[10].text, "card 9");
}

TEST_F(Encoder, SplitAnswerIsReadInTwoParts) {
  Start({.cardData = "0123456789", .splitAfter = 6, .splitGap = Millis(40)});
  EXPECT_EQ(ReadCard(), "\x1bs0123");
  EXPECT_EQ(ReadBytes(port), "456789\x3f\x1c");
}

TEST_F(Encoder, RawAnswerReplacesTheFramedOne) {
  Start({.cardData = "ignored", .rawAnswer = std::string("\x00\x01XYZ", 5)});
  EXPECT_EQ(ReadCard(), std::string("\x00\x01XYZ", 5));
}

TEST_F(Encoder, PaddedAnswerIsLongerThanOneRead) {
  Start({.cardData = "42", .padTo = 120});
  EXPECT_EQ(encoder->answer().size(), 124u);
  const std::string first = ReadCard();
  EXPECT_EQ(first, "\x1bs42" + std::string(96, '_'));
}

TEST_F(Encoder, DelayedAnswerStillFallsInsideOneRead) {
  Start({.cardData = "late", .answerDelay = Millis(300)});
  Stopwatch watch;
  EXPECT_EQ(ReadCard(), "\x1bslate?\x1c");
  EXPECT_GE(watch.ms(), 250);
}

// A reset drops an answer not yet sent, as a device abandons its read; an encoder that
// ignores reset answers all the same, into the next operation.
TEST_F(Encoder, AResetDropsAnAnswerNotYetSentUnlessItIsIgnored) {
  for (const bool ignored : {false, true}) {
    Start({.cardData = "late", .answerDelay = Millis(300), .ignoreReset = ignored});
    for (const std::string& frame : {kLeadIn, kRead, kReset}) WriteBytes(port, frame);
    ASSERT_TRUE(encoder->waitForFrames(3, Millis(2000)));
    EXPECT_EQ(encoder->peer().waitQueued(Millis(1000)), ignored);
    // The next encoder on a fresh pty, its variable set anew.
    CloseHandle(std::exchange(port, INVALID_HANDLE_VALUE));
    com1.reset();
  }
}

TEST_F(Encoder, NoAnswerLeavesTheReadEmpty) {
  Start({.noAnswer = true});
  EXPECT_EQ(ReadCard(), "");
  EXPECT_EQ(encoder->log().back(), "(no answer)");
}

TEST_F(Encoder, LogShowsChineseTextReadably) {
  Start();
  WriteBytes(port, WriteFrame("卡号\x1b\x31"));  // a code page 936 literal
  ASSERT_TRUE(encoder->waitForFrames(1, Millis(2000)));
  const std::string utf8 = reinterpret_cast<const char*>(u8"text: 卡号.1");
  EXPECT_NE(encoder->log()[0].find(utf8), std::string::npos) << encoder->log()[0];
}

}  // namespace
