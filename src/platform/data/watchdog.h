#pragma once
// A deadline for one blocking driver call. Drivers honour their login and statement
// timeouts only while the other side answers; when it does not, the watchdog acts from a
// thread of its own, since the calling thread is inside the driver.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace odbc {

class Watchdog {
 public:
  // Runs `expire` once `limit` has passed, unless stopped first; a zero limit never expires.
  Watchdog(std::chrono::milliseconds limit, std::function<void()> expire);
  ~Watchdog() { Stop(); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // Ends the watch, after a running `expire` has returned; true when the limit was reached.
  bool Stop();

 private:
  std::mutex m_mutex;
  std::condition_variable m_stopped;
  bool m_stop = false;
  bool m_expired = false;
  std::thread m_thread;
};

}  // namespace odbc
