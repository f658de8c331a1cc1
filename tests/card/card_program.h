#pragma once
// brimlock-card run as a user runs it: a child process with its own standard streams, its
// exit status, what it printed; Ctrl-C or a kill while it runs.
#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

struct CardResult {
  int status = -1;  // the exit status, or 128 + the signal that ended it
  std::string out;
  std::string err;
};

// UTF-8, whatever the narrow literals' code page: what a terminal hands the program.
inline std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// Where the program's standard output and error go, besides pipes read by the test.
struct CardStreams {
  bool errOnTerminal = false;     // standard error is a terminal (a pseudo-terminal), as in a shell
  const char* outFile = nullptr;  // standard output is this file (/dev/full), not read back
  bool outErrClosed = false;      // both closed, as some service managers start programs
  bool asNobody = false;          // run as the user nobody (the test must run as root)
};

class CardProgram {
 public:
  CardProgram(const std::vector<std::string>& arguments, const std::string& input = "", CardStreams streams = {}) {
    const bool errOnTerminal = streams.errOnTerminal;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    if (errOnTerminal) {
      err[0] = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (err[0] < 0 || grantpt(err[0]) != 0 || unlockpt(err[0]) != 0) return;
      err[1] = open(ptsname(err[0]), O_RDWR | O_NOCTTY | O_CLOEXEC);
    } else if (pipe2(err, O_CLOEXEC) != 0) {
      return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      dup2(err[1], 2);
      if (streams.outFile != nullptr) dup2(open(streams.outFile, O_WRONLY), 1);
      if (streams.asNobody && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(126);
      if (streams.outErrClosed) {
        close(1);
        close(2);
      }
      std::vector<char*> argv{const_cast<char*>(BRIMLOCK_CARD)};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(BRIMLOCK_CARD, argv.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // The input is small; the program reads all of it before it starts.
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0) {
    }
    close(in[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~CardProgram() {
    if (pid_ > 0 && !waited_) {
      kill(pid_, SIGKILL);
      Wait();
    }
  }
  CardProgram(const CardProgram&) = delete;
  CardProgram& operator=(const CardProgram&) = delete;

  void Signal(int signal) { kill(pid_, signal); }
  pid_t pid() const { return pid_; }

  CardResult Wait() {
    CardResult result;
    pollfd streams[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    std::string* texts[2] = {&result.out, &result.err};
    for (int open = 2; open > 0;) {
      if (poll(streams, 2, -1) < 0) continue;
      for (int i = 0; i < 2; ++i) {
        if (streams[i].fd < 0 || streams[i].revents == 0) continue;
        char buffer[4096];
        const ssize_t n = read(streams[i].fd, buffer, sizeof buffer);
        if (n > 0) {
          texts[i]->append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
          continue;
        } else {  // the end, or EIO from a terminal whose last user has gone
          close(streams[i].fd);
          streams[i].fd = -1;
          --open;
        }
      }
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    waited_ = true;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  bool waited_ = false;
};

inline CardResult RunCard(const std::vector<std::string>& arguments, const std::string& input = "",
                          CardStreams streams = {}) {
  return CardProgram(arguments, input, streams).Wait();
}
