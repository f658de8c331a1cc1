// How soon a read returns after the last byte of an unbroken reply, under each way a real
// port hands bytes over, and what a silent read costs. Each figure is printed beside its
// anchor from the same run: pyserial with the same nominal timeouts on the same pty, and
// a bare poll(2) for the silent read.
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "encoder-sim/PtyPeer.h"
#include "platform/serial/winserial.h"
#include "serial_test_support.h"

using encoder_sim::Millis;
using encoder_sim::PtyPeer;
using Clock = std::chrono::steady_clock;
using serial_test::OpenLikeProgram;
using serial_test::PortDelivery;

namespace {

const std::string kReply = "\x1b\x73%B6212345678901234^BRIMLOCK/TEST^2712?\x1c";  // 41 bytes

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double ThreadCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// A peer that answers every 'R' with the reply, 5 ms later, as the given port delivers it.
struct Line {
  std::unique_ptr<PtyPeer> peer;
  explicit Line(const PtyPeer::Delivery& delivery) {
    PtyPeer::Handlers handlers;
    handlers.onBytes = [this](std::string_view bytes) {
      if (bytes.find('R') != std::string_view::npos) peer->sendAfter(Millis(5), kReply);
    };
    peer = std::make_unique<PtyPeer>(std::move(handlers));
    peer->setDelivery(delivery);
  }
};

struct Stats {
  double median = 0, worst = 0;
  bool whole = true;
};

Stats Summarise(std::vector<double> samples, bool whole) {
  std::sort(samples.begin(), samples.end());
  return {samples[samples.size() / 2], samples.back(), whole};
}

Stats OurLatency(const PortDelivery& pattern, int trials) {
  Line line(pattern.delivery);
  HANDLE port = OpenLikeProgram(line.peer->slavePath().c_str());
  std::vector<double> samples;
  bool whole = true;
  for (int i = 0; i < trials; ++i) {
    PurgeComm(port, PURGE_RXCLEAR);
    DWORD count = 0;
    WriteFile(port, "R", 1, &count, nullptr);
    char buffer[100];
    ReadFile(port, buffer, sizeof buffer, &count, nullptr);
    const Clock::time_point end = Clock::now();
    whole = whole && std::string(buffer, count) == kReply;
    samples.push_back(Ms(end - line.peer->lastHandedOver()));
  }
  CloseHandle(port);
  return Summarise(samples, whole);
}

// pyserial on the same kind of line; nullopt when it is not installed.
class Pyserial {
 public:
  explicit Pyserial(const std::string& device) {
    const std::string script = std::string(BENCH_DIR) + "/pyserial_read.py";
    if (std::system("/usr/bin/python3 -c 'import serial' 2>/dev/null") != 0) return;
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
    child_ = fork();
    if (child_ == 0) {
      dup2(toChild[0], 0);
      dup2(fromChild[1], 1);
      close(toChild[1]);
      close(fromChild[0]);
      execl("/usr/bin/python3", "python3", script.c_str(), device.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    in_ = fdopen(toChild[1], "w");
    out_ = fdopen(fromChild[0], "r");
  }
  ~Pyserial() {
    if (in_) fclose(in_);
    if (out_) fclose(out_);
    if (child_ > 0) waitpid(child_, nullptr, 0);
  }
  bool available() const { return in_ != nullptr; }
  // The answer line to one command.
  std::string ask(const char* command) {
    std::fprintf(in_, "%s\n", command);
    std::fflush(in_);
    char line[256] = {};
    return std::fgets(line, sizeof line, out_) ? line : "";
  }

 private:
  pid_t child_ = -1;
  FILE* in_ = nullptr;
  FILE* out_ = nullptr;
};

std::optional<Stats> PyserialLatency(const PortDelivery& pattern, int trials) {
  Line line(pattern.delivery);
  Pyserial py(line.peer->slavePath());
  if (!py.available()) return std::nullopt;
  std::vector<double> samples;
  bool whole = true;
  for (int i = 0; i < trials; ++i) {
    int count = 0;
    double end = 0;
    if (std::sscanf(py.ask("read").c_str(), "%d %lf", &count, &end) != 2) return std::nullopt;
    const double handed = std::chrono::duration<double>(line.peer->lastHandedOver().time_since_epoch()).count();
    whole = whole && count == static_cast<int>(kReply.size());
    samples.push_back((end - handed) * 1e3);
  }
  return Summarise(samples, whole);
}

}  // namespace

int main(int argc, char** argv) {
  const int trials = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  std::printf("Read latency: from the last byte of a 41-byte reply handed to the port to the read's\n"
              "return, ms (median / worst of %d). Goal: <= 30 in every pattern, near 8 byte by byte.\n\n",
              trials);
  std::printf("%-32s %-20s %-20s %s\n", "delivery", "brimlock", "pyserial", "ratio (median)");
  for (const PortDelivery& pattern : serial_test::kPortDeliveries) {
    const Stats ours = OurLatency(pattern, trials);
    const std::optional<Stats> theirs = PyserialLatency(pattern, trials);
    char mine[64], anchor[64] = "not installed", ratio[32] = "-";
    std::snprintf(mine, sizeof mine, "%.1f / %.1f%s", ours.median, ours.worst, ours.whole ? "" : " CUT");
    if (theirs) {
      std::snprintf(anchor, sizeof anchor, "%.1f / %.1f%s", theirs->median, theirs->worst, theirs->whole ? "" : " CUT");
      std::snprintf(ratio, sizeof ratio, "%.3f", ours.median / theirs->median);
    }
    std::printf("%-32s %-20s %-20s %s\n", pattern.name, mine, anchor, ratio);
  }

  std::printf("\nA silent read (nothing answers), wall ms / CPU ms. Goal: 808 +- 20 wall, < 1 CPU.\n\n");
  {
    PtyPeer quiet;
    HANDLE port = OpenLikeProgram(quiet.slavePath().c_str());
    char buffer[100];
    DWORD count = 0;
    const double cpu = ThreadCpuMs();
    const Clock::time_point start = Clock::now();
    ReadFile(port, buffer, sizeof buffer, &count, nullptr);
    std::printf("%-32s %.1f / %.2f\n", "brimlock ReadFile", Ms(Clock::now() - start), ThreadCpuMs() - cpu);
    CloseHandle(port);
  }
  {
    const double cpu = ThreadCpuMs();
    const Clock::time_point start = Clock::now();
    poll(nullptr, 0, 808);
    std::printf("%-32s %.1f / %.2f\n", "bare poll(808 ms)", Ms(Clock::now() - start), ThreadCpuMs() - cpu);
  }
  {
    PtyPeer quiet;
    Pyserial py(quiet.slavePath());
    double wall = 0, cpu = 0;
    int count = 0;
    if (py.available() && std::sscanf(py.ask("silent").c_str(), "%d %lf %lf", &count, &wall, &cpu) == 3)
      std::printf("%-32s %.1f / %.2f\n", "pyserial read(100)", wall, cpu);
    else std::printf("%-32s not installed (apt-get install python3-serial)\n", "pyserial read(100)");
  }
  return 0;
}
