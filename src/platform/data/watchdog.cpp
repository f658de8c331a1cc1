#include "platform/data/watchdog.h"

namespace odbc {

Watchdog::Watchdog(std::chrono::milliseconds limit, std::function<void()> expire) {
  if (limit.count() <= 0) return;
  m_thread = std::thread([this, limit, expire = std::move(expire)] {
    std::unique_lock lock(m_mutex);
    if (m_stopped.wait_for(lock, limit, [this] { return m_stop; })) return;
    m_expired = true;
    lock.unlock();
    expire();
  });
}

bool Watchdog::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_stopped.notify_one();
  if (m_thread.joinable()) m_thread.join();
  return m_expired;
}

}  // namespace odbc
