// brimlock-encoder: a virtual card encoder on a pseudo-terminal, for demos, training and
// trying the program without a device.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <getopt.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "encoder-sim/VirtualEncoder.h"
#include "platform/text/codepage.h"
#include "resources/version.h"

namespace {

constexpr const char* kHelp = R"(Usage: brimlock-encoder [OPTION]...
A virtual card encoder on a pseudo-terminal. It prints the device it listens on, then
one line for every frame it receives (hex, printable bytes with '.' for the rest, and a
write's text) and for every answer it sends. Ctrl-C ends it.

Point the program at it with BRIMLOCK_COM1=<device> (or BRIMLOCK_COM2), or use --link.

Frames it takes (hex):
  RESET    1B 30                       accepted, not answered; drops an answer not yet sent
  LEAD_IN  1B 25 42                    accepted, not answered
  READ     1B 5D                       answered: 1B 73, the card's data, 3F 1C
  WRITE    1B 74, text, 1D 1B 5C       the text becomes the card's data; not answered
Answers take the line time of the port's baud (1.04 ms a byte at 9600 8N1).
A write's text may hold any byte but 00; the frame ends at the last 1D 1B 5C before
the line is quiet for 20 ms, or at a 1D 1B 5C that the next lead-in (1B 25 42) or reset
(1B 30) follows at once. Bytes that form no frame are logged as UNKNOWN.

Options:
  --data TEXT     the card's data at start (UTF-8 here, kept as code page 936); default
                  an empty card
  --delay MS      wait MS milliseconds before answering a read (default 0)
  --no-answer     never answer a read
  --ignore-reset  answer a read even after a reset came (by default a reset drops an
                  answer not yet sent): with --delay 8600, an encoder whose late answer
                  reaches the next operation
  --drip MS       from the start, send one '~' every MS milliseconds without end: a
                  line that is never quiet
  --split N       send the answer's first N bytes, then a gap, then the rest
  --gap MS        the gap for --split (default 60)
  --raw HEX       answer with these bytes instead (e.g. "1B 73 41 42 3F 1C")
  --late HEX      send these bytes once, as soon as the first lead-in has come: an
                  earlier operation's answer still on its way
  --pad-to N      pad the data in the answer with '_' to N bytes (e.g. 120, to send an
                  answer longer than the 100 bytes the program reads)
  --batch N       hand the answer to the port N bytes at a time, as a UART's receive
                  FIFO does (8 or 14 on a 16550A; the rest 4 character times after the
                  last byte); default 1, or no limit with --latency
  --latency MS    hand over what has come every MS milliseconds, as a USB adapter's
                  latency timer does (16 by default on common adapters); default none
  --link PATH     make PATH a symbolic link to the device while running
  --help          show this text;  --version  show the version
Options take their value as the next argument or after '=' (--delay=250).
)";

// A command line it cannot take ends it as brimlock-card ends: one line, status 4.
[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "brimlock-encoder: %s; see 'brimlock-encoder --help'\n", problem.c_str());
  std::exit(4);
}

unsigned long Number(const char* option, const char* value, unsigned long most) {
  char* end = nullptr;
  errno = 0;
  const unsigned long number = std::strtoul(value, &end, 10);
  if (*value < '0' || *value > '9' || *end != '\0' || errno != 0 || number > most)
    Usage(std::string(option) + " wants a number from 0 to " + std::to_string(most) + ", not '" + value + "'");
  return number;
}

std::string HexBytes(const char* value) {
  std::string bytes, digits;
  for (const char* p = value; *p != '\0'; ++p) {
    if (*p == ' ' || *p == ':' || *p == ',') continue;
    if (!std::isxdigit(static_cast<unsigned char>(*p))) Usage(std::string("--raw: not hex: '") + value + "'");
    digits += *p;
  }
  if (digits.empty() || digits.size() % 2 != 0) Usage(std::string("--raw: odd or empty hex: '") + value + "'");
  for (std::size_t i = 0; i < digits.size(); i += 2)
    bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
  return bytes;
}

enum Option {
  kData = 1,
  kDelay,
  kNoAnswer,
  kSplit,
  kGap,
  kRaw,
  kLate,
  kPadTo,
  kBatch,
  kLatency,
  kLink,
  kShowHelp,
  kVersion,
  kIgnoreReset,
  kDrip,
};

// clang-format off
const option kLongOptions[] = {
    {"data", required_argument, nullptr, kData},       {"delay", required_argument, nullptr, kDelay},
    {"no-answer", no_argument, nullptr, kNoAnswer},    {"split", required_argument, nullptr, kSplit},
    {"gap", required_argument, nullptr, kGap},         {"raw", required_argument, nullptr, kRaw},
    {"late", required_argument, nullptr, kLate},       {"pad-to", required_argument, nullptr, kPadTo},
    {"batch", required_argument, nullptr, kBatch},     {"latency", required_argument, nullptr, kLatency},
    {"link", required_argument, nullptr, kLink},       {"help", no_argument, nullptr, kShowHelp},
    {"version", no_argument, nullptr, kVersion},       {"ignore-reset", no_argument, nullptr, kIgnoreReset},
    {"drip", required_argument, nullptr, kDrip},       {nullptr, 0, nullptr, 0},
};
// clang-format on

}  // namespace

int main(int argc, char** argv) {
  encoder_sim::EncoderOptions options;
  options.logToStdout = true;
  std::string link;
  bool batchGiven = false;
  opterr = 0;  // the problems are told by Usage, in the program's words
  for (int value; (value = getopt_long(argc, argv, ":h", kLongOptions, nullptr)) != -1;) {
    const std::string option = argv[optind - 1];
    switch (value) {
      case kShowHelp:
      case 'h': std::fputs(kHelp, stdout); return 0;
      case kVersion: std::printf("brimlock-encoder %s\n", BRIMLOCK_VERSION_TEXT); return 0;
      case kData: options.cardData = text::Utf8ToCp936(optarg); break;
      case kDelay: options.answerDelay = encoder_sim::Millis(Number("--delay", optarg, 600000)); break;
      case kNoAnswer: options.noAnswer = true; break;
      case kIgnoreReset: options.ignoreReset = true; break;
      case kDrip: options.drip = encoder_sim::Millis(Number("--drip", optarg, 600000)); break;
      case kSplit: options.splitAfter = Number("--split", optarg, 100000); break;
      case kGap: options.splitGap = encoder_sim::Millis(Number("--gap", optarg, 600000)); break;
      case kRaw: options.rawAnswer = HexBytes(optarg); break;
      case kLate: options.lateAnswer = HexBytes(optarg); break;
      case kPadTo: options.padTo = Number("--pad-to", optarg, 4000); break;
      case kBatch:
        options.delivery.batch = Number("--batch", optarg, 4096);
        batchGiven = true;
        break;
      case kLatency: options.delivery.latency = encoder_sim::Millis(Number("--latency", optarg, 10000)); break;
      case kLink: link = optarg; break;
      case ':': Usage(option + " wants a value");
      default: Usage("unknown option '" + option + "'");
    }
  }
  if (optind < argc) Usage(std::string("no operand is taken, but was given '") + argv[optind] + "'");

  if (!batchGiven && options.delivery.latency > encoder_sim::Millis(0)) options.delivery.batch = 0;
  if (batchGiven && options.delivery.batch == 0 && options.delivery.latency == encoder_sim::Millis(0))
    Usage("--batch 0 (no limit) needs --latency");

  // Blocked before the peer's thread starts, so the signals reach sigwait below only.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  try {
    encoder_sim::VirtualEncoder encoder(options);
    if (!link.empty()) {
      // A link left by an earlier run that was killed is replaced; a real file never is.
      struct stat existing {};
      if (lstat(link.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode)) unlink(link.c_str());
      if (symlink(encoder.slavePath().c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "brimlock-encoder: cannot link %s: %s\n", link.c_str(), std::strerror(errno));
        return 1;
      }
    }
    std::printf("brimlock-encoder: listening on %s\n", encoder.slavePath().c_str());
    if (!link.empty()) std::printf("brimlock-encoder: linked at %s\n", link.c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stop, &signal);
    if (!link.empty()) unlink(link.c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "brimlock-encoder: %s\n", error.what());
    return 1;
  }
  return 0;
}
