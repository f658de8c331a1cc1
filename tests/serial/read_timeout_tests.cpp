// ReadFile's timeouts over a real pseudo-terminal, with the settings the encoder
// operations use and the general rules behind them; and a device that goes away.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "encoder-sim/PtyPeer.h"
#include "serial_test_support.h"

using encoder_sim::Millis;
using encoder_sim::PtyPeer;
using namespace serial_test;

namespace {

std::string Pattern(std::size_t length) {
  std::string bytes;
  for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>('!' + i % 90);
  return bytes;
}

long long ThreadCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

class ReadTimeouts : public ::testing::Test {
 protected:
  PtyPeer peer;
  ScopedEnv com1{"BRIMLOCK_COM1", peer.slavePath()};
  HANDLE port = OpenLikeProgram("com1");

  void SetUp() override { ASSERT_NE(port, INVALID_HANDLE_VALUE) << GetLastError(); }
  void TearDown() override { CloseHandle(port); }
};

TEST_F(ReadTimeouts, BurstOfHundredIsReadWholeWithoutWaitingOut) {
  const std::string burst = Pattern(100);
  peer.sendAfter(Millis(50), burst);
  Stopwatch watch;
  EXPECT_EQ(ReadBytes(port), burst);
  EXPECT_LT(watch.ms(), 600);
}

TEST_F(ReadTimeouts, LongerBurstGivesFirstHundredAndNextOpenPurgesTheRest) {
  const std::string burst = Pattern(150);
  peer.sendAfter(Millis(50), burst);
  EXPECT_EQ(ReadBytes(port), burst.substr(0, 100));
  ASSERT_TRUE(peer.waitQueued(Millis(1000))) << "the last 50 bytes should wait in the queue";

  CloseHandle(port);
  port = OpenLikeProgram("com1");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  peer.send("fresh");
  EXPECT_EQ(ReadBytes(port), "fresh");
}

TEST_F(ReadTimeouts, GapLongerThanIntervalEndsTheRead) {
  peer.sendWithGap("\x1bs12345", Millis(60), "6789?\x1c");
  Stopwatch watch;
  EXPECT_EQ(ReadBytes(port), "\x1bs12345");
  EXPECT_LT(watch.ms(), 600);
  EXPECT_EQ(ReadBytes(port), "6789?\x1c");
}

// However the port hands an unbroken reply over, it is read whole and soon after its last
// byte; a silence on the line still ends the read, whatever the delivery.
TEST_F(ReadTimeouts, UnbrokenReplyIsReadWholeUnderEveryDelivery) {
  const std::string reply = "\x1b\x73" + Pattern(39) + "?\x1c";
  for (const PortDelivery& c : kPortDeliveries) {
    SCOPED_TRACE(c.name);
    peer.setDelivery(c.delivery);
    peer.sendAfter(Millis(20), reply);
    EXPECT_EQ(ReadBytes(port), reply);
    const auto late = std::chrono::steady_clock::now() - peer.lastHandedOver();
    EXPECT_LT(late, Millis(100)) << "the read should end within about 30 ms of the last byte";

    peer.sendWithGap(reply.substr(0, 20), Millis(60), reply.substr(20));
    EXPECT_EQ(ReadBytes(port), reply.substr(0, 20));
    EXPECT_EQ(ReadBytes(port), reply.substr(20));
  }
}

TEST_F(ReadTimeouts, SilenceEndsTheReadAfterTotalTimeout) {
  Stopwatch watch;
  const long long cpuBefore = ThreadCpuMs();
  std::string buffer(100, '\0');
  DWORD got = 99;
  EXPECT_TRUE(ReadFile(port, buffer.data(), 100, &got, nullptr));
  EXPECT_EQ(got, 0u);
  EXPECT_GE(watch.ms(), 700);  // 8 * 100 + 8
  EXPECT_LE(watch.ms(), 2000);
  EXPECT_LT(ThreadCpuMs() - cpuBefore, 200) << "the wait must sleep in poll, not spin";
}

TEST_F(ReadTimeouts, GeneralRulesOfTheTimeouts) {
  // All zero: the read waits for its count, gaps or not.
  COMMTIMEOUTS blocking{0, 0, 0, 0, 0};
  SetCommTimeouts(port, &blocking);
  peer.sendWithGap("ab", Millis(150), "cde");
  Stopwatch watch;
  EXPECT_EQ(ReadBytes(port, 5), "abcde");
  EXPECT_GE(watch.ms(), 100);

  // MAXDWORD, 0, 0: what is there, at once.
  COMMTIMEOUTS immediate{MAXDWORD, 0, 0, 0, 0};
  SetCommTimeouts(port, &immediate);
  watch = Stopwatch();
  EXPECT_EQ(ReadBytes(port), "");
  peer.send("xyz");
  ASSERT_TRUE(peer.waitQueued(Millis(1000)));
  EXPECT_EQ(ReadBytes(port), "xyz");
  EXPECT_LT(watch.ms(), 500);

  // A total of constant only, no interval: a gap does not end the read.
  COMMTIMEOUTS total{0, 0, 2000, 0, 0};
  SetCommTimeouts(port, &total);
  peer.sendWithGap("12", Millis(100), "34");
  EXPECT_EQ(ReadBytes(port, 4), "1234");
}

class VanishingDevice : public ReadTimeouts {};

TEST_F(VanishingDevice, ReadGivesWhatArrivedAndEndsAtOnce) {
  COMMTIMEOUTS patient{0, 0, 3000, 0, 0};
  SetCommTimeouts(port, &patient);
  peer.sendAfter(Millis(50), "abcde");
  peer.vanishAfter(Millis(150));
  Stopwatch watch;
  const long long cpuBefore = ThreadCpuMs();
  EXPECT_EQ(ReadBytes(port), "abcde");
  EXPECT_LT(watch.ms(), 1500) << "a hangup must end the read, not the timeout";
  EXPECT_LT(ThreadCpuMs() - cpuBefore, 200);

  // The rest of the operation goes on harmlessly, and the port is gone for the next one.
  EXPECT_FALSE(WriteBytes(port, "\x1b\x30"));
  EXPECT_EQ(ReadBytes(port), "");
  EXPECT_TRUE(CloseHandle(port));
  port = OpenLikeProgram("com1");
  EXPECT_EQ(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(VanishingDevice, ReadWithProgramTimeoutsEndsWhenNothingCame) {
  peer.vanishAfter(Millis(100));
  Stopwatch watch;
  EXPECT_EQ(ReadBytes(port), "");
  EXPECT_LT(watch.ms(), 700);
}

}  // namespace
