#pragma once
// Reset, Read and Write as the window makes them, each one port session from open to
// close, on the encoder core the window's handlers use; and what each came to.
#include <functional>
#include <optional>
#include <string>

namespace card {

struct Outcome {
  int status = 0;       // an ExitStatus
  std::string problem;  // in plain words, when status is not 0
  bool sent = false;    // some of the operation's frames may have reached the encoder
};

// open, FRAME_RESET, close.
Outcome ResetEncoder(const std::string& port);
// open, FRAME_LEAD_IN, FRAME_WRITE with the card's bytes, close. Nothing is read back.
// `beforeFrames` runs once the port is open; when it gives a problem, nothing is sent and
// the outcome carries it with kBadInput.
Outcome WriteCard(const std::string& port, const std::string& bytes,
                  const std::function<std::optional<std::string>()>& beforeFrames = {});
// open, FRAME_LEAD_IN, FRAME_READ, the five-try poll; FRAME_RESET when nothing came; close.
// On success `shown` holds the card's data by the reply rule.
Outcome ReadCard(const std::string& port, std::string& shown);

}  // namespace card
