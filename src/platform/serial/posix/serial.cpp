#include "platform/serial/winserial.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <linux/serial.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <chrono>
#include <thread>
#include <unistd.h>
#include <unordered_set>

#include "platform/serial/posix/delivery_hold.h"
#include "platform/serial/posix/line_timing.h"
#include "platform/serial/posix/portlock.h"
#include "platform/serial/portname.h"
#include "platform/serial/posix/read_rule.h"

namespace {

using Clock = std::chrono::steady_clock;

struct SerialPort {
  int fd = -1;
  bool exclusive = false;      // TIOCEXCL is set, to be cleared at close
  std::string lockPath;        // empty when no lock file was taken
  bool setLowLatency = false;  // we asked the driver for it, so we give it back at close
  COMMTIMEOUTS timeouts{};     // all zero (reads wait for their count) until set
};

// Only handles this file made are used, so a stale or twice-closed handle fails cleanly.
std::mutex g_portsMutex;
std::unordered_set<SerialPort*> g_ports;
thread_local DWORD g_lastError = ERROR_SUCCESS;

BOOL Fail(DWORD error) {
  g_lastError = error;
  return FALSE;
}

SerialPort* PortOf(HANDLE handle) {
  std::lock_guard lock(g_portsMutex);
  auto found = g_ports.find(static_cast<SerialPort*>(handle));
  return found == g_ports.end() ? nullptr : *found;
}

DWORD ErrorFromErrno(int error) {
  // clang-format off
  switch (error) {
    case ENOENT: case ENOTDIR: case ENXIO: case ENODEV: case EIO:
      return ERROR_FILE_NOT_FOUND;  // no such port, or a port without hardware behind it
    case EACCES: case EPERM: case EROFS:
      return ERROR_ACCESS_DENIED;
    case EBUSY: case EWOULDBLOCK:
      return ERROR_SHARING_VIOLATION;
    default:
      return ERROR_GEN_FAILURE;
  }
  // clang-format on
}

// Milliseconds for poll(2) until a point in time, rounded up so a wait never ends early.
int MillisUntil(Clock::time_point when) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

Clock::time_point After(std::uint64_t milliseconds) { return Clock::now() + std::chrono::milliseconds(milliseconds); }

// A UART driver hands bytes over at once instead of after a tick, and USB adapters of the
// common kind drop their latency timer from 16 ms to 1 ms. Reads never depend on getting it.
bool AskForLowLatency(int fd) {
  serial_struct info{};
  if (ioctl(fd, TIOCGSERIAL, &info) != 0 || (info.flags & ASYNC_LOW_LATENCY)) return false;
  info.flags |= ASYNC_LOW_LATENCY;
  return ioctl(fd, TIOCSSERIAL, &info) == 0;
}

void GiveBackLowLatency(int fd) {
  serial_struct info{};
  if (ioctl(fd, TIOCGSERIAL, &info) != 0) return;
  info.flags &= ~ASYNC_LOW_LATENCY;
  ioctl(fd, TIOCSSERIAL, &info);
}

// Output still queued gets the time it needs on the line (twice over, at most 2 s). Gives
// the count still queued then, or nothing when the driver cannot tell (the device failed
// or went away).
std::optional<int> WaitForOutputToLeave(int fd) {
  termios settings{};
  const double msPerByte = tcgetattr(fd, &settings) == 0
                               ? std::chrono::duration<double, std::milli>(serial::CharacterTime(settings)).count()
                               : 1.0;
  int queued = 0;
  if (ioctl(fd, TIOCOUTQ, &queued) != 0) return std::nullopt;
  const auto giveUp = Clock::now() +
                      std::chrono::milliseconds(std::min(2000, static_cast<int>(2 * queued * msPerByte) + 20));
  while (queued > 0 && Clock::now() < giveUp) {
    const auto need = std::chrono::milliseconds(static_cast<int>(queued * msPerByte) + 1);
    std::this_thread::sleep_for(std::min<Clock::duration>(need, giveUp - Clock::now()));
    if (ioctl(fd, TIOCOUTQ, &queued) != 0) return std::nullopt;
  }
  return queued;
}

// At close, so the frame an operation sends just before closing is not cut off. True when
// some is still queued (or the count is unknown): that much is to be flushed, so the close
// never waits on a stalled line. Nothing queued is not flushed, because a flush on a pty
// also drops what the far side has not read yet.
bool OutputStillQueued(int fd) {
  const std::optional<int> queued = WaitForOutputToLeave(fd);
  return !queued || *queued > 0;
}

// The far ends of /dev/ptmx (136 to 143) and the old BSD pairs (3).
bool IsPseudoTerminal(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
  const unsigned int kind = major(info.st_rdev);
  return (kind >= 136 && kind <= 143) || kind == 3;
}

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* /*security*/, DWORD creation, DWORD /*flags*/,
                   HANDLE /*templ*/) {
  if (name == nullptr || creation != OPEN_EXISTING || (access & (GENERIC_READ | GENERIC_WRITE)) == 0) {
    Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::optional<std::string> path = serial::DevicePathForName(name);
  if (!path) {
    Fail(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  // A link (BRIMLOCK_COM1=/dev/serial/by-id/...) is locked under the device it names,
  // as every other program that opens that device will lock it.
  char* resolved = realpath(path->c_str(), nullptr);
  if (resolved == nullptr) {
    Fail(ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  const std::string device = resolved;
  std::free(resolved);

  const bool exclusive = share == 0;
  std::string lockPath;
  if (exclusive) {
    const std::string baseName = device.substr(device.rfind('/') + 1);
    const serial::LockResult lock = serial::TakeUucpLock(baseName, lockPath);
    if (lock == serial::LockResult::Held || lock == serial::LockResult::Unwritten) {
      Fail(lock == serial::LockResult::Held ? ERROR_SHARING_VIOLATION : ERROR_WRITE_FAULT);
      return INVALID_HANDLE_VALUE;
    }
    if (lock != serial::LockResult::Taken) lockPath.clear();
  }
  auto giveBack = [&](DWORD error, int fd) {
    if (fd >= 0) close(fd);
    if (!lockPath.empty()) serial::ReleaseUucpLock(lockPath);
    Fail(error);
    return INVALID_HANDLE_VALUE;
  };

  const int mode = (access & GENERIC_READ) && (access & GENERIC_WRITE) ? O_RDWR
                   : (access & GENERIC_READ)                           ? O_RDONLY
                                                                       : O_WRONLY;
  // O_NONBLOCK: a modem line without carrier must not hang the open; every wait after it
  // is a poll(2). O_NOCTTY: the port never becomes the program's controlling terminal.
  const int fd = open(device.c_str(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return giveBack(ErrorFromErrno(errno), -1);
  // Frames written into a plain file or a pipe would vanish without a word: not a port.
  if (!isatty(fd)) return giveBack(ERROR_FILE_NOT_FOUND, fd);
  if (exclusive) {
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return giveBack(ERROR_SHARING_VIOLATION, fd);
  }
  // Refuses later opens by other users; root is exempt, the two locks above are not. Not on
  // a pseudo-terminal: its line lives as long as its other side (a virtual encoder, a
  // network bridge) however often ours is closed, so a program killed with the mode set
  // would lock every other user out of it until then. The two locks end with the process.
  const bool exclusiveMode = exclusive && !IsPseudoTerminal(fd);
  if (exclusiveMode) ioctl(fd, TIOCEXCL);

  auto* port = new SerialPort{fd, exclusiveMode, lockPath, AskForLowLatency(fd), {}};
  std::lock_guard lock(g_portsMutex);
  g_ports.insert(port);
  g_lastError = ERROR_SUCCESS;
  return port;
}

BOOL GetCommState(HANDLE file, LPDCB dcb) {
  SerialPort* port = PortOf(file);
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (dcb == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  termios settings{};
  if (tcgetattr(port->fd, &settings) != 0) return Fail(ErrorFromErrno(errno));

  *dcb = DCB{};
  dcb->DCBlength = sizeof(DCB);
  dcb->BaudRate = serial::RateFor(cfgetospeed(&settings));
  dcb->fBinary = 1;  // Windows supports binary mode only
  dcb->fParity = (settings.c_iflag & INPCK) != 0;
  dcb->fOutxCtsFlow = (settings.c_cflag & CRTSCTS) != 0;
  dcb->fOutX = (settings.c_iflag & IXON) != 0;
  dcb->fInX = (settings.c_iflag & IXOFF) != 0;
  int lines = 0;
  const bool haveLines = ioctl(port->fd, TIOCMGET, &lines) == 0;  // a pty has none
  dcb->fDtrControl = !haveLines || (lines & TIOCM_DTR) ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  dcb->fRtsControl = dcb->fOutxCtsFlow                   ? RTS_CONTROL_HANDSHAKE
                     : !haveLines || (lines & TIOCM_RTS) ? RTS_CONTROL_ENABLE
                                                         : RTS_CONTROL_DISABLE;
  switch (settings.c_cflag & CSIZE) {
    case CS5: dcb->ByteSize = 5; break;
    case CS6: dcb->ByteSize = 6; break;
    case CS7: dcb->ByteSize = 7; break;
    default: dcb->ByteSize = 8; break;
  }
  // clang-format off
  if (!(settings.c_cflag & PARENB))
    dcb->Parity = NOPARITY;
  else if (settings.c_cflag & CMSPAR)
    dcb->Parity = (settings.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
  else
    dcb->Parity = (settings.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  dcb->StopBits = !(settings.c_cflag & CSTOPB) ? ONESTOPBIT
                  : dcb->ByteSize == 5        ? ONE5STOPBITS
                                              : TWOSTOPBITS;
  // clang-format on
  dcb->XonChar = static_cast<char>(settings.c_cc[VSTART]);
  dcb->XoffChar = static_cast<char>(settings.c_cc[VSTOP]);
  return TRUE;
}

BOOL SetCommState(HANDLE file, LPDCB dcb) {
  SerialPort* port = PortOf(file);
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (dcb == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::optional<speed_t> speed = serial::SpeedFor(dcb->BaudRate);
  // As on Windows: 1.5 stop bits go with 5 data bits only, 2 stop bits with 6 to 8.
  const bool badStops = dcb->StopBits > TWOSTOPBITS || (dcb->StopBits == ONE5STOPBITS && dcb->ByteSize != 5) ||
                        (dcb->StopBits == TWOSTOPBITS && dcb->ByteSize == 5);
  if (!speed || dcb->ByteSize < 5 || dcb->ByteSize > 8 || dcb->Parity > SPACEPARITY || badStops)
    return Fail(ERROR_INVALID_PARAMETER);

  termios settings{};
  if (tcgetattr(port->fd, &settings) != 0) return Fail(ErrorFromErrno(errno));
  // The settings the program leaves to the driver are ours to choose, and one choice
  // serves every encoder: raw bytes both ways (cfmakeraw: no echo, no line editing, no
  // CR/LF translation, no parity check), no flow control (neither RTS/CTS nor XON/XOFF,
  // so 0x11 and 0x13 in card data pass untouched), CLOCAL (no carrier needed), CREAD,
  // and DTR and RTS asserted so an encoder powered or enabled by those lines is on.
  // The DCB's flag fields are therefore not applied; GetCommState reports the result.
  cfmakeraw(&settings);
  settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_iflag &= ~(IXON | IXOFF | IXANY);
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  settings.c_cflag |= kSizes[dcb->ByteSize - 5];
  if (dcb->Parity != NOPARITY) settings.c_cflag |= PARENB;
  if (dcb->Parity == ODDPARITY || dcb->Parity == MARKPARITY) settings.c_cflag |= PARODD;
  if (dcb->Parity == MARKPARITY || dcb->Parity == SPACEPARITY) settings.c_cflag |= CMSPAR;
  if (dcb->StopBits != ONESTOPBIT) settings.c_cflag |= CSTOPB;
  settings.c_cc[VMIN] = 0;  // reads never block in the driver; ReadFile times them
  settings.c_cc[VTIME] = 0;
  cfsetispeed(&settings, *speed);
  cfsetospeed(&settings, *speed);
  if (tcsetattr(port->fd, TCSANOW, &settings) != 0) return Fail(ErrorFromErrno(errno));
  int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(port->fd, TIOCMBIS, &lines);
  return TRUE;
}

BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
  SerialPort* port = PortOf(file);
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (timeouts == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  port->timeouts = *timeouts;
  return TRUE;
}

BOOL GetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
  SerialPort* port = PortOf(file);
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (timeouts == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *timeouts = port->timeouts;
  return TRUE;
}

BOOL SetupComm(HANDLE file, DWORD /*inQueue*/, DWORD /*outQueue*/) {
  return PortOf(file) != nullptr ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

BOOL PurgeComm(HANDLE file, DWORD flags) {
  SerialPort* port = PortOf(file);
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (flags & ~(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) return Fail(ERROR_INVALID_PARAMETER);
  // The abort flags cancel pending overlapped transfers; synchronous handles have none.
  // Output is flushed only while some is queued: on a pty a flush would also drop what the
  // far side has not read yet, such as the last frame of the operation before.
  int queued = 0;
  const bool rx = flags & PURGE_RXCLEAR;
  const bool tx = (flags & PURGE_TXCLEAR) && (ioctl(port->fd, TIOCOUTQ, &queued) != 0 || queued > 0);
  if ((rx || tx) && tcflush(port->fd, rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH) != 0)
    return Fail(ErrorFromErrno(errno));
  return TRUE;
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED /*overlapped*/) {
  if (read != nullptr) *read = 0;
  SerialPort* port = PortOf(file);
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (buffer == nullptr && toRead != 0) return Fail(ERROR_INVALID_PARAMETER);

  const serial::ReadRule rule = serial::ReadRuleFor(port->timeouts, toRead);
  const bool atOnce = rule.atOnce, onFirstByte = rule.onFirstByte;
  std::optional<Clock::time_point> deadline;
  if (rule.totalMs) deadline = After(*rule.totalMs);
  const DWORD interval = rule.intervalMs;
  termios line{};
  tcgetattr(port->fd, &line);
  serial::DeliveryHold hold(serial::CharacterTime(line));

  auto* bytes = static_cast<unsigned char*>(buffer);
  DWORD got = 0;
  Clock::time_point lastByte{};
  bool failed = false;
  bool hungUp = false;
  while (got < toRead) {
    // 0 is "nothing there" for a raw line without VMIN, so only poll tells a hangup.
    const ssize_t n = ::read(port->fd, bytes + got, toRead - got);
    if (n > 0) {
      got += static_cast<DWORD>(n);
      lastByte = Clock::now();
      hold.batchArrived(static_cast<std::size_t>(n), lastByte);
      continue;
    }
    if ((n < 0 && errno != EAGAIN && errno != EINTR) || hungUp) {
      failed = true;  // EIO, or hung up and drained: the device went away
      break;
    }
    if (atOnce || (onFirstByte && got > 0)) break;

    std::optional<Clock::time_point> wakeAt = deadline;
    if (interval != 0 && got > 0) {
      const auto gapEnds = lastByte + std::chrono::milliseconds(interval) + hold.current();
      wakeAt = wakeAt ? std::min(*wakeAt, gapEnds) : gapEnds;
    }
    if (wakeAt && Clock::now() >= *wakeAt) break;
    pollfd waiter{port->fd, POLLIN, 0};
    timespec wait{};
    if (wakeAt) wait = serial::TimespecUntil(*wakeAt);
    const int ready = ppoll(&waiter, 1, wakeAt ? &wait : nullptr, nullptr);
    if (ready < 0 && errno != EINTR) {
      failed = true;
      break;
    }
    // A hung-up line stays "ready" for good: read what is left once more, then stop.
    if (ready > 0 && (waiter.revents & (POLLHUP | POLLERR | POLLNVAL))) hungUp = true;
  }
  if (read != nullptr) *read = got;
  return failed ? Fail(ERROR_GEN_FAILURE) : TRUE;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED /*overlapped*/) {
  if (written != nullptr) *written = 0;
  SerialPort* port = PortOf(file);
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (buffer == nullptr && toWrite != 0) return Fail(ERROR_INVALID_PARAMETER);

  const COMMTIMEOUTS& t = port->timeouts;
  std::optional<Clock::time_point> deadline;
  if (t.WriteTotalTimeoutMultiplier != 0 || t.WriteTotalTimeoutConstant != 0)
    deadline = After(std::uint64_t{t.WriteTotalTimeoutMultiplier} * toWrite + t.WriteTotalTimeoutConstant);

  const auto* bytes = static_cast<const unsigned char*>(buffer);
  DWORD sent = 0;
  BOOL result = TRUE;
  while (sent < toWrite) {
    const ssize_t n = ::write(port->fd, bytes + sent, toWrite - sent);
    if (n > 0) {
      sent += static_cast<DWORD>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      result = Fail(ERROR_GEN_FAILURE);
      break;
    }
    // The driver's queue is full: wait for room, within the write's time.
    const int wait = deadline ? MillisUntil(*deadline) : -1;
    pollfd waiter{port->fd, POLLOUT, 0};
    if (wait == 0 || poll(&waiter, 1, wait) == 0) {
      result = Fail(ERROR_COUNTER_TIMEOUT);
      break;
    }
    if (!(waiter.revents & POLLOUT) && (waiter.revents & (POLLHUP | POLLERR | POLLNVAL))) {
      result = Fail(ERROR_GEN_FAILURE);
      break;
    }
  }
  if (written != nullptr) *written = sent;
  return result;
}

BOOL FlushFileBuffers(HANDLE file) {
  SerialPort* port = PortOf(file);
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  const std::optional<int> queued = WaitForOutputToLeave(port->fd);
  if (!queued) return Fail(ERROR_GEN_FAILURE);
  if (*queued > 0) return Fail(ERROR_COUNTER_TIMEOUT);
  // A hung-up line (a pulled adapter, a far side gone) reports an empty queue: its bytes
  // were dropped, not sent.
  pollfd waiter{port->fd, POLLOUT, 0};
  if (poll(&waiter, 1, 0) > 0 && (waiter.revents & (POLLHUP | POLLERR | POLLNVAL))) return Fail(ERROR_GEN_FAILURE);
  return TRUE;
}

BOOL CloseHandle(HANDLE object) {
  SerialPort* port = nullptr;
  {
    std::lock_guard lock(g_portsMutex);
    auto found = g_ports.find(static_cast<SerialPort*>(object));
    if (found == g_ports.end()) return Fail(ERROR_INVALID_HANDLE);
    port = *found;
    g_ports.erase(found);
  }
  // Input is left for the purge at the next open.
  if (OutputStillQueued(port->fd)) tcflush(port->fd, TCOFLUSH);
  if (port->setLowLatency) GiveBackLowLatency(port->fd);
  if (port->exclusive) ioctl(port->fd, TIOCNXCL);  // the mode outlives our descriptor
  close(port->fd);                                 // also drops the flock
  if (!port->lockPath.empty()) serial::ReleaseUucpLock(port->lockPath);
  delete port;
  return TRUE;
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

DWORD GetLastError() { return g_lastError; }
