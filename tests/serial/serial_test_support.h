#pragma once
// What the serial tests share: the program's way of opening a port, the ways a port hands
// bytes over, a stopwatch, and pointing a port name at a pseudo-terminal for a test.
#include <cstdlib>
#include <optional>
#include <string>
#include <chrono>
#include <thread>

#include "encoder-sim/PtyPeer.h"
#include "platform/serial/winserial.h"
#include "../support/stopwatch.h"

namespace serial_test {

// The encoder operations' settings: 9600 8N1, reads (8, 8, 8), writes (3, 2).
inline COMMTIMEOUTS ProgramTimeouts() { return {8, 8, 8, 3, 2}; }

// How real ports hand an answer over at 9600 baud, and how a pty does.
struct PortDelivery {
  const char* name;
  encoder_sim::PtyPeer::Delivery delivery;
};
inline const PortDelivery kPortDeliveries[] = {
    {"byte by byte at line rate", {.paced = true, .batch = 1}},
    {"8-byte FIFO batches", {.paced = true, .batch = 8}},
    {"14-byte FIFO batches", {.paced = true, .batch = 14}},
    {"16-byte batches", {.paced = true, .batch = 16}},
    {"USB, 16 ms latency timer", {.paced = true, .batch = 0, .latency = encoder_sim::Millis(16)}},
    {"a pty: the whole write at once", {}},
};

// Opens and sets up a port as every encoder operation does, purge included.
inline HANDLE OpenLikeProgram(const char* name) {
  HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) return port;
  DCB dcb{};
  GetCommState(port, &dcb);
  dcb.BaudRate = CBR_9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetCommState(port, &dcb);
  COMMTIMEOUTS timeouts = ProgramTimeouts();
  SetCommTimeouts(port, &timeouts);
  SetupComm(port, 1024, 1024);
  PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  return port;
}

// One read of up to `count` bytes, as the program's poll makes it.
inline std::string ReadBytes(HANDLE port, DWORD count = 100) {
  std::string buffer(count, '\0');
  DWORD got = 0;
  ReadFile(port, buffer.data(), count, &got, nullptr);
  buffer.resize(got);
  return buffer;
}

inline BOOL WriteBytes(HANDLE port, const std::string& bytes) {
  DWORD written = 0;
  OVERLAPPED unused{};
  return WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &unused);
}


// Sets an environment variable for one scope and puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The UUCP lock file the stand-in takes for a device.
inline std::string LockFileFor(const std::string& devicePath) {
  return "/var/lock/LCK.." + devicePath.substr(devicePath.rfind('/') + 1);
}

}  // namespace serial_test
