#include "card_operations.h"

#include <cstring>
#include <initializer_list>
#include <utility>

#include "console.h"
#include "encoder/encoder_line.h"
#include "exit_status.h"

namespace card {
namespace {

// How long the line must stay quiet before the read frame for it to count as quiet: longer
// than a port holds bytes back (a USB adapter's 16 ms timer, 3 ms more for a late wake-up).
constexpr DWORD kQuietMs = 30;
// How long a reply is watched for more after its read ended: the read itself ends up to 28 ms
// after a batch of bytes, so a gap is seen when it lasts longer than that and at most this.
constexpr DWORD kWatchMs = 50;

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
    switch (GetLastError()) {
      case ERROR_SHARING_VIOLATION:
        return Failed(outcome, kPortUnavailable,
                      Named() + " is in use by another program (the Brimlock window, or another brimlock-card); "
                                "wait until its operation is done, or close it, and try again");
      case ERROR_ACCESS_DENIED:
        return Failed(outcome, kPortUnavailable,
                      Named() + " refused to open: it is in use, or you may not use it (on Linux, join the group "
                                "that owns the device, usually 'dialout', and log in again)");
      default:
        return Failed(outcome, kPortUnavailable,
                      Named() + " cannot be opened as a serial port: it is not one, or no hardware answers behind "
                                "it; connect the encoder, or name its port with --port (com1, com2 or a device "
                                "path; see --help for what com1 and com2 stand for)");
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

  // Reads until the line has been quiet for `ms`: what came (at most `most` bytes; more
  // than that counts as a line that never goes quiet).
  std::string Quiet(std::size_t most, DWORD ms) {
    COMMTIMEOUTS reply{};
    GetCommTimeouts(hComm_, &reply);
    COMMTIMEOUTS firstByte{MAXDWORD, MAXDWORD, ms, reply.WriteTotalTimeoutMultiplier, reply.WriteTotalTimeoutConstant};
    SetCommTimeouts(hComm_, &firstByte);
    std::string came;
    char buffer[REPLY_BUFFER_SIZE];
    DWORD n = 0;
    while (came.size() <= most && ReadFile(hComm_, buffer, sizeof buffer, &n, nullptr) && n > 0) came.append(buffer, n);
    SetCommTimeouts(hComm_, &reply);
    return came;
  }

  HANDLE handle() const { return hComm_; }
  std::string Named() const { return port_ == device_ || device_.empty() ? port_ : port_ + " (" + device_ + ")"; }

 private:
  static std::string Advice() { return "; check the encoder's cable and power, then try again"; }
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
    return "the reply filled the whole " + std::to_string(REPLY_BUFFER_SIZE) + "-byte read, so the card may hold more";
  if (moreCame) return "more bytes came right after the reply ended at a gap, so it is cut";
  if (reply.size() <= 4) return "the reply holds no data, only its two leading and two trailing bytes";
  if (reply.find('\0') != std::string::npos) return "the reply holds a 00 byte, which would cut the card's data short";
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
  // An answer to an earlier operation still on its way is not this card's.
  session.Quiet(4096, kQuietMs);
  if (!session.Send({FRAME_READ}, outcome)) return outcome;
  const std::optional<std::string> reply = PollEncoderReplyBytes(session.handle());
  if (!reply) {
    Outcome reset;
    session.Send({FRAME_RESET}, reset);
    outcome.status = kNoAnswer;
    outcome.problem = "no card data came from the encoder on " + session.Named() +
                      " within 8 seconds; swipe the card while brimlock-card waits, and check the encoder's "
                      "cable and power";
    return outcome;
  }
  const bool moreCame = reply->size() < static_cast<std::size_t>(REPLY_BUFFER_SIZE) &&
                        !session.Quiet(0, kWatchMs).empty();
  if (const std::optional<std::string> why = NotWhole(*reply, moreCame)) {
    outcome.status = kUnreadable;
    outcome.problem = "the card on " + session.Named() + " could not be read whole: " + *why +
                      "; swipe it again, steadily";
    return outcome;
  }
  shown = reply->substr(2, reply->size() - 4);
  return outcome;
}

}  // namespace card
