#include "platform/serial/posix/line_timing.h"

#include <algorithm>

namespace serial {
namespace {

struct BaudRate {
  std::uint32_t rate;
  speed_t speed;
};
// clang-format off
constexpr BaudRate kBaudRates[] = {
    {110, B110},       {300, B300},       {600, B600},       {1200, B1200},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},
    {38400, B38400},   {57600, B57600},   {115200, B115200}, {230400, B230400},
    {460800, B460800}, {921600, B921600},
};
// clang-format on

}  // namespace

std::optional<speed_t> SpeedFor(std::uint32_t rate) {
  for (const auto& baud : kBaudRates)
    if (baud.rate == rate) return baud.speed;
  return std::nullopt;
}

std::uint32_t RateFor(speed_t speed) {
  for (const auto& baud : kBaudRates)
    if (baud.speed == speed) return baud.rate;
  return 0;
}

std::chrono::steady_clock::duration CharacterTime(const termios& settings) {
  std::uint32_t rate = RateFor(cfgetospeed(&settings));
  if (rate == 0) rate = 9600;
  const int dataBits = 5 + static_cast<int>((settings.c_cflag & CSIZE) / CS6);
  const int bits = 1 + dataBits + ((settings.c_cflag & PARENB) ? 1 : 0) + ((settings.c_cflag & CSTOPB) ? 2 : 1);
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(static_cast<double>(bits) / rate));
}

timespec TimespecUntil(std::chrono::steady_clock::time_point when) {
  using std::chrono::steady_clock;
  const auto left = std::max<steady_clock::duration>(when - steady_clock::now(), steady_clock::duration::zero());
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
  return {static_cast<time_t>(seconds.count()),
          static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count())};
}

}  // namespace serial
