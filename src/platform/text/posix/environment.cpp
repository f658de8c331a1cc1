#include "platform/text/text_backend.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/text/codepage.h"

namespace text {

std::optional<std::string> EnvironmentSetting(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return Utf8ToCp936(value);
}

namespace {

std::optional<std::string> Refused(const std::string& path, const char* why) {
  std::fprintf(stderr, "brimlock: %s %s\n", path.c_str(), why);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> OwnersFileFirstLine(const std::string& path) {
  const std::string local = Cp936ToUtf8(path);
  // Opened without waiting (a FIFO would hold the query for ever) and without following a
  // link, then judged by what was opened, so nothing can be swapped in between.
  const int fd = open(local.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    return Refused(local, errno == ELOOP ? "is a symbolic link; name the file itself" : "is missing or cannot be read");
  }
  struct stat status {};
  const char* why = nullptr;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) why = "is not a plain file";
  else if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) why = "is open to others than its owner (chmod 600)";
  else if (status.st_size > kConnectionFileLimit) why = "is too large for a connection string (at most 64 KiB)";
  std::string bytes;
  if (why == nullptr) {
    bytes.resize(static_cast<size_t>(status.st_size));
    const ssize_t got = read(fd, bytes.data(), bytes.size());
    if (got < 0) why = "cannot be read";
    else bytes.resize(static_cast<size_t>(got));
  }
  close(fd);
  if (why != nullptr) return Refused(local, why);
  return Utf8ToCp936(FirstLine(bytes));
}

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return Utf8ToCp936(name);
}

std::string UserName() {
  // The account the process runs as, not $USER, which any caller may set.
  const passwd* entry = getpwuid(geteuid());
  return entry != nullptr && entry->pw_name != nullptr ? Utf8ToCp936(entry->pw_name) : std::to_string(geteuid());
}

}  // namespace text
