#pragma once
// Baud rates and the time things take on a serial line, for the serial calls and for the
// virtual encoder that paces its answers at the line rate the program set.
#include <termios.h>
#include <time.h>

#include <chrono>
#include <cstdint>
#include <optional>

namespace serial {

std::optional<speed_t> SpeedFor(std::uint32_t rate);
// 0 for a speed constant without a rate here.
std::uint32_t RateFor(speed_t speed);

// One character's time: start bit, data bits, parity and stop bits at the line's baud
// (9600 when the settings name none we know).
std::chrono::steady_clock::duration CharacterTime(const termios& settings);

// The wait until a point in time, for ppoll(2): finer than poll's milliseconds, and never
// negative.
timespec TimespecUntil(std::chrono::steady_clock::time_point when);

}  // namespace serial
