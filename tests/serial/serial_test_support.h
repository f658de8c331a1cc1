#pragma once
// What the serial tests share: the program's way of opening a port (program_port.h), the
// ways a port hands bytes over, a stopwatch, and pointing a port name at a pseudo-terminal
// for a test.
#include <cstdlib>
#include <optional>
#include <string>
#include <chrono>
#include <thread>

#include "encoder-sim/PtyPeer.h"
#include "program_port.h"
#include "../support/stopwatch.h"

namespace serial_test {

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
