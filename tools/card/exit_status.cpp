#include "exit_status.h"

#include "console.h"
#include "json.h"

namespace card {

// clang-format off
const StatusRow kStatusRows[] = {
    {kDone, "done", "done"},
    {kDifferent, "different", "a verification read back other data than was written"},
    {kNoAnswer, "no-answer", "no answer from the encoder, or no record found for the ticket"},
    {kPortUnavailable, "port", "the port cannot be opened (missing, in use, no permission, not a serial port, its lock file not writable) or failed while in use"},
    {kBadInput, "bad-input", "bad usage or input (an unknown option or command, text with a control character, not in code page 936 or too long, an input changed since its journal, a row lookup or a card read cannot print as text)"},
    {kDatabaseError, "database", "a database error"},
    {kUnreadable, "unreadable", "a reply that is not this card's whole answer (sooner than a swipe, cut by a gap, glued to another, filling the whole read, empty, or on a line never quiet): never taken for card data"},
    {kJournalUnusable, "journal", "the journal cannot be kept (held by another batch, not a regular file, not writable, disk full)"},
    {kOutputFailed, "output", "standard output cannot be written"},
    {kUnsettled, "unsettled", "a card may have been written by a batch that stopped on it, before or during its check: read it, then --mark-done or --rewrite its line"},
    {kHungUp, "hangup", "a batch stopped by SIGHUP (its terminal closed), after the card in hand"},
    {kInterrupted, "interrupted", "a batch stopped by Ctrl-C, after the card in hand"},
    {kTerminated, "terminated", "a batch stopped by SIGTERM, after the card in hand"},
};
// clang-format on
const int kStatusRowCount = sizeof kStatusRows / sizeof kStatusRows[0];

namespace {
bool g_json = false;
}  // namespace

const char* StatusWord(int status) {
  for (const StatusRow& row : kStatusRows)
    if (row.status == status) return row.word;
  return "failed";
}

void ReportFailuresAsJson(bool json) { g_json = json; }

int Fail(int status, const std::string& message, bool asJson) {
  Write(Stream::Err, "brimlock-card: " + message + "\n");
  // Standard output may be what failed; then the message above is all there is.
  if (g_json && asJson && status != kOutputFailed)
    Write(Stream::Out, JsonLine({{"error", StatusWord(status)}, {"message", message}, {"status", long{status}}}));
  return status;
}

}  // namespace card
