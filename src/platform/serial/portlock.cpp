#include "platform/serial/portlock.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace serial {
namespace {

constexpr const char* kLockDirectory = "/var/lock";

// The pid a lock file names, or 0 when it names none (empty, garbage, the old binary form).
pid_t ReadLockOwner(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[32] = {};
  const ssize_t got = read(fd, text, sizeof text - 1);
  close(fd);
  if (got <= 0) return 0;
  char* end = nullptr;
  const long pid = std::strtol(text, &end, 10);
  if (end == text || pid <= 0 || pid > 0x3FFFFFFF) return 0;
  return static_cast<pid_t>(pid);
}

bool ProcessIsAlive(pid_t pid) {
  // EPERM: the process exists but belongs to someone else.
  return kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace

LockResult TakeUucpLock(const std::string& deviceName, std::string& lockPath) {
  // A distribution without /var/lock gets it back when we may create it.
  if (mkdir(kLockDirectory, 0755) == 0) chmod(kLockDirectory, 01777);

  lockPath = std::string(kLockDirectory) + "/LCK.." + deviceName;
  char content[16];
  std::snprintf(content, sizeof content, "%10d\n", static_cast<int>(getpid()));

  // Two rounds: the second follows the removal of a stale lock. Two processes taking
  // over the same stale lock at once can both get here; flock on the device decides.
  for (int round = 0; round < 2; ++round) {
    const int fd = open(lockPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      const bool written = write(fd, content, 11) == 11;
      close(fd);
      if (written) return LockResult::Taken;
      unlink(lockPath.c_str());
      return LockResult::Unavailable;
    }
    if (errno != EEXIST) return LockResult::Unavailable;

    // Our own pid means another handle of this process holds the port, which is as
    // exclusive as Windows keeps it.
    const pid_t owner = ReadLockOwner(lockPath);
    if (owner != 0 && ProcessIsAlive(owner)) return LockResult::Held;
    // Stale: its process is gone, or it names none (an owner that died mid-write).
    if (unlink(lockPath.c_str()) != 0 && errno != ENOENT) return LockResult::Unavailable;
  }
  return LockResult::Held;
}

void ReleaseUucpLock(const std::string& lockPath) {
  if (ReadLockOwner(lockPath) == getpid()) unlink(lockPath.c_str());
}

}  // namespace serial
