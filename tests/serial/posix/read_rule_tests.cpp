// The read a COMMTIMEOUTS asks for, from made-up settings, by the Windows driver's rules.
#include <gtest/gtest.h>

#include "platform/serial/posix/read_rule.h"

namespace {

TEST(ReadRule, CommTimeoutsDecodeAsTheWindowsDriverReadsThem) {
  constexpr DWORD M = MAXDWORD;
  const struct {
    const char* what;
    COMMTIMEOUTS timeouts;
    DWORD toRead;
    bool atOnce, onFirstByte;
    std::optional<std::uint64_t> totalMs;
    DWORD intervalMs;
  } cases[] = {
      {"the encoder operations' (8, 8, 8) for 100 bytes", {8, 8, 8, 0, 0}, 100, false, false, 808, 8},
      {"what is there, at once", {M, 0, 0, 0, 0}, 100, true, false, std::nullopt, 0},
      {"the first byte, within 500 ms", {M, M, 500, 0, 0}, 100, false, true, 500, 0},
      {"all 100 bytes, however long", {0, 0, 0, 0, 0}, 100, false, false, std::nullopt, 0},
      {"a gap alone ends it", {50, 0, 0, 0, 0}, 100, false, false, std::nullopt, 50},
      {"a total alone, 10 ms a byte", {0, 10, 0, 0, 0}, 100, false, false, 1000, 0},
      {"a total alone, a constant", {0, 0, 250, 0, 0}, 7, false, false, 250, 0},
      {"a total that overflows 32 bits", {0, M, 1, 0, 0}, 2, false, false, 2ull * M + 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const serial::ReadRule rule = serial::ReadRuleFor(c.timeouts, c.toRead);
    EXPECT_EQ(rule.atOnce, c.atOnce);
    EXPECT_EQ(rule.onFirstByte, c.onFirstByte);
    EXPECT_EQ(rule.totalMs, c.totalMs);
    EXPECT_EQ(rule.intervalMs, c.intervalMs);
  }
}

}  // namespace
