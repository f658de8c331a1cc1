#include "encoder-sim/PtyPeer.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

#include "platform/serial/posix/line_timing.h"

namespace encoder_sim {
namespace {

[[noreturn]] void Throw(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

void MakeRaw(int fd) {
  termios settings{};
  if (tcgetattr(fd, &settings) == 0) {
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
  }
}

}  // namespace

PtyPeer::PtyPeer() : PtyPeer(Handlers{}) {}

PtyPeer::PtyPeer(Handlers handlers) : handlers_(std::move(handlers)) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) Throw("posix_openpt");
  char name[128];
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
    const int error = errno;
    close(master_);
    errno = error;
    Throw("pty setup");
  }
  slavePath_ = name;
  // Without a slave descriptor somewhere, the master reads EIO each time the program
  // closes its side. Holding one keeps the line (and what waits in its input queue)
  // alive between the program's sessions, as a real port's queue is. The program's
  // flock and TIOCEXCL only bar later opens, so this early descriptor bars nothing.
  heldSlave_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (heldSlave_ < 0 || wake_ < 0) {
    const int error = errno;
    if (heldSlave_ >= 0) close(heldSlave_);
    close(master_);
    errno = error;
    Throw("pty slave");
  }
  // Raw until the program sets its own line: no echo of what we send back to us.
  MakeRaw(heldSlave_);
  MakeRaw(master_);
  thread_ = std::thread([this] { run(); });
}

PtyPeer::~PtyPeer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  const std::uint64_t one = 1;
  (void)!write(wake_, &one, sizeof one);
  thread_.join();
  if (master_ >= 0) close(master_);
  close(heldSlave_);
  close(wake_);
}

std::string PtyPeer::received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

void PtyPeer::clearReceived() {
  std::lock_guard lock(mutex_);
  received_.clear();
}

bool PtyPeer::waitForBytes(std::size_t count, Millis timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return received_.size() >= count; });
}

bool PtyPeer::waitFor(std::string_view bytes, Millis timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return received_.find(bytes) != std::string::npos; });
}

void PtyPeer::send(std::string_view bytes) { waitDone(schedule(Millis(0), {0, false, std::string(bytes)})); }

void PtyPeer::setDelivery(const Delivery& delivery) {
  std::lock_guard lock(mutex_);
  delivery_ = delivery;
}

std::chrono::steady_clock::time_point PtyPeer::lastHandedOver() const {
  std::lock_guard lock(mutex_);
  return lastHandedOver_;
}

std::uint64_t PtyPeer::sendAfter(Millis delay, std::string bytes) {
  return schedule(delay, {0, false, std::move(bytes)});
}

std::uint64_t PtyPeer::sendWithGap(std::string first, Millis gap, std::string rest, Millis after) {
  return schedule(after, {0, false, std::move(first), gap, std::move(rest)});
}

void PtyPeer::sendEvery(Millis every, std::string bytes) {
  schedule(every, {.bytes = std::move(bytes), .onLine = true, .every = every});
}

bool PtyPeer::cancel(std::uint64_t id) {
  std::lock_guard lock(mutex_);
  if (std::erase_if(actions_, [&](const auto& timed) { return timed.second.id == id && !timed.second.begun; }) == 0)
    return false;
  unfinished_.erase(id);
  changed_.notify_all();
  return true;
}

bool PtyPeer::waitQueued(Millis timeout) {
  pollfd waiter{heldSlave_, POLLIN, 0};
  const int ms = static_cast<int>(std::min<Millis::rep>(timeout.count(), INT_MAX));
  return poll(&waiter, 1, ms) > 0 && (waiter.revents & POLLIN);
}

void PtyPeer::vanish() { waitDone(schedule(Millis(0), {0, true, {}})); }

void PtyPeer::vanishAfter(Millis delay) { schedule(delay, {0, true, {}}); }

std::uint64_t PtyPeer::schedule(Millis delay, Action action) {
  std::uint64_t id;
  {
    std::lock_guard lock(mutex_);
    id = action.id = nextId_++;
    actions_.emplace(Clock::now() + delay, std::move(action));
    unfinished_.insert(id);
  }
  const std::uint64_t one = 1;
  (void)!write(wake_, &one, sizeof one);
  return id;
}

void PtyPeer::waitDone(std::uint64_t id) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stopping_ || !unfinished_.contains(id); });
}

void PtyPeer::run() {
  Clock::time_point lastBytes{};
  bool quietOwed = false;  // bytes came and onQuiet has not yet been called for them
  for (;;) {
    std::optional<Clock::time_point> wakeAt;
    {
      std::unique_lock lock(mutex_);
      if (stopping_) break;
      while (!actions_.empty() && actions_.begin()->first <= Clock::now()) {
        Action action = std::move(actions_.begin()->second);
        actions_.erase(actions_.begin());
        const std::uint64_t id = action.id;
        lock.unlock();
        std::vector<Timed> next = perform(std::move(action));
        lock.lock();
        // The last of what follows carries the id, so a send returns once all of it is out.
        if (next.empty()) unfinished_.erase(id);
        else next.back().second.id = id;
        for (Timed& timed : next) {
          timed.second.begun = true;
          actions_.emplace(std::move(timed));
        }
        changed_.notify_all();
      }
      if (!actions_.empty()) wakeAt = actions_.begin()->first;
    }
    if (quietOwed) {
      const Clock::time_point quietAt = lastBytes + handlers_.quiet;
      if (Clock::now() >= quietAt) {
        quietOwed = false;
        handlers_.onQuiet();
        continue;
      }
      wakeAt = wakeAt ? std::min(*wakeAt, quietAt) : quietAt;
    }

    // ppoll: a paced line hands bytes over every character time, finer than poll's 1 ms.
    timespec wait{};
    if (wakeAt) wait = serial::TimespecUntil(*wakeAt);
    pollfd fds[2] = {{wake_, POLLIN, 0}, {master_, POLLIN, 0}};
    if (ppoll(fds, master_ >= 0 ? 2 : 1, wakeAt ? &wait : nullptr, nullptr) < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      std::uint64_t count;
      (void)!read(wake_, &count, sizeof count);
    }
    if (master_ >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
      if (receive()) {
        lastBytes = Clock::now();
        quietOwed = static_cast<bool>(handlers_.onQuiet);
      }
    }
  }
  std::lock_guard lock(mutex_);
  stopping_ = true;  // nobody waits on an action that will never run
  changed_.notify_all();
}

bool PtyPeer::receive() {
  char chunk[4096];
  const ssize_t got = read(master_, chunk, sizeof chunk);
  if (got > 0) {
    {
      std::lock_guard lock(mutex_);
      received_.append(chunk, static_cast<std::size_t>(got));
    }
    changed_.notify_all();
    if (handlers_.onBytes) handlers_.onBytes(std::string_view(chunk, static_cast<std::size_t>(got)));
    return true;
  }
  // We hold a slave descriptor, so this takes a broken pty; stop watching rather than spin.
  if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
    close(master_);
    master_ = -1;
  }
  return false;
}

std::vector<PtyPeer::Timed> PtyPeer::perform(Action action) {
  if (master_ < 0) return {};  // the device is gone: nothing reaches the line
  if (action.vanish) {
    close(master_);
    master_ = -1;
    return {};
  }
  Delivery delivery;
  {
    std::lock_guard lock(mutex_);
    delivery = delivery_;
  }
  if (delivery.paced && !action.onLine) return pace(std::move(action), characterTime(), delivery);
  writeNow(action.bytes);
  if (action.every > Millis(0)) return {{Clock::now() + action.every, std::move(action)}};
  if (action.rest.empty()) return {};
  return {{Clock::now() + action.gap, Action{0, false, std::move(action.rest)}}};
}

std::vector<PtyPeer::Timed> PtyPeer::pace(Action action, Clock::duration c, const Delivery& delivery) {
  const Clock::time_point start = std::max(Clock::now(), lineFree_);
  const std::string& bytes = action.bytes;
  std::vector<Timed> batches;
  std::size_t from = 0;
  auto handOver = [&](Clock::time_point at, std::size_t to) {
    if (to > from) batches.push_back({at, Action{0, false, bytes.substr(from, to - from), Millis(0), {}, true}});
    from = to;
  };
  const bool ticking = delivery.latency > Millis(0);
  Clock::time_point tick = start + delivery.latency;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const Clock::time_point done = start + static_cast<long>(i + 1) * c;
    for (; ticking && tick < done; tick += delivery.latency) handOver(tick, i);
    if (delivery.batch > 0 && i + 1 - from >= delivery.batch) handOver(done, i + 1);
  }
  const Clock::time_point end = start + static_cast<long>(bytes.size()) * c;
  // The rest goes at the next tick, or when a UART's receive timeout of 4 characters ends.
  handOver(ticking ? tick : end + (delivery.batch > 1 ? 4 * c : Clock::duration::zero()), bytes.size());
  lineFree_ = end;
  if (!action.rest.empty()) batches.push_back({end + action.gap, Action{0, false, std::move(action.rest)}});
  return batches;
}

// The program sets the line on its side; a pty has no wire, so its baud is only a number.
PtyPeer::Clock::duration PtyPeer::characterTime() const {
  termios settings{};
  tcgetattr(heldSlave_, &settings);
  return serial::CharacterTime(settings);
}

void PtyPeer::writeNow(const std::string& bytes) {
  // A full slave queue (the program not reading) gets a second to drain, then the rest
  // is dropped, as a device's output is lost when nobody listens.
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = write(master_, bytes.data() + sent, bytes.size() - sent);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    pollfd waiter{master_, POLLOUT, 0};
    if (n < 0 && errno == EAGAIN && poll(&waiter, 1, 1000) > 0 && (waiter.revents & POLLOUT)) continue;
    break;
  }
  std::lock_guard lock(mutex_);
  lastHandedOver_ = Clock::now();
}

}  // namespace encoder_sim
