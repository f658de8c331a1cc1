// batch: one card per line, each journaled before its frames go out, so that a run that
// stops goes on after the last card done and never writes one twice.
#include <algorithm>
#include <csignal>
#include <vector>

#include "card_operations.h"
#include "card_text.h"
#include "commands.h"
#include "console.h"
#include "exit_status.h"
#include "journal.h"
#include "json.h"

namespace card {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

// The first Ctrl-C lets the card in hand finish; a second one ends the program at once,
// which the journal allows: the card in hand is already marked done.
extern "C" void OnInterrupt(int) {
  g_interrupted = 1;
  std::signal(SIGINT, SIG_DFL);
}

struct Card {
  long line;          // 1-based, in the input
  std::string given;  // as the input has it (UTF-8)
  std::string bytes;  // code page 936, for the card
};

// Lines end at LF or CR LF; a byte order mark at the start is no text.
std::vector<std::string> Lines(std::string input) {
  if (input.starts_with("\xEF\xBB\xBF")) input.erase(0, 3);
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < input.size()) {
    std::size_t end = input.find('\n', at);
    if (end == std::string::npos) end = input.size();
    std::string line = input.substr(at, end - at);
    if (line.ends_with('\r')) line.pop_back();
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

struct Tally {
  long written = 0, verified = 0, failed = 0, earlier = 0;
};

std::string Summary(const std::string& source, const Tally& tally) {
  std::string text = "batch " + source + ": " + std::to_string(tally.written) + " written, " +
                     std::to_string(tally.verified) + " verified, " + std::to_string(tally.failed) + " failed";
  if (tally.earlier > 0) text += " (and " + std::to_string(tally.earlier) + " done by an earlier run)";
  return text;
}

}  // namespace

int RunBatch(const Options& options) {
  const bool fromInput = options.operand == "-";
  const std::string source = fromInput ? "standard input" : options.operand;
  if (fromInput && !options.journal)
    return Fail(kBadInput, "a batch from standard input needs --journal FILE, so that a stopped run can go on "
                           "where it stopped");

  std::string input;
  if (fromInput) {
    input = ReadAllInput();
  } else {
    if (!ReadWholeFile(options.operand, input))
      return Fail(kBadInput, "cannot read " + options.operand + "; check its name");
  }

  // Every line is checked before the first card is written: bad input loses no card.
  const std::vector<std::string> lines = Lines(std::move(input));
  std::vector<Card> cards;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    std::string problem;
    std::optional<std::string> bytes = CardBytesOfText(lines[i], options.verify, problem);
    if (!bytes)
      return Fail(kBadInput, "line " + std::to_string(i + 1) + " of " + source + ": " + problem +
                                 "; no card was written");
    cards.push_back({static_cast<long>(i + 1), lines[i], std::move(*bytes)});
  }
  if (cards.empty()) return Fail(kBadInput, source + " holds no card text, so there is nothing to write");

  const std::string journalPath = options.journal.value_or(options.operand + ".journal");
  Journal journal;
  std::string problem;
  if (!journal.Open(journalPath, problem)) return Fail(kBadInput, problem);

  Tally tally;
  for (const auto& [line, hash] : journal.done()) {
    // The cards are in line order; a hash cut short by a crash is not compared.
    const auto card = std::lower_bound(cards.begin(), cards.end(), line,
                                       [](const Card& c, long wanted) { return c.line < wanted; });
    if (card == cards.end() || card->line != line || (hash.size() == 16 && CardHash(card->bytes) != hash))
      return Fail(kBadInput, "line " + std::to_string(line) + " of " + source +
                                 " is not the text the journal " + journalPath +
                                 " has as written there: the input changed since. No card was written; "
                                 "restore the input, or start afresh with another --journal");
    ++tally.earlier;
  }
  if (tally.earlier == static_cast<long>(cards.size())) {
    Write(Stream::Err, "brimlock-card: every card of " + source + " is done already, by the journal " +
                           journalPath + "; nothing to write\n");
    return kDone;
  }

  const bool terminal = IsTerminal(Stream::Err);
  int status = kDone;
  long finished = 0;
  bool stopped = false;
  std::string stoppedAt;  // the card a failed port or journal stopped the batch before
  std::signal(SIGINT, OnInterrupt);
  for (std::size_t k = 0; k < cards.size(); ++k) {
    const Card& card = cards[k];
    if (journal.HashOf(card.line)) continue;
    if (g_interrupted) {
      stopped = true;
      break;
    }
    const std::string position = "card " + std::to_string(k + 1) + " of " + std::to_string(cards.size());
    if (terminal) Write(Stream::Err, position + ": " + card.given + "\n");

    const Outcome written = WriteCard(options.port, card.bytes, [&]() -> std::optional<std::string> {
      std::string why;
      if (journal.Begin(card.line, CardHash(card.bytes), why)) return std::nullopt;
      return why;
    });
    if (!written.sent) {
      // Nothing went out: the port or the journal failed, and every card after would too.
      if (options.json) {
        Write(Stream::Out, JsonLine({{"row", card.line}, {"text", card.given}, {"written", false},
                                     {"verified", std::nullopt}, {"error", written.problem}}));
      }
      status = Fail(written.status, position + " (line " + std::to_string(card.line) + "): " + written.problem);
      stoppedAt = position;
      break;
    }

    std::string result = "written";
    std::string error;
    std::optional<bool> verified;
    int cardStatus = written.status;
    if (cardStatus != kDone) {
      result = "failed";
      error = written.problem;
    } else if (options.verify) {
      if (terminal) Write(Stream::Err, "  written; swipe the card again to check it (up to 8 seconds)\n");
      std::string shown;
      const Outcome read = ReadCard(options.port, shown);
      verified = read.status == kDone && shown == card.bytes;
      if (read.status != kDone) {
        result = "unanswered";
        error = "written but not checked: " + read.problem;
        cardStatus = read.status;
      } else if (!*verified) {
        result = "different";
        error = "written, but it reads back as \"" + TextOfCard(shown) + "\"";
        cardStatus = kDifferent;
      } else {
        result = "verified";
      }
    }
    if (written.status == kDone) ++tally.written;
    if (verified.value_or(false)) ++tally.verified;
    if (cardStatus != kDone) {
      ++tally.failed;
      if (status == kDone) status = cardStatus;
    }
    ++finished;

    std::string why;
    const bool journaled = journal.Finish(result, why);
    if (options.json) {
      Write(Stream::Out, JsonLine({{"row", card.line},
                                   {"text", card.given},
                                   {"written", written.status == kDone},
                                   {"verified", verified ? JsonValue(*verified) : JsonValue(std::nullopt)},
                                   {"error", error.empty() ? JsonValue(std::nullopt) : JsonValue(error)}}));
    }
    if (!error.empty()) {
      Write(Stream::Err, "brimlock-card: " + position + " (line " + std::to_string(card.line) + "): " + error + "\n");
    } else if (terminal) {
      Write(Stream::Err, "  " + result + "; " + std::to_string(tally.written + tally.earlier) + " of " +
                             std::to_string(cards.size()) + " done, " + std::to_string(tally.failed) + " failed\n");
    }
    if (!journaled) {
      status = Fail(kBadInput, why + "; stopped");
      break;
    }
  }
  std::signal(SIGINT, SIG_DFL);

  std::string summary = Summary(source, tally);
  if (stopped) {
    const long left = static_cast<long>(cards.size()) - tally.earlier - finished;
    summary += "; stopped by Ctrl-C with " + std::to_string(left) + " left: run the same command again to go on";
    status = kInterrupted;
  } else if (!stoppedAt.empty()) {
    summary += "; stopped before " + stoppedAt + ": run the same command again to go on";
  }
  Write(Stream::Err, "brimlock-card: " + summary + "\n");
  return status;
}

}  // namespace card
