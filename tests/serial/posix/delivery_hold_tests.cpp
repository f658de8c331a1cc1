// How long a read waits after the latest bytes, from made-up hand-overs: the most a common
// port holds bytes back until two batches have shown this port's own way.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/serial/posix/delivery_hold.h"

namespace {

using namespace std::chrono_literals;
using serial::DeliveryHold;

TEST(DeliveryHold, LearnsThePortsHoldFromTwoBatchesAndNeverExceedsTheMost) {
  struct Batch {
    std::size_t bytes;
    std::chrono::microseconds at;
  };
  const struct {
    const char* what;
    std::chrono::microseconds characterTime;
    std::vector<Batch> batches;
    std::chrono::microseconds hold;
  } cases[] = {
      // At 9600 8N1 a character takes 1042 us; 16 of them (16 672 us) outlast a USB
      // adapter's 16 ms timer, and 3 ms more is for a late wake-up.
      {"nothing yet", 1042us, {}, 19672us},
      {"one batch teaches nothing", 1042us, {{1, 0us}}, 19672us},
      {"byte by byte", 1042us, {{1, 0us}, {1, 1042us}}, 1042us},
      {"an 8-byte FIFO", 1042us, {{8, 0us}, {8, 8336us}}, 8336us},
      {"a 14-byte FIFO whose wake-ups run late", 1042us, {{14, 0us}, {14, 15000us}}, 15000us},
      {"a USB adapter's timer", 1042us, {{3, 0us}, {5, 16000us}, {2, 32000us}}, 16000us},
      {"a pause on the line is no hold", 1042us, {{1, 0us}, {1, 100000us}}, 19672us},
      // Faster lines still wait out the timer of a USB adapter.
      {"115200 baud, nothing yet", 87us, {}, 19000us},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeliveryHold hold(c.characterTime);
    const DeliveryHold::Clock::time_point start{};
    for (const Batch& b : c.batches) hold.batchArrived(b.bytes, start + b.at);
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::microseconds>(hold.current()), c.hold);
  }
}

}  // namespace
