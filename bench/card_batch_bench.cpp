// A batch of 20 cards, written and verified by brimlock-card against the virtual encoder
// on a pty, as a user runs it: wall time per card beside the line's own time for what the
// pty paces (the floor), and beside the same exchanges made in this process straight
// through the encoder core (no program start, journal or files).
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "encoder-sim/VirtualEncoder.h"
#include "encoder/encoder_line.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCards = 20;
// The encoder answers a read as a card swiped at the prompt would, just after the soonest
// answer the check takes as this card's (800 ms).
constexpr int kSwipeMs = 850;
// The check's waits: quiet before the read frame, and watching after the answer.
constexpr int kQuietMs = 30, kWatchMs = 600;
constexpr double kMsPerByte = 10.0 / 9600 * 1000;  // start, 8 data bits, stop

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string CardText(int i) {
  char text[32];
  std::snprintf(text, sizeof text, "BRIMLOCK CARD %04d", i);
  return text;
}

// Reads until the line has been quiet for `ms`, as the program's reply checks do.
void Quiet(HANDLE h, DWORD ms) {
  COMMTIMEOUTS reply{}, quiet{MAXDWORD, MAXDWORD, ms, 0, 0};
  GetCommTimeouts(h, &reply);
  SetCommTimeouts(h, &quiet);
  char buffer[REPLY_BUFFER_SIZE];
  DWORD n = 0;
  while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) {
  }
  SetCommTimeouts(h, &reply);
}

// Write and read back as the program does, through the core alone, with the same waits for
// a quiet line before the read frame and after the answer, and one read that waits for the
// swipe and ends 8 ms after the answer's last byte.
void CoreCard(const std::string& text) {
  HANDLE h = OpenEncoderPort("com1");
  ConfigureEncoderPort(h);
  SendEncoderFrame(h, FRAME_LEAD_IN);
  SendEncoderFrame(h, FRAME_WRITE(CString(text)).c_str());
  CloseHandle(h);
  h = OpenEncoderPort("com1");
  ConfigureEncoderPort(h);
  SendEncoderFrame(h, FRAME_LEAD_IN);
  Quiet(h, kQuietMs);
  SendEncoderFrame(h, FRAME_READ);
  COMMTIMEOUTS swipe{8, 0, 8000, 0, 0};
  SetCommTimeouts(h, &swipe);
  char reply[REPLY_BUFFER_SIZE];
  DWORD n = 0;
  ReadFile(h, reply, sizeof reply, &n, nullptr);
  Quiet(h, kWatchMs);
  CloseHandle(h);
}

}  // namespace

int main(int argc, char** argv) {
  const bool verify = !(argc > 1 && std::string(argv[1]) == "--no-verify");
  encoder_sim::EncoderOptions options;
  options.answerDelay = encoder_sim::Millis(kSwipeMs);
  encoder_sim::VirtualEncoder encoder(options);
  setenv("BRIMLOCK_COM1", encoder.slavePath().c_str(), 1);
  const auto dir = std::filesystem::temp_directory_path() / ("brimlock-card-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string cards = dir / "cards.txt";
  {
    std::ofstream out(cards);
    for (int i = 1; i <= kCards; ++i) out << CardText(i) << "\n";
  }

  // On a real port: lead-in and write frame; with a check, lead-in, read and the answer
  // (2 + data + 2). A pty takes the program's frames at once and only the virtual encoder
  // paces its answer: the swipe, then the answer, which the read ends 8 ms after (the
  // interval timeout); and the check waits for 30 ms of quiet before the read frame (an
  // earlier operation's late answer) and watches 600 ms after the answer (a reply cut by a
  // gap): that is the floor here.
  double lineMs = 0, ptyMs = 0;
  for (int i = 1; i <= kCards; ++i) {
    const double n = static_cast<double>(CardText(i).size());
    lineMs += (3 + n + 5 + (verify ? 3 + 2 + n + 4 : 0)) * kMsPerByte;
    ptyMs += verify ? kSwipeMs + (n + 4) * kMsPerByte + 8 + kQuietMs + kWatchMs : 0;
  }

  const std::string command = std::string("'") + BRIMLOCK_CARD + "' batch " + (verify ? "--verify " : "--pace 0 ") +
                              "'" + cards + "' 2>/dev/null";
  const auto start = Clock::now();
  const int status = std::system(command.c_str());
  const double programMs = Ms(Clock::now() - start);

  const auto coreStart = Clock::now();
  if (verify) {
    for (int i = 1; i <= kCards; ++i) CoreCard(CardText(i));
  }
  const double coreMs = Ms(Clock::now() - coreStart);
  std::filesystem::remove_all(dir);
  if (status != 0) {
    std::printf("brimlock-card failed (status %d)\n", WEXITSTATUS(status));
    return 1;
  }

  std::printf("%d cards%s, ms per card:\n", kCards, verify ? ", each verified" : "");
  std::printf("  brimlock-card batch    %7.1f\n", programMs / kCards);
  if (verify) std::printf("  floor on the pty        %6.1f   ratio %.2f\n", ptyMs / kCards, programMs / ptyMs);
  if (verify) std::printf("  encoder core in-process %6.1f   ratio %.2f\n", coreMs / kCards, programMs / coreMs);
  std::printf("  (all frames on a 9600 8N1 line: %.1f)\n", lineMs / kCards);
  return 0;
}
