#pragma once
// What brimlock-card's exit status tells a script, and the word a JSON object gives for it.
// --help prints this table; the manual page lists the same rows.
#include <string>

namespace card {

enum ExitStatus : int {
  kDone = 0,
  kDifferent = 1,        // a verification read back other data than was written
  kNoAnswer = 2,         // the encoder did not answer, or no record matched the ticket
  kPortUnavailable = 3,  // the port cannot be opened or failed while in use
  kBadInput = 4,         // bad usage, or input that cannot go onto a card as given
  kDatabaseError = 5,
  kUnreadable = 6,       // a reply that is not whole: never taken for card data
  kJournalUnusable = 7,  // the journal cannot be kept: held by another run, not a file, disk full
  kOutputFailed = 8,     // standard output cannot be written
  kUnsettled = 9,        // a card that may have been written by a run that stopped
  kHungUp = 129,         // a batch stopped by SIGHUP (its terminal closed), after the card in hand
  kInterrupted = 130,    // a batch stopped by Ctrl-C (128 + SIGINT)
  kTerminated = 143,     // a batch stopped by SIGTERM
};

struct StatusRow {
  int status;
  const char* word;     // the JSON objects' "error"
  const char* meaning;  // for --help and the manual page
};
extern const StatusRow kStatusRows[];
extern const int kStatusRowCount;

// The JSON word for a status ("done" for 0).
const char* StatusWord(int status);

// Under --json a failure is also one object on standard output: {"error", "message", "status"}.
void ReportFailuresAsJson(bool json);
// Prints "brimlock-card: <message>" on standard error (and, under --json and `asJson`, its
// object on standard output) and gives the status back.
int Fail(int status, const std::string& message, bool asJson = true);

}  // namespace card
