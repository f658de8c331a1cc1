#pragma once
// How long a read waits after the latest bytes before it takes the line as silent.
//
// Windows ends a read when more than ReadIntervalTimeout passes between two bytes on the
// line. Here bytes are seen only when the driver hands them over, and ports hand them over
// in batches: a 16550A's receive FIFO every 8 (or 14) bytes, a USB adapter at every tick
// of its 16 ms latency timer. A batch of k bytes arriving at t kept the line busy for k
// character times before t, so the spacing of hand-overs is no gap on the line: an
// unbroken reply at 9600 baud arrives as 8 bytes every 8.3 ms, which an 8 ms limit on that
// spacing would cut after its first batch. The wait is therefore the interval plus the
// longest this port may hold bytes back. That hold is learned from the read's own batches
// (the line time of the largest, and the spacing of hand-overs) and, until two batches
// have shown it, is the most a common port holds: a 16-byte FIFO or a 16 ms latency timer,
// and 3 ms for a late wake-up.
// Bytes handed over one at a time so end a read about 9 ms after the last, batches within
// 28 ms, and a silence longer than that on the line still ends it.
#include <chrono>
#include <cstddef>

namespace serial {

class DeliveryHold {
 public:
  using Clock = std::chrono::steady_clock;

  explicit DeliveryHold(Clock::duration characterTime);
  void batchArrived(std::size_t count, Clock::time_point at);
  // Added to the read interval after the latest batch.
  Clock::duration current() const;

 private:
  Clock::duration characterTime_;
  Clock::duration most_;
  Clock::duration learned_{};
  Clock::time_point last_{};
  int batches_ = 0;
};

}  // namespace serial
