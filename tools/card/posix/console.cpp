#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "console.h"

namespace card {

std::vector<std::string> Arguments(int argc, char** argv) { return {argv, argv + argc}; }

namespace {
int Descriptor(Stream stream) {
  return stream == Stream::In ? STDIN_FILENO : stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO;
}
}  // namespace

bool IsTerminal(Stream stream) { return isatty(Descriptor(stream)) == 1; }

void Write(Stream stream, std::string_view utf8) {
  std::FILE* file = stream == Stream::Out ? stdout : stderr;
  std::fwrite(utf8.data(), 1, utf8.size(), file);
  std::fflush(file);
}

std::string ReadAllInput() {
  std::string all;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n > 0) {
      all.append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  return all;
}

void LetFramesLeave(void* /*port*/, std::size_t /*bytes*/) {}

bool ReadWholeFile(const std::string& path, std::string& content, bool* missing) {
  content.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (missing != nullptr && errno == ENOENT) {
      *missing = true;
      return true;
    }
    return false;
  }
  char buffer[65536];
  ssize_t n = 0;
  while ((n = read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    content.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return n == 0;
}

DurableFile::~DurableFile() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

bool DurableFile::Open(const std::string& path, std::string& why) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  handle_ = fd;
  // A journal just made must keep its name through a crash too: its directory goes to disk.
  const std::string::size_type slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int dir = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

bool DurableFile::Append(std::string_view bytes, std::string& why) {
  const int fd = static_cast<int>(handle_);
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      why = std::strerror(errno);
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  if (fsync(fd) != 0) {
    why = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace card
