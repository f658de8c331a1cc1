// The program's start, offscreen: wall time from the start of the process to the first paint
// of its window and to its exit once that window is closed, and its peak RSS, beside a bare
// Qt dialog with a line edit and three buttons, the two started in turn trial by trial.
// bench_startup_probe (LD_PRELOAD) notes the paint and closes the window. This program
// links no Qt, so what a child inherits before exec stays far below either peak. The
// program resets the encoder on com1 as its window closes; a virtual one answers there, so
// no trial writes to the machine's own serial port.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "encoder-sim/VirtualEncoder.h"

extern char** environ;

namespace {

constexpr int kExitSeconds = 10;  // after this a program that has not ended is a fault

long long NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

struct Run {
  double appMs = 0, showMs = 0, paintMs = 0, frameMs = 0, closeMs = 0, exitMs = 0, rssMiB = 0;
};

struct Side {
  const char* name;
  const char* path;
  const char* argument;  // or null
  std::vector<Run> runs;
};

std::string g_notes;  // the probe's file for the current child
sigset_t g_chld, g_oldMask;

// One start of the program: start, paint, close, exit. Exits the benchmark on any fault,
// since a figure from a program that did not paint or end by itself means nothing.
Run Start(const Side& side, const char* smaps) {
  std::remove(g_notes.c_str());
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0 && std::strncmp(*e, "LD_PRELOAD=", 11) != 0 &&
        std::strncmp(*e, "BENCH_STARTUP_", 14) != 0)
      env.emplace_back(*e);
  }
  env.emplace_back("QT_QPA_PLATFORM=offscreen");
  env.emplace_back(std::string("LD_PRELOAD=") + STARTUP_PROBE);
  env.emplace_back("BENCH_STARTUP_OUT=" + g_notes);
  if (smaps != nullptr) env.emplace_back(std::string("BENCH_STARTUP_SMAPS=") + smaps);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  char* argv[] = {const_cast<char*>(side.path), const_cast<char*>(side.argument), nullptr};

  const long long start = NowNs();
  const pid_t pid = fork();
  if (pid == 0) {
    sigprocmask(SIG_SETMASK, &g_oldMask, nullptr);
    int null = open("/dev/null", O_RDWR);
    dup2(null, 1);
    dup2(null, 2);
    execve(side.path, argv, envp.data());
    _exit(127);
  }
  timespec limit{kExitSeconds, 0};
  const bool ended = sigtimedwait(&g_chld, nullptr, &limit) == SIGCHLD;
  const long long end = NowNs();
  if (!ended) kill(pid, SIGKILL);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);

  std::map<std::string, long long> notes;
  std::ifstream in(g_notes);
  std::string what;
  for (long long ns = 0; in >> what >> ns;) notes[what] = ns;
  if (!ended || !notes.count("paint") || !notes.count("frame") || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s: %s\n", side.name,
                 !notes.count("paint") ? "never painted its window"
                 : !ended              ? "did not end within 10 s of its window's close"
                 : !WIFEXITED(status)  ? "ended by a signal"
                                       : "ended with a non-zero status");
    std::remove(g_notes.c_str());
    std::exit(1);
  }
  auto ms = [start](long long ns) { return static_cast<double>(ns - start) / 1e6; };
  Run run;
  run.appMs = ms(notes["app"]);
  run.showMs = ms(notes["show"]) - run.appMs;
  run.paintMs = ms(notes["paint"]);
  run.frameMs = ms(notes["frame"]) - run.paintMs;
  run.exitMs = ms(end);
  run.closeMs = run.exitMs - ms(notes["frame"]);
  run.rssMiB = static_cast<double>(usage.ru_maxrss) / 1024;
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Worst(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

std::vector<double> Column(const Side& side, double Run::*field) {
  std::vector<double> v;
  for (const Run& r : side.runs) v.push_back(r.*field);
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  const int trials = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  g_notes = "/tmp/bench-startup-" + std::to_string(getpid()) + ".notes";
  // SIGCHLD stays blocked in every thread, the encoder's too, so that only sigtimedwait
  // takes it; a thread with it unblocked would drop it (its default is to ignore it).
  sigemptyset(&g_chld);
  sigaddset(&g_chld, SIGCHLD);
  pthread_sigmask(SIG_BLOCK, &g_chld, &g_oldMask);
  encoder_sim::VirtualEncoder encoder;
  setenv("BRIMLOCK_COM1", encoder.slavePath().c_str(), 1);
  Side ours{"brimlock", BRIMLOCK_PROGRAM, nullptr, {}};
  Side anchor{"anchor", STARTUP_ANCHOR, nullptr, {}};
  // The same dialog showing the window's captions in its font: what our layers add alone.
  Side sameText{"anchor --window-text", STARTUP_ANCHOR, "--window-text", {}};

  // BENCH_STARTUP_SMAPS_DIR=DIR keeps each program's mappings at its first paint, for a look
  // at where the memory lies; it is taken on the warm-up start, outside the figures.
  std::string smapsOurs, smapsAnchor;
  if (const char* dir = std::getenv("BENCH_STARTUP_SMAPS_DIR")) {
    smapsOurs = std::string(dir) + "/brimlock.smaps";
    smapsAnchor = std::string(dir) + "/anchor.smaps";
  }
  Start(ours, smapsOurs.empty() ? nullptr : smapsOurs.c_str());
  Start(anchor, smapsAnchor.empty() ? nullptr : smapsAnchor.c_str());
  Start(sameText, nullptr);
  // In turn, in an order that turns every trial, so all see the same load and caches.
  Side* sides[] = {&ours, &anchor, &sameText};
  for (int i = 0; i < trials; ++i) {
    for (int k = 0; k < 3; ++k) {
      Side& side = *sides[(i + k) % 3];
      side.runs.push_back(Start(side, nullptr));
    }
  }
  std::remove(g_notes.c_str());

  std::printf("Start-up offscreen, %d trials each in turn (median / worst)\n", trials);
  std::printf("%-26s %19s %19s %13s %19s %13s\n", "", "brimlock", "bare dialog", "ratio", "same text", "ratio");
  auto row = [&](const char* label, double Run::*field, const char* unit) {
    auto a = Column(ours, field), b = Column(anchor, field), c = Column(sameText, field);
    std::printf("%-26s %8.1f / %6.1f %s %8.1f / %6.1f %s %5.2f / %5.2f %8.1f / %6.1f %s %5.2f / %5.2f\n", label,
                Median(a), Worst(a), unit, Median(b), Worst(b), unit, Median(a) / Median(b), Worst(a) / Worst(b),
                Median(c), Worst(c), unit, Median(a) / Median(c), Worst(a) / Worst(c));
  };
  row("start -> first paint", &Run::paintMs, "ms ");
  row("start -> exit", &Run::exitMs, "ms ");
  row("peak RSS", &Run::rssMiB, "MiB");
  std::printf("where it went:\n");
  row("  start -> QApplication", &Run::appMs, "ms ");
  row("  QApplication -> shown", &Run::showMs, "ms ");
  row("  first paint -> painted", &Run::frameMs, "ms ");
  row("  close -> exit", &Run::closeMs, "ms ");
  std::printf("goal: at most 1.2x the bare dialog in time, 1.1x in peak memory\n");
  return 0;
}
