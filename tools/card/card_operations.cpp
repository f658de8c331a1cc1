#include "card_operations.h"

#include <chrono>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "console.h"
#include "encoder/encoder_line.h"
#include "exit_status.h"

namespace card {
namespace {

using Clock = std::chrono::steady_clock;

// How long the line must stay quiet before the read frame for it to count as quiet: longer
// than a port holds bytes back (a USB adapter's 16 ms timer, 3 ms more for a late wake-up).
constexpr DWORD kQuietMs = 30;
// A line not quiet by then is one that keeps sending: no reply could be told from it.
constexpr DWORD kNeverQuietMs = 1000;
// The reply's wait, as long as the window's five tries of 808 ms and 800 ms pauses.
constexpr DWORD kReplyWaitMs = 8000;
// An answer that begins sooner than this after the read frame left cannot be a card swiped
// at the prompt: it was on its way before (an earlier read's late answer).
constexpr DWORD kSoonestSwipeMs = 800;
// How long a reply is watched for more after its read ended: a reply whose rest comes
// after a gap shorter than this is seen to be cut.
constexpr DWORD kWatchMs = 600;

DWORD MsSince(Clock::time_point start) {
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// One operation's port: the name given, the device it stands for, the open handle.
class Session {
 public:
  explicit Session(std::string port) : port_(std::move(port)) {}
  ~Session() {
    if (hComm_ != INVALID_HANDLE_VALUE) CloseHandle(hComm_);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Opens and sets up the port as the window's OpenPort does; the problem says what to do.
  bool Open(Outcome& outcome) {
    std::string why;
    if (!CheckPort(port_, device_, why)) return Failed(outcome, kPortUnavailable, why);
    hComm_ = OpenEncoderPort(port_.c_str());
    if (hComm_ != INVALID_HANDLE_VALUE) {
      ConfigureEncoderPort(hComm_);
      return true;
    }
    const DWORD error = GetLastError();
    // What the system shows against the device: the group, the process holding it.
    std::string seen = WhyNotOpen(device_);
    if (seen.empty() && error == ERROR_SHARING_VIOLATION) seen = OpenedBy(device_);
    const std::string because = seen.empty() ? "" : ": " + seen;
    switch (error) {
      case ERROR_SHARING_VIOLATION:
        return Failed(outcome, kPortUnavailable,
                      Named() + " is in use by another program" +
                          (seen.empty() ? " (the Brimlock window, or another brimlock-card)" : because) +
                          "; wait until it is done with the port, or close it, and try again");
      case ERROR_WRITE_FAULT:
        return Failed(outcome, kPortUnavailable,
                      Named() + " was not opened: its lock file, which keeps other programs off it, could not "
                                "be written (is the disk holding /var/lock full?); nothing was sent");
      case ERROR_ACCESS_DENIED:
        return Failed(outcome, kPortUnavailable,
                      Named() + " refused to open" +
                          (seen.empty() ? ": it is in use, or you may not use it (on Linux, join the group that owns "
                                          "the device, usually 'dialout', and log in again)"
                                        : because));
      default:
        return Failed(outcome, kPortUnavailable,
                      Named() + " cannot be opened as a serial port" +
                          (seen.empty() ? ": it is not one, or no hardware answers behind it" : because) +
                          "; connect the encoder, or name its port with --port (com1, com2 or a device path; "
                          "'brimlock-card ports' lists them)");
    }
  }

  // Frames one after the other, then until they have left the port; any failure on the way
  // is the port's, and the outcome tells how much went out.
  bool Send(std::initializer_list<const char*> frames, Outcome& outcome) {
    std::size_t bytes = 0;
    for (const char* frame : frames) {
      DWORD taken = 0;
      const bool done = SendEncoderFrame(hComm_, frame, &taken);
      if (taken > 0) outcome.sent = Outcome::Sent::Part;
      if (!done) return Failed(outcome, kPortUnavailable, "the frames could not be sent to " + Named() + Advice());
      bytes += std::strlen(frame);
    }
    if (!FlushFileBuffers(hComm_))
      return Failed(outcome, kPortUnavailable, "the frames did not leave " + Named() + Advice());
    LetFramesLeave(bytes);
    outcome.sent = Outcome::Sent::All;
    return true;
  }

  // Reads what comes until the line has been quiet for `quietMs`, or at most `mostMs`
  // (0: one wait only): true when it went quiet; `came` counts what came meanwhile.
  bool Quiet(DWORD quietMs, DWORD mostMs, std::size_t& came) {
    const Clock::time_point start = Clock::now();
    char buffer[REPLY_BUFFER_SIZE];
    DWORD n = 1;
    for (came = 0; n > 0 && (came == 0 || MsSince(start) < mostMs); came += n)
      n = ReadWithin(quietMs, buffer, sizeof buffer);
    return n == 0;
  }

  // The reply to the read frame: its first byte within `ms`, then the rest by the window's
  // reply rule (a read of 100 bytes that a gap ends); `waited` is how long the first took.
  std::string Reply(DWORD ms, DWORD& waited) {
    const Clock::time_point start = Clock::now();
    char buffer[REPLY_BUFFER_SIZE];
    const bool first = ReadWithin(ms, buffer, 1) == 1;
    waited = MsSince(start);
    if (!first) return {};
    DWORD more = 0;
    ReadFile(hComm_, buffer + 1, REPLY_BUFFER_SIZE - 1, &more, nullptr);
    return std::string(buffer, 1 + more);
  }

  std::string Named() const { return port_ == device_ || device_.empty() ? port_ : port_ + " (" + device_ + ")"; }

 private:
  static std::string Advice() { return "; check the encoder's cable and power, then try again"; }
  // One read that waits at most `ms` for a first byte and ends as soon as bytes came; the
  // reply's timeouts are set again after it.
  DWORD ReadWithin(DWORD ms, char* buffer, DWORD size) {
    COMMTIMEOUTS reply{};
    GetCommTimeouts(hComm_, &reply);
    COMMTIMEOUTS firstByte{MAXDWORD, MAXDWORD, ms, reply.WriteTotalTimeoutMultiplier, reply.WriteTotalTimeoutConstant};
    SetCommTimeouts(hComm_, &firstByte);
    DWORD n = 0;
    if (!ReadFile(hComm_, buffer, size, &n, nullptr)) n = 0;
    SetCommTimeouts(hComm_, &reply);
    return n;
  }
  static bool Failed(Outcome& outcome, int status, std::string problem) {
    outcome.status = status;
    outcome.problem = std::move(problem);
    return false;
  }

  std::string port_;
  std::string device_;
  HANDLE hComm_ = INVALID_HANDLE_VALUE;
};

// Why a reply cannot be the whole card, or nothing when it can.
std::optional<std::string> NotWhole(const std::string& reply, bool moreCame) {
  if (reply.size() >= static_cast<std::size_t>(REPLY_BUFFER_SIZE))
    return moreCame ? "the line kept sending past the whole " + std::to_string(REPLY_BUFFER_SIZE) +
                          "-byte read, so it is no card's reply"
                    : "the reply filled the whole " + std::to_string(REPLY_BUFFER_SIZE) +
                          "-byte read, so the card may hold more";
  if (moreCame) return "more bytes came right after the reply ended at a gap, so it is cut";
  if (reply.size() <= 4) return "the reply holds no data, only its two leading and two trailing bytes";
  if (reply.find('\0') != std::string::npos) return "the reply holds a 00 byte, which would cut the card's data short";
  // No card's text holds the bytes that open an answer: two answers came glued together.
  if (reply.find(reply.substr(0, 2), 2) != std::string::npos)
    return "the reply holds the opening of a second answer: an earlier read's answer came glued to it";
  return std::nullopt;
}

}  // namespace

Outcome ResetEncoder(const std::string& port) {
  Outcome outcome;
  Session session(port);
  if (session.Open(outcome)) session.Send({FRAME_RESET}, outcome);
  return outcome;
}

Outcome WriteCard(const std::string& port, const std::string& bytes, const Step& beforeFrames,
                  const Step& afterFrames) {
  Outcome outcome;
  Session session(port);
  if (!session.Open(outcome)) return outcome;
  if (beforeFrames) {
    if (std::optional<std::string> problem = beforeFrames())
      return {kJournalUnusable, *problem, Outcome::Sent::Nothing};
  }
  const std::string write = FRAME_WRITE(CString(bytes));
  if (!session.Send({FRAME_LEAD_IN, write.c_str()}, outcome)) return outcome;
  if (afterFrames) {
    if (std::optional<std::string> problem = afterFrames()) return {kJournalUnusable, *problem, Outcome::Sent::All};
  }
  return outcome;
}

Outcome ReadCard(const std::string& port, std::string& shown) {
  Outcome outcome;
  Session session(port);
  if (!session.Open(outcome) || !session.Send({FRAME_LEAD_IN}, outcome)) return outcome;
  auto unreadable = [&](const std::string& why) {
    outcome.status = kUnreadable;
    outcome.problem = "the card on " + session.Named() + " could not be read: " + why;
    return outcome;
  };
  // An answer to an earlier operation still on its way is not this card's.
  std::size_t came = 0;
  if (!session.Quiet(kQuietMs, kNeverQuietMs, came))
    return unreadable("the line never went quiet (the encoder kept sending, " + std::to_string(came) + " bytes in " +
                      std::to_string(kNeverQuietMs / 1000) +
                      " s, before a card was asked for); reset the encoder or check its cable and settings");
  if (!session.Send({FRAME_READ}, outcome)) return outcome;
  DWORD waited = 0;
  const std::string reply = session.Reply(kReplyWaitMs, waited);
  if (reply.empty()) {
    Outcome reset;
    session.Send({FRAME_RESET}, reset);
    outcome.status = kNoAnswer;
    outcome.problem = "no card data came from the encoder on " + session.Named() +
                      " within 8 seconds; swipe the card while brimlock-card waits, and check the encoder's "
                      "cable and power";
    return outcome;
  }
  const bool moreCame = !session.Quiet(kWatchMs, 0, came);
  if (waited < kSoonestSwipeMs)
    return unreadable("an answer came " + std::to_string(waited) +
                      " ms after the card was asked for, sooner than a card is swiped, so it may be an earlier "
                      "read's late answer and is not taken; swipe the card again after the prompt");
  if (const std::optional<std::string> why = NotWhole(reply, moreCame))
    return unreadable(*why + "; swipe it again, steadily");
  shown = reply.substr(2, reply.size() - 4);
  return outcome;
}

Outcome VerifyCard(const std::string& port, const std::string& expected, std::string& shown) {
  Outcome outcome = ReadCard(port, shown);
  if (outcome.status != kDone || shown == expected) return outcome;
  // Less of the card than was written, and the same as far as it goes: a reply cut short.
  outcome.status = expected.starts_with(shown) ? kUnreadable : kDifferent;
  if (outcome.status == kUnreadable)
    outcome.problem = "the card on " + port + " could not be read whole: the reply is " + std::to_string(shown.size()) +
                      " of the " + std::to_string(expected.size()) +
                      " bytes written and agrees with them, so it was cut; swipe it again, steadily";
  return outcome;
}

}  // namespace card
