#include "platform/serial/posix/portlock.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace serial {
namespace {

constexpr const char* kLockDirectory = "/var/lock";

// Lock files this process took and has not released: a lock naming our pid is ours only
// if it is here. The mutex spans every take and release, so two threads cannot both read
// a lock of ours as stale.
std::mutex g_heldMutex;
std::set<std::string> g_held;

enum class LockFile { Regular, Missing, Other };

// What sits at the lock path. lstat first, so that a device there is never opened (an
// open alone raises a serial line's DTR).
LockFile Inspect(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return errno == ENOENT ? LockFile::Missing : LockFile::Other;
  return S_ISREG(info.st_mode) ? LockFile::Regular : LockFile::Other;
}

enum class Owner { Named, None, Unreadable, NotAFile };

// Who a lock file names: a pid (Named), nobody (None: empty, garbage, the old binary form),
// or, when we may not read it (another account's, mode 0600), nobody we can tell
// (Unreadable). NotAFile when the path turned out to be no regular file after all (it was
// swapped after Inspect): O_NOFOLLOW refuses a link, O_NONBLOCK keeps a FIFO from hanging
// the open, and fstat tells what was opened.
Owner ReadLockOwner(const std::string& path, pid_t* pid) {
  *pid = 0;
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ELOOP) return Owner::NotAFile;
    return errno == ENOENT ? Owner::None : Owner::Unreadable;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return Owner::NotAFile;
  }
  char text[32] = {};
  const ssize_t got = read(fd, text, sizeof text - 1);
  close(fd);
  if (got < 0) return Owner::Unreadable;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (got == 0 || end == text || value <= 0 || value > 0x3FFFFFFF) return Owner::None;
  *pid = static_cast<pid_t>(value);
  return Owner::Named;
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
  std::lock_guard guard(g_heldMutex);

  // Two rounds: the second follows the removal of a stale lock. Two processes taking
  // over the same stale lock at once can both get here; flock on the device decides.
  for (int round = 0; round < 2; ++round) {
    // O_EXCL never follows a link, and with O_CREAT nothing is opened that already exists.
    const int fd = open(lockPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd >= 0) {
      const bool written = write(fd, content, 11) == 11;
      close(fd);
      if (written) {
        g_held.insert(lockPath);
        return LockResult::Taken;
      }
      unlink(lockPath.c_str());
      return LockResult::Unwritten;
    }
    if (errno != EEXIST) return LockResult::Unavailable;

    const LockFile kind = Inspect(lockPath);
    if (kind == LockFile::Missing) continue;  // released since our open
    if (kind == LockFile::Other) return LockResult::Held;
    pid_t owner = 0;
    const Owner named = ReadLockOwner(lockPath, &owner);
    // A lock we may not read is someone's we cannot judge: held, as a live one is.
    if (named == Owner::NotAFile || named == Owner::Unreadable) return LockResult::Held;
    // Another handle of this process holds the port, which is as exclusive as Windows
    // keeps it. Our pid without such a handle is a dead owner's whose pid we inherited.
    if (owner == getpid()) {
      if (g_held.count(lockPath) != 0) return LockResult::Held;
    } else if (named == Owner::Named && ProcessIsAlive(owner)) {
      return LockResult::Held;
    }
    // Stale: its process is gone, or it names none (an owner that died mid-write).
    if (unlink(lockPath.c_str()) != 0 && errno != ENOENT) return LockResult::Unavailable;
  }
  return LockResult::Held;
}

void ReleaseUucpLock(const std::string& lockPath) {
  std::lock_guard guard(g_heldMutex);
  g_held.erase(lockPath);
  if (Inspect(lockPath) != LockFile::Regular) return;
  pid_t owner = 0;
  if (ReadLockOwner(lockPath, &owner) == Owner::Named && owner == getpid()) unlink(lockPath.c_str());
}

}  // namespace serial
