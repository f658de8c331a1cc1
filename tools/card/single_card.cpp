// read, write and reset: one card operation each, as one click in the window.
#include "card_operations.h"
#include "card_text.h"
#include "commands.h"
#include "console.h"
#include "exit_status.h"
#include "json.h"

namespace card {
namespace {

// Card data is not trusted to be text: on a terminal its control bytes (an escape that
// would drive the terminal) show as '?'. Pipes and files get it as it is.
std::string ForTerminal(std::string text) {
  if (IsTerminal(Stream::Out))
    for (char& c : text)
      if ((c >= 0 && c < 0x20) || c == 0x7F) c = '?';
  return text;
}

void Prompt(const std::string& what) {
  if (IsTerminal(Stream::Err)) Write(Stream::Err, what + " (brimlock-card waits up to 8 seconds)\n");
}

}  // namespace

int RunRead(const Options& options) {
  Prompt("Swipe the card through the encoder on " + options.port + " now.");
  std::string shown;
  const Outcome outcome = ReadCard(options.port, shown);
  if (outcome.status != kDone) return Fail(outcome.status, outcome.problem);
  if (options.json) {
    Write(Stream::Out, JsonLine({{"text", TextOfCard(shown)}, {"hex", HexOfCard(shown)}}));
  } else {
    Write(Stream::Out, (options.hex ? HexOfCard(shown) : ForTerminal(TextOfCard(shown))) + "\n");
  }
  return kDone;
}

int RunWrite(const Options& options) {
  std::string problem;
  const std::optional<std::string> bytes = options.hex ? CardBytesOfHex(options.operand, options.verify, problem)
                                                       : CardBytesOfText(options.operand, options.verify, problem);
  if (!bytes) return Fail(kBadInput, problem + "; nothing was written");
  const std::string text = options.hex ? HexOfCard(*bytes) : options.operand;

  auto report = [&](bool written, std::optional<bool> verified, const std::string& error) {
    if (!options.json) return;
    Write(Stream::Out, JsonLine({{"row", 1L},
                                 {"text", text},
                                 {"written", written},
                                 {"verified", verified ? JsonValue(*verified) : JsonValue(std::nullopt)},
                                 {"error", error.empty() ? JsonValue(std::nullopt) : JsonValue(error)}}));
  };

  const Outcome written = WriteCard(options.port, *bytes);
  if (written.status != kDone) {
    report(false, std::nullopt, written.problem);
    return Fail(written.status, written.problem);
  }
  if (!options.verify) {
    report(true, std::nullopt, "");
    if (!options.json && IsTerminal(Stream::Err)) Write(Stream::Err, "Written (not checked: --verify reads it back).\n");
    return kDone;
  }

  Prompt("Written. Swipe the card again to check it.");
  std::string shown;
  const Outcome read = ReadCard(options.port, shown);
  if (read.status != kDone) {
    const std::string problem = "the card was written but not checked: " + read.problem;
    report(true, false, problem);
    return Fail(read.status, problem);
  }
  if (shown != *bytes) {
    const std::string problem = "the card holds other data than was written: it reads back as \"" +
                                (options.hex ? HexOfCard(shown) : TextOfCard(shown)) + "\"; write it again";
    report(true, false, problem);
    return Fail(kDifferent, problem);
  }
  report(true, true, "");
  if (!options.json && IsTerminal(Stream::Err)) Write(Stream::Err, "Written and verified.\n");
  return kDone;
}

int RunReset(const Options& options) {
  const Outcome outcome = ResetEncoder(options.port);
  if (outcome.status != kDone) return Fail(outcome.status, outcome.problem);
  if (IsTerminal(Stream::Err)) Write(Stream::Err, "The encoder on " + options.port + " is reset.\n");
  return kDone;
}

}  // namespace card
