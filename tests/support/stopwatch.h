#pragma once
// Time since it was made, for the tests that a timeout ends a wait.
#include <chrono>

class Stopwatch {
 public:
  long long ms() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start).count();
  }
  double Seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count(); }

 private:
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};
