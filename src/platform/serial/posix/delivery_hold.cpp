#include "platform/serial/posix/delivery_hold.h"

#include <algorithm>

namespace serial {
namespace {

constexpr std::chrono::milliseconds kUsbLatencyTimer{16};
constexpr int kFifoBytes = 16;
// A late wake-up of the thread that hands a batch over, ours or the driver's.
constexpr std::chrono::milliseconds kWakeUpSlack{3};

}  // namespace

DeliveryHold::DeliveryHold(Clock::duration characterTime)
    : characterTime_(characterTime),
      most_(std::max<Clock::duration>(kUsbLatencyTimer, kFifoBytes * characterTime) + kWakeUpSlack) {}

void DeliveryHold::batchArrived(std::size_t count, Clock::time_point at) {
  learned_ = std::max<Clock::duration>(learned_, static_cast<long>(count) * characterTime_);
  if (batches_ > 0) learned_ = std::max<Clock::duration>(learned_, at - last_);
  last_ = at;
  ++batches_;
}

DeliveryHold::Clock::duration DeliveryHold::current() const { return batches_ < 2 ? most_ : std::min(most_, learned_); }

}  // namespace serial
