#pragma once
// Reset, Read and Write as the window makes them, each one port session from open to
// close, on the encoder core the window's handlers use; and what each came to. On top of
// the window's rules: the port must be a serial port, frames count as sent once they have
// left it, and a reply that is not whole is no card data.
#include <functional>
#include <optional>
#include <string>

namespace card {

struct Outcome {
  enum class Sent { Nothing, Part, All };
  int status = 0;             // an ExitStatus
  std::string problem;        // in plain words, when status is not 0
  Sent sent = Sent::Nothing;  // how much of the operation's frames left the port
};

// A step of the caller's at a point of an operation: a problem it gives ends the operation.
using Step = std::function<std::optional<std::string>()>;

// open, FRAME_RESET, close.
Outcome ResetEncoder(const std::string& port);
// open, FRAME_LEAD_IN, FRAME_WRITE with the card's bytes, close. Nothing is read back.
// `beforeFrames` runs once the port is open, `afterFrames` once the frames have left it;
// a problem from either ends the write with kJournalUnusable.
Outcome WriteCard(const std::string& port, const std::string& bytes, const Step& beforeFrames = {},
                  const Step& afterFrames = {});
// open, FRAME_LEAD_IN, FRAME_READ, up to 8 s for the reply; FRAME_RESET when nothing came;
// close. On success `shown` holds the card's data by the reply rule. A reply is no card's
// data (kUnreadable) when the line was not quiet before the read frame, when it began
// sooner than a card can be swiped after it, or when it cannot be whole.
Outcome ReadCard(const std::string& port, std::string& shown);
// ReadCard, then the card's data against `expected`: kDifferent when it differs, and
// kUnreadable when it is a cut of it (shorter, and the same as far as it goes). `shown`
// holds what was read.
Outcome VerifyCard(const std::string& port, const std::string& expected, std::string& shown);

}  // namespace card
