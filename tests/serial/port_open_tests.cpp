// Opening, setting up and closing a port: names, a missing device, the line settings,
// the purge at open, and what a close leaves behind.
#include <fcntl.h>
#include <sys/file.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <fstream>

#include "encoder-sim/PtyPeer.h"
#include "platform/serial/portname.h"
#include "serial_test_support.h"

using encoder_sim::Millis;
using encoder_sim::PtyPeer;
using namespace serial_test;

namespace {

TEST(PortNames, ComNamesMapToEnvironmentOrTtyS) {
  unsetenv("BRIMLOCK_COM1");
  unsetenv("BRIMLOCK_COM10");
  EXPECT_EQ(serial::DevicePathForName("com1"), "/dev/ttyS0");
  EXPECT_EQ(serial::DevicePathForName("Com10"), "/dev/ttyS9");
  {
    ScopedEnv com2("BRIMLOCK_COM2", "/dev/ttyUSB0");
    EXPECT_EQ(serial::DevicePathForName("com2"), "/dev/ttyUSB0");
    EXPECT_EQ(serial::DevicePathForName("COM2"), "/dev/ttyUSB0");
  }
  {
    ScopedEnv empty("BRIMLOCK_COM2", "");
    EXPECT_EQ(serial::DevicePathForName("com2"), "/dev/ttyS1");
  }
  EXPECT_EQ(serial::DevicePathForName("/dev/ttyACM0"), "/dev/ttyACM0");
  for (const char* bad : {"", "com", "com0", "com01", "com1x", "com257", "lpt1", "ttyS0", "com-1"})
    EXPECT_EQ(serial::DevicePathForName(bad), std::nullopt) << bad;
  EXPECT_EQ(serial::DevicePathForName(nullptr), std::nullopt);
}

TEST(PortNames, EitherCaseOfCom2OpensTheDeviceNamedForIt) {
  PtyPeer peer;
  ScopedEnv com2("BRIMLOCK_COM2", peer.slavePath());
  for (const char* name : {"com2", "COM2"}) {
    HANDLE port = OpenLikeProgram(name);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << name;
    EXPECT_TRUE(WriteBytes(port, name));
    EXPECT_TRUE(peer.waitFor(name, Millis(2000)));
    CloseHandle(port);
  }
}

TEST(MissingPort, FailsOnceAndEveryLaterCallIsHarmless) {
  ScopedEnv com1("BRIMLOCK_COM1", "/dev/brimlock-no-such-port");
  HANDLE port = OpenLikeProgram("com1");
  ASSERT_EQ(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  EXPECT_FALSE(WriteBytes(port, "\x1b\x30"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  Stopwatch watch;
  DWORD got = 77;
  char buffer[100];
  EXPECT_FALSE(ReadFile(port, buffer, 100, &got, nullptr));
  EXPECT_EQ(got, 0u);
  EXPECT_LT(watch.ms(), 100);
  DCB dcb{};
  EXPECT_FALSE(GetCommState(port, &dcb));
  EXPECT_FALSE(PurgeComm(port, PURGE_RXCLEAR));
  EXPECT_FALSE(CloseHandle(port));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(MissingPort, SomethingThatIsNotATerminalIsRefused) {
  const std::string file = ::testing::TempDir() + "brimlock-not-a-port-" + std::to_string(getpid());
  std::ofstream(file) << "x";
  for (const std::string& path : {file, std::string("/dev/null")}) {
    ScopedEnv com1("BRIMLOCK_COM1", path);
    EXPECT_EQ(OpenLikeProgram("com1"), INVALID_HANDLE_VALUE) << path;
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  }
  EXPECT_EQ(OpenLikeProgram("lpt1"), INVALID_HANDLE_VALUE);
  unlink(file.c_str());
}

class OpenPort : public ::testing::Test {
 protected:
  PtyPeer peer;
  ScopedEnv com1{"BRIMLOCK_COM1", peer.slavePath()};
};

TEST_F(OpenPort, PurgeAtOpenDiscardsWhatCameBefore) {
  peer.send("stale reply");
  ASSERT_TRUE(peer.waitQueued(Millis(1000)));
  HANDLE port = OpenLikeProgram("com1");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  peer.send("fresh");
  EXPECT_EQ(ReadBytes(port), "fresh");
  CloseHandle(port);
}

TEST_F(OpenPort, LineIsRaw9600EightNoneOneWithoutFlowControl) {
  // The peer leaves the line raw; start from a cooked, flow-controlled one instead.
  const int fd = open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY);
  termios cooked{};
  tcgetattr(fd, &cooked);
  cooked.c_lflag |= ECHO | ICANON;
  cooked.c_iflag |= IXON | IXOFF | ICRNL;
  cooked.c_cflag |= CRTSCTS | PARENB;
  cfsetspeed(&cooked, B115200);
  tcsetattr(fd, TCSANOW, &cooked);

  HANDLE port = OpenLikeProgram("com1");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
  EXPECT_EQ(dcb.fOutX, 0u);
  EXPECT_EQ(dcb.fInX, 0u);

  termios line{};
  tcgetattr(fd, &line);
  EXPECT_EQ(line.c_lflag & (ECHO | ICANON | ISIG), 0u);
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL), 0u);
  EXPECT_EQ(line.c_oflag & OPOST, 0u);
  EXPECT_EQ(line.c_cflag & (CRTSCTS | PARENB), 0u);
  EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});

  // Settings the line cannot take are refused and leave it as it was.
  DCB bad = dcb;
  bad.ByteSize = 9;
  EXPECT_FALSE(SetCommState(port, &bad));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  bad = dcb;
  bad.BaudRate = 12345;
  EXPECT_FALSE(SetCommState(port, &bad));
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.BaudRate, 9600u);

  // Bytes that a cooked line would change or swallow pass as they are.
  const std::string binary("\x11\x13\r\n\x7f\x03\x1b\x1d", 8);
  peer.send(binary);
  EXPECT_EQ(ReadBytes(port), binary);
  CloseHandle(port);
  close(fd);
}

// A pseudo-terminal is guarded by the two locks alone: the exclusive mode would outlive a
// killed program for as long as the other side stays open.
TEST_F(OpenPort, PseudoTerminalIsHeldByTheLocksWithoutTheExclusiveMode) {
  const int observer = open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(observer, 0);
  HANDLE port = OpenLikeProgram("com1");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  int exclusive = -1;
  ASSERT_EQ(ioctl(observer, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  EXPECT_NE(flock(observer, LOCK_EX | LOCK_NB), 0);

  // The peer's own descriptor, open from before, still carries the line.
  peer.send("through");
  EXPECT_EQ(ReadBytes(port), "through");

  EXPECT_TRUE(CloseHandle(port));
  EXPECT_EQ(flock(observer, LOCK_EX | LOCK_NB), 0);
  close(observer);
}

TEST_F(OpenPort, FrameWrittenJustBeforeTheCloseArrivesAndHandleDiesOnce) {
  HANDLE port = OpenLikeProgram("com1");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(WriteBytes(port, "\x1b\x25\x42"));
  EXPECT_TRUE(WriteBytes(port, "\x1b\x30"));
  Stopwatch watch;
  EXPECT_TRUE(CloseHandle(port));
  EXPECT_LT(watch.ms(), 500);
  EXPECT_TRUE(peer.waitForBytes(5, Millis(2000)));
  EXPECT_EQ(peer.received(), "\x1b\x25\x42\x1b\x30");

  EXPECT_FALSE(CloseHandle(port));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(WriteBytes(port, "\x1b\x30"));
}

}  // namespace
