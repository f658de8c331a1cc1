#pragma once
// What brimlock-card's exit status tells a script; the manual page and --help list them.
#include <string>

namespace card {

enum ExitStatus : int {
  kDone = 0,
  kDifferent = 1,        // a verification read back other data than was written
  kNoAnswer = 2,         // the encoder did not answer, or no record matched the ticket
  kPortUnavailable = 3,  // the port cannot be opened: missing, in use, no permission
  kBadInput = 4,         // bad usage, or text that cannot go onto a card as given
  kDatabaseError = 5,
  kInterrupted = 130,    // a batch stopped by Ctrl-C, after the card in hand (128 + SIGINT)
};

// Prints "brimlock-card: <message>" on standard error and gives the status back.
int Fail(int status, const std::string& message);

}  // namespace card
