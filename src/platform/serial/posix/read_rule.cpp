#include "platform/serial/posix/read_rule.h"

namespace serial {

ReadRule ReadRuleFor(const COMMTIMEOUTS& t, DWORD toRead) {
  ReadRule rule;
  rule.atOnce = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
                t.ReadTotalTimeoutConstant == 0;
  rule.onFirstByte = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
                     t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != MAXDWORD;
  if (rule.onFirstByte) {
    rule.totalMs = t.ReadTotalTimeoutConstant;
  } else if (t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0) {
    rule.totalMs = std::uint64_t{t.ReadTotalTimeoutMultiplier} * toRead + t.ReadTotalTimeoutConstant;
  }
  rule.intervalMs = rule.atOnce || rule.onFirstByte ? 0 : t.ReadIntervalTimeout;
  return rule;
}

}  // namespace serial
