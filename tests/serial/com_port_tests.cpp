// The serial calls the encoder operations make, on both platforms' serial calls: the line
// and timeouts the operations set take, and a read ends where the program needs it to.
// COM1 is an answering encoder and COM2 a silent one (under Wine, ptys mapped in
// HKLM\Software\Wine\Ports with the virtual encoder on the far end; on Linux, virtual
// encoders of the suite's own, posix/com_ports.cpp). COM1's encoder hands
// each answer over whole once its line time has passed (--batch 128): a byte-paced answer
// from a busy host can stall past the 8 ms interval, which then ends the read as it should.
#include <gtest/gtest.h>

#include <string>

#include "encoder/frames.h"
#include "program_port.h"
#include "support/stopwatch.h"

using namespace serial_test;

namespace {

class Port {
 public:
  explicit Port(const char* name) : m_handle(OpenLikeProgram(name)) {}
  ~Port() { CloseHandle(m_handle); }
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;
  HANDLE handle() const { return m_handle; }

 private:
  HANDLE m_handle;
};

TEST(ComPort, TakesTheOperationsLineAndTimeouts) {
  for (const char* name : {"com1", "com2"}) {
    SCOPED_TRACE(name);
    Port port(name);
    ASSERT_NE(port.handle(), INVALID_HANDLE_VALUE) << GetLastError();
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(port.handle(), &dcb));
    EXPECT_EQ(dcb.BaudRate, CBR_9600);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(port.handle(), &timeouts));
    const COMMTIMEOUTS program = ProgramTimeouts();
    EXPECT_EQ(timeouts.ReadIntervalTimeout, program.ReadIntervalTimeout);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, program.ReadTotalTimeoutMultiplier);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, program.ReadTotalTimeoutConstant);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, program.WriteTotalTimeoutMultiplier);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, program.WriteTotalTimeoutConstant);
  }
}

// One read after the read request, as the operations' poll makes it. A reply ends the read
// at the gap after its last byte, long before the 808 ms a silent read waits out. A reply's
// line time at 9600 8N1 is 1.04 ms a byte: 104 ms for the longest.
TEST(ComPort, AReadEndsSoonAfterTheReplyOrAtTheTotalTimeout) {
  struct Case {
    const char* what;
    const char* port;
    const char* card;  // written onto the card first; null for the silent encoder
    long long atLeastMs, atMostMs;
  };
  const Case cases[] = {
      {"an empty card", "com1", "", 0, 300},
      {"a short card", "com1", "HELLO BRIMLOCK 42", 0, 300},
      {"a card filling the 100-byte read", "com1",
       "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF"
       "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF",
       0, 450},
      {"a silent encoder", "com2", nullptr, 700, 1600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string reply = c.card == nullptr ? std::string() : "\x1b\x73" + std::string(c.card) + "\x3f\x1c";
    if (c.card != nullptr) {
      // Read back at once: the next open's purge would throw away a write the encoder
      // has not yet taken off the pty.
      Port port(c.port);
      ASSERT_NE(port.handle(), INVALID_HANDLE_VALUE) << GetLastError();
      ASSERT_TRUE(WriteBytes(port.handle(), FRAME_WRITE(c.card)));
      ASSERT_TRUE(WriteBytes(port.handle(), FRAME_READ));
      ASSERT_EQ(ReadBytes(port.handle()), reply);
    }
    Port port(c.port);
    ASSERT_NE(port.handle(), INVALID_HANDLE_VALUE) << GetLastError();
    ASSERT_TRUE(WriteBytes(port.handle(), FRAME_LEAD_IN));
    Stopwatch watch;
    ASSERT_TRUE(WriteBytes(port.handle(), FRAME_READ));
    EXPECT_EQ(ReadBytes(port.handle()), reply);
    const long long ms = watch.ms();
    EXPECT_GE(ms, c.atLeastMs);
    EXPECT_LE(ms, c.atMostMs);
  }
}

}  // namespace
