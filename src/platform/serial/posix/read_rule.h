#pragma once
// What a read's COMMTIMEOUTS ask of ReadFile, by the Windows serial driver's rules:
// MAXDWORD/0/0 returns what is there at once; MAXDWORD/MAXDWORD/c waits up to c ms for the
// first byte and returns with it; otherwise a total of multiplier * n + constant ms (none
// when both are 0) and, once a byte has come, a limit on the gap before the next one (none
// when 0).
#include <cstdint>
#include <optional>

#include "platform/serial/winserial.h"

namespace serial {

struct ReadRule {
  bool atOnce = false;                   // return what is there, without waiting
  bool onFirstByte = false;              // return as soon as a byte has come
  std::optional<std::uint64_t> totalMs;  // the whole read's limit; none: no limit
  DWORD intervalMs = 0;                  // the gap after a byte that ends the read; 0: none
};

ReadRule ReadRuleFor(const COMMTIMEOUTS& t, DWORD toRead);

}  // namespace serial
