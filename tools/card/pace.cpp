#include "pace.h"

#include "console.h"
#include "platform/serial/winserial.h"

namespace card {

std::optional<std::string> WhyUnpaced(std::optional<int> paceSeconds) {
  if (paceSeconds || CanAskOperator()) return std::nullopt;
  return "cards written without --verify follow each other only as fast as the operator swipes them, and there "
         "is no terminal to wait on: give --pace SECONDS (the time to swipe one card; 0 when something else paces "
         "the encoder), or --verify";
}

bool AwaitOperator(const std::string& next, std::optional<int> paceSeconds) {
  if (!paceSeconds) {
    Write(Stream::Err, "Swipe the card just written, then press Enter for " + next + ".\n");
    return WaitForEnter() && StopRequested() == 0;
  }
  // A tenth of a second at a time, so that a stop signal ends the wait.
  for (int tenths = *paceSeconds * 10; tenths > 0 && StopRequested() == 0; --tenths) Sleep(100);
  return StopRequested() == 0;
}

}  // namespace card
