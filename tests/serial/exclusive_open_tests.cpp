// Share mode 0 against other processes: the UUCP lock file, flock, and their release.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "encoder-sim/PtyPeer.h"
#include "serial_test_support.h"

using encoder_sim::PtyPeer;
using namespace serial_test;

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  if (!in) return "(none)";
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::string LockText(pid_t pid) {
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
  return text;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

class ExclusiveOpen : public ::testing::Test {
 protected:
  PtyPeer peer;
  ScopedEnv com1{"BRIMLOCK_COM1", peer.slavePath()};
  const std::string lockFile = LockFileFor(peer.slavePath());

  void TearDown() override { unlink(lockFile.c_str()); }
};

TEST_F(ExclusiveOpen, PortHeldByAnotherProcessFailsUntilItCloses) {
  int held[2], release[2];
  ASSERT_EQ(pipe(held), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(held[0]);
    close(release[1]);  // else the parent's close would never end our wait
    HANDLE port = OpenLikeProgram("com1");
    const char ok = port != INVALID_HANDLE_VALUE ? 'y' : 'n';
    (void)!write(held[1], &ok, 1);
    char done;
    (void)!read(release[0], &done, 1);  // returns when the parent closes its end
    CloseHandle(port);
    _exit(0);
  }
  close(held[1]);
  close(release[0]);
  char ok = 0;
  ASSERT_EQ(read(held[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');

  EXPECT_EQ(FileText(lockFile), LockText(child));
  EXPECT_EQ(OpenLikeProgram("com1"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(FileText(lockFile), LockText(child)) << "a failed open must leave the owner's lock";

  close(release[1]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_FALSE(Exists(lockFile));
  HANDLE port = OpenLikeProgram("com1");
  EXPECT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileText(lockFile), LockText(getpid()));
  CloseHandle(port);
  EXPECT_FALSE(Exists(lockFile));
  close(held[0]);
}

TEST_F(ExclusiveOpen, FlockAloneBarsTheOpen) {
  // Another program that locks the device but writes no lock file.
  const int other = open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(OpenLikeProgram("com1"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(Exists(lockFile)) << "the lock file taken on the way must be given back";
  close(other);
  HANDLE port = OpenLikeProgram("com1");
  EXPECT_NE(port, INVALID_HANDLE_VALUE);
  CloseHandle(port);
}

TEST_F(ExclusiveOpen, LockFileOfLiveProcessBarsTheOpen) {
  WriteFile(lockFile, LockText(1));  // init never dies
  EXPECT_EQ(OpenLikeProgram("com1"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(FileText(lockFile), LockText(1));
}

// Opens com1 as an operator without root's exemptions (the user nobody) in a child
// process; gives the open's error, ERROR_SUCCESS when it opened.
DWORD OpenAsOperator() {
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
    HANDLE port = OpenLikeProgram("com1");
    _exit(port != INVALID_HANDLE_VALUE ? ERROR_SUCCESS : static_cast<int>(GetLastError() & 0xFF));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 254;
}

// The operator's view needs another account than the tests' own: root's.
class OperatorOpen : public ExclusiveOpen {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to act as another user";
    // As an operator in the group that owns the serial devices may.
    ASSERT_EQ(chmod(peer.slavePath().c_str(), 0666), 0);
  }
};

TEST_F(OperatorOpen, LockFileTheOperatorCannotReadBarsTheOpen) {
  WriteFile(lockFile, LockText(1));  // another account's lock, naming a live process
  ASSERT_EQ(chmod(lockFile.c_str(), 0600), 0);
  EXPECT_EQ(OpenAsOperator(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(FileText(lockFile), LockText(1));
  unlink(lockFile.c_str());
  EXPECT_EQ(OpenAsOperator(), static_cast<DWORD>(ERROR_SUCCESS));
}

// A pseudo-terminal lives on while its other side is open, so a program killed while it
// held the port must leave nothing on the line that bars the operator's next open: the
// lock file it leaves is stale and the kernel drops its flock.
TEST_F(OperatorOpen, KilledHolderLeavesAPseudoTerminalOpenToTheOperator) {
  int held[2];
  ASSERT_EQ(pipe(held), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    close(held[0]);
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(1);
    HANDLE port = OpenLikeProgram("com1");
    const char ok = port != INVALID_HANDLE_VALUE ? 'y' : 'n';
    (void)!write(held[1], &ok, 1);
    pause();
    _exit(0);
  }
  close(held[1]);
  char ok = 0;
  ASSERT_EQ(read(held[0], &ok, 1), 1);
  close(held[0]);
  ASSERT_EQ(ok, 'y');
  EXPECT_EQ(OpenAsOperator(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(OpenAsOperator(), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(ExclusiveOpen, StaleLockFileIsTakenOver) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);  // now a pid whose process is gone

  // Our own pid with no handle of ours open: a restart that got the dead owner's pid.
  for (const std::string& stale : {LockText(child), std::string(), std::string("garbage\n"), LockText(getpid())}) {
    WriteFile(lockFile, stale);
    HANDLE port = OpenLikeProgram("com1");
    EXPECT_NE(port, INVALID_HANDLE_VALUE) << "stale lock: '" << stale << "'";
    EXPECT_EQ(FileText(lockFile), LockText(getpid()));
    // Now the lock naming us is held through a handle: a second open neither takes it
    // over nor, failing, takes it away from the first.
    EXPECT_EQ(OpenLikeProgram("com1"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(FileText(lockFile), LockText(getpid())) << "stale lock: '" << stale << "'";
    CloseHandle(port);
    EXPECT_FALSE(Exists(lockFile));
  }
}

TEST_F(ExclusiveOpen, LinkIsLockedUnderTheDeviceItNames) {
  const std::string link = ::testing::TempDir() + "brimlock-com1-link-" + std::to_string(getpid());
  unlink(link.c_str());
  ASSERT_EQ(symlink(peer.slavePath().c_str(), link.c_str()), 0);
  ScopedEnv viaLink("BRIMLOCK_COM1", link);
  HANDLE port = OpenLikeProgram("com1");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileText(lockFile), LockText(getpid()));
  // The same device under its own name is the same port.
  EXPECT_EQ(OpenLikeProgram(peer.slavePath().c_str()), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(port);
  unlink(link.c_str());
}

// Something other than a lock file at the lock path: nobody can say who holds the port, so
// the open fails at once, without hanging on a FIFO, following a link or opening a device,
// and leaves the thing as it was.
enum class NotALockFile { Fifo, Directory, LinkToFile, DeviceNode };

class LockPathNotAFile : public ExclusiveOpen, public ::testing::WithParamInterface<NotALockFile> {
 protected:
  const std::string linkTarget = ::testing::TempDir() + "brimlock-lock-link-target-" + std::to_string(getpid());

  void TearDown() override {
    std::remove(lockFile.c_str());  // a directory too
    unlink(linkTarget.c_str());
  }
};

TEST_P(LockPathNotAFile, RefusesThePortAtOnceAndLeavesItAlone) {
  // Each would pass for a stale lock if it were read as one: the link's file and the
  // device read as naming no process.
  switch (GetParam()) {
    case NotALockFile::Fifo: ASSERT_EQ(mkfifo(lockFile.c_str(), 0644), 0); break;
    case NotALockFile::Directory: ASSERT_EQ(mkdir(lockFile.c_str(), 0755), 0); break;
    case NotALockFile::LinkToFile:
      WriteFile(linkTarget, "not a lock\n");
      ASSERT_EQ(symlink(linkTarget.c_str(), lockFile.c_str()), 0);
      break;
    case NotALockFile::DeviceNode:
      if (mknod(lockFile.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)  // as /dev/null
        GTEST_SKIP() << "cannot make a device node here: " << std::strerror(errno);
      break;
  }
  struct stat before {};
  ASSERT_EQ(lstat(lockFile.c_str(), &before), 0);

  Stopwatch watch;
  HANDLE port = OpenLikeProgram("com1");
  EXPECT_LT(watch.ms(), 1000);
  EXPECT_EQ(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  if (port != INVALID_HANDLE_VALUE) CloseHandle(port);

  struct stat after {};
  ASSERT_EQ(lstat(lockFile.c_str(), &after), 0) << "the thing at the lock path was removed";
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
  if (GetParam() == NotALockFile::LinkToFile) {
    EXPECT_EQ(FileText(linkTarget), "not a lock\n");
  }
}

const char* const kKindNames[] = {"Fifo", "Directory", "LinkToFile", "DeviceNode"};
void PrintTo(NotALockFile kind, std::ostream* out) { *out << kKindNames[static_cast<int>(kind)]; }
std::string KindName(const ::testing::TestParamInfo<NotALockFile>& info) {
  return kKindNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Kinds, LockPathNotAFile,
                         ::testing::Values(NotALockFile::Fifo, NotALockFile::Directory, NotALockFile::LinkToFile,
                                           NotALockFile::DeviceNode),
                         KindName);

}  // namespace
