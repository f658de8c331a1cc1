// Share mode 0 against other processes: the UUCP lock file, flock, and their release.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

std::string LockText(pid_t pid) {
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(pid));
  return text;
}

bool Exists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

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

TEST_F(ExclusiveOpen, StaleLockFileIsTakenOver) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);  // now a pid whose process is gone

  for (const std::string& stale : {LockText(child), std::string(), std::string("garbage\n")}) {
    WriteFile(lockFile, stale);
    HANDLE port = OpenLikeProgram("com1");
    EXPECT_NE(port, INVALID_HANDLE_VALUE) << "stale lock: '" << stale << "'";
    EXPECT_EQ(FileText(lockFile), LockText(getpid()));
    CloseHandle(port);
    EXPECT_FALSE(Exists(lockFile));
  }
}

TEST_F(ExclusiveOpen, LinkIsLockedUnderTheDeviceItNames) {
  const std::string link = ::testing::TempDir() + "brimlock-com1-link";
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

}  // namespace
