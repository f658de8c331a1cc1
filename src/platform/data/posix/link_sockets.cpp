#include "platform/data/data_backend.h"

#include <dirent.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>

namespace odbc {
namespace {

// Calls `each` with every open descriptor that is a socket, and its inode.
void ForEachSocket(const std::function<void(int, unsigned long)>& each) {
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return;
  while (dirent* entry = readdir(dir)) {
    char path[64], target[64];
    if (std::snprintf(path, sizeof path, "/proc/self/fd/%s", entry->d_name) >= int(sizeof path)) continue;
    ssize_t n = readlink(path, target, sizeof target - 1);
    if (n <= 0) continue;
    target[n] = 0;
    constexpr char kPrefix[] = "socket:[";  // how the kernel names a socket's inode
    if (std::strncmp(target, kPrefix, sizeof kPrefix - 1) != 0) continue;
    each(std::atoi(entry->d_name), std::strtoul(target + sizeof kPrefix - 1, nullptr, 10));
  }
  closedir(dir);
}

}  // namespace

SocketSet OpenSockets() {
  SocketSet sockets;
  ForEachSocket([&](int, unsigned long inode) { sockets.insert(inode); });
  return sockets;
}

SocketSet Added(const SocketSet& before, const SocketSet& after) {
  SocketSet added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::inserter(added, added.end()));
  return added;
}

void ShutDown(const SocketSet& sockets) {
  ForEachSocket([&](int fd, unsigned long inode) {
    if (sockets.count(inode) != 0) shutdown(fd, SHUT_RDWR);
  });
}

}  // namespace odbc
