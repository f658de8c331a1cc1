// read, write and reset: one card operation each, as one click in the window.
#include <algorithm>

#include "card_operations.h"
#include "card_text.h"
#include "commands.h"
#include "console.h"
#include "exit_status.h"
#include "json.h"

namespace card {
namespace {

// A card's text kept off the command line, where other users could read it: standard input,
// less one line end.
bool TextFromInput(std::string& text, std::string& problem) {
  std::string why;
  if (!ReadAllInput(text, 64 << 10, why)) {
    problem = "cannot read the card's text from standard input: " + why;
    return false;
  }
  if (text.ends_with('\n')) text.pop_back();
  if (text.ends_with('\r')) text.pop_back();
  return true;
}

void Prompt(const std::string& what) {
  if (IsTerminal(Stream::Err)) Write(Stream::Err, what + " (brimlock-card waits up to 8 seconds)\n");
}

// The command's result on standard output; a result that cannot be written is a failure.
int Print(const std::string& text, int status = kDone) {
  std::string why;
  if (!Write(Stream::Out, text, &why))
    return Fail(kOutputFailed, "the result could not be written to standard output: " + why);
  return status;
}

}  // namespace

int RunRead(const Options& options) {
  Prompt("Swipe the card through the encoder on " + options.port + " now.");
  std::string shown;
  const Outcome outcome = ReadCard(options.port, shown);
  if (outcome.status != kDone) return Fail(outcome.status, outcome.problem);
  if (options.json) return Print(JsonLine({{"text", TextOfCard(shown)}, {"hex", HexOfCard(shown)}}));
  // A control byte as plain text would make lines or drive a terminal: such a card is
  // printed exactly, or not at all.
  if (!options.hex && std::any_of(shown.begin(), shown.end(), IsControl))
    return Fail(kBadInput, "the card holds control bytes (" + HexOfCard(shown) +
                               "), which plain text cannot carry; nothing was printed: --hex or --json gives "
                               "them exactly");
  return Print((options.hex ? HexOfCard(shown) : TextOfCard(shown)) + "\n");
}

int RunWrite(const Options& options) {
  std::string problem, given = options.operand;
  if (given == "-" && !TextFromInput(given, problem)) return Fail(kBadInput, problem + "; nothing was written");
  const std::optional<std::string> bytes = options.hex ? CardBytesOfHex(given, problem)
                                                       : CardBytesOfText(given, problem);
  if (!bytes) return Fail(kBadInput, problem + "; nothing was written");
  const std::string text = options.hex ? HexOfCard(*bytes) : given;

  // Under --json the card's object is the one object; the message goes to standard error too.
  auto end = [&](std::optional<bool> written, std::optional<bool> verified, int status, const std::string& message) {
    if (status != kDone) Fail(status, message, false);
    if (!options.json) return status;
    return Print(CardJsonLine(1, text, written, verified, status, message), status);
  };

  const Outcome written = WriteCard(options.port, *bytes);
  if (written.status != kDone) {
    const std::optional<bool> reached = written.sent == Outcome::Sent::Nothing ? std::optional<bool>(false)
                                                                               : std::nullopt;
    const std::string maybe = reached
                                  ? ""
                                  : "; part of the frames left the port, so check the card with 'brimlock-card read'";
    return end(reached, std::nullopt, written.status, written.problem + maybe);
  }
  if (!options.verify) {
    if (!options.json && IsTerminal(Stream::Err))
      Write(Stream::Err, "Written (not checked: --verify reads it back).\n");
    return end(true, std::nullopt, kDone, "");
  }

  Prompt("Written; swipe the card again to check it.");
  std::string shown;
  const Outcome read = VerifyCard(options.port, *bytes, shown);
  if (read.status == kDifferent)
    return end(true, false, kDifferent,
               "the card holds other data than was written: it reads back as \"" +
                   (options.hex ? HexOfCard(shown) : Printable(TextOfCard(shown))) + "\"; write it again");
  if (read.status != kDone)
    return end(true, std::nullopt, read.status, "the card was written but not checked: " + read.problem);
  if (!options.json && IsTerminal(Stream::Err)) Write(Stream::Err, "Written and verified.\n");
  return end(true, true, kDone, "");
}

int RunReset(const Options& options) {
  const Outcome outcome = ResetEncoder(options.port);
  if (outcome.status != kDone) return Fail(outcome.status, outcome.problem);
  if (IsTerminal(Stream::Err)) Write(Stream::Err, "The encoder on " + options.port + " is reset.\n");
  return options.json ? Print(JsonLine({{"reset", true}})) : kDone;
}

}  // namespace card
