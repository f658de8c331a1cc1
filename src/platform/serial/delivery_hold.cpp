#include "platform/serial/delivery_hold.h"

#include <algorithm>

namespace serial {
namespace {

constexpr std::chrono::milliseconds kUsbLatencyTimer{16};
constexpr int kFifoBytes = 16;

}  // namespace

DeliveryHold::DeliveryHold(Clock::duration characterTime)
    : characterTime_(characterTime), most_(std::max<Clock::duration>(kUsbLatencyTimer, kFifoBytes * characterTime)) {}

void DeliveryHold::batchArrived(std::size_t count, Clock::time_point at) {
  learned_ = std::max<Clock::duration>(learned_, static_cast<long>(count) * characterTime_);
  if (batches_ > 0) learned_ = std::max<Clock::duration>(learned_, at - last_);
  last_ = at;
  ++batches_;
}

DeliveryHold::Clock::duration DeliveryHold::current() const {
  return batches_ < 2 ? most_ : std::min(most_, learned_);
}

}  // namespace serial
