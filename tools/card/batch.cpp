// batch: one card per line, each step of each card journaled before the next, so that a
// run that stops goes on after the last card done, never writes one twice, and names a
// card it cannot know to be written.
#include <algorithm>
#include <utility>
#include <vector>

#include "card_operations.h"
#include "card_text.h"
#include "commands.h"
#include "console.h"
#include "exit_status.h"
#include "journal.h"
#include "json.h"
#include "pace.h"

namespace card {
namespace {

// Far more than any batch of cards, and a bound on what /dev/zero given as input costs.
constexpr std::size_t kInputLimit = std::size_t{16} << 20;
constexpr std::string_view kJournalMark = "brimlock-card journal ";

struct Card {
  long line;                     // 1-based, in the input
  std::string given;             // as the input has it (UTF-8)
  std::string bytes;             // code page 936, for the card
  mutable std::string digest{};  // the journal's, computed when first needed (it is slow)
};

// Lines end at LF or CR LF; a byte order mark at the start is no text.
std::vector<std::string> Lines(std::string input) {
  if (input.starts_with("\xEF\xBB\xBF")) input.erase(0, 3);
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < input.size();) {
    std::size_t end = input.find('\n', at);
    if (end == std::string::npos) end = input.size();
    std::string line = input.substr(at, end - at);
    if (line.ends_with('\r')) line.pop_back();
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

// An argument as a POSIX shell reads it back.
std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
                                                      "-_./:=,+@%") == std::string::npos)
    return argument;
  std::string quoted = "'";
  for (const char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

const char* SignalName(int status) {
  return status == kInterrupted ? "Ctrl-C" : status == kTerminated ? "SIGTERM" : "SIGHUP";
}

class Batch {
 public:
  explicit Batch(const Options& options)
      : options_(options),
        source_(options.operand == "-" ? "standard input" : options.operand),
        journalPath_(options.journal.value_or(options.operand + ".journal")) {}

  int Run() {
    if (int status = ReadCards(); status != kDone) return status;
    if (int status = OpenJournal(); status != kDone) return status;
    if (int status = Settle(); status != kDone) return status;
    ReportEarlierCards();
    if (done_ == static_cast<long>(cards_.size())) {
      Write(Stream::Err, "brimlock-card: every card of " + source_ + " is done already, by the journal " +
                             journalPath_ + "; nothing to write\n");
      return EmitSummary(kDone);
    }
    const long toWrite = std::count_if(cards_.begin(), cards_.end(), [&](const Card& c) { return ToWrite(c); });
    if (!options_.verify && toWrite > 1)
      if (std::optional<std::string> why = WhyUnpaced(options_.pace))
        return Fail(kBadInput, *why + "; no card was written");
    WriteCards();
    return Finish();
  }

 private:
  // The cards to write, in order, until the port, the journal or a signal stops the run.
  // Without a check the operator paces them: the encoder takes a card only once the last
  // was swiped.
  void WriteCards() {
    CatchStopSignals();
    bool first = true;
    for (std::size_t k = 0; k < cards_.size() && stop_ == kDone; ++k) {
      if (!ToWrite(cards_[k])) continue;
      if (!std::exchange(first, false) && !options_.verify && !AwaitOperator(Position(k), options_.pace)) {
        stop_ = StopRequested() != 0 ? StopRequested() : kHungUp;  // no signal: the terminal went away
        return;
      }
      WriteOne(k);
      if (stop_ == kDone && StopRequested() != 0) stop_ = StopRequested();
    }
  }

  // Every line is checked before the journal is touched or a card written: bad input loses
  // no card.
  int ReadCards() {
    std::string input, why;
    if (options_.operand == "-" && !options_.journal)
      return Fail(kBadInput, "a batch from standard input needs --journal FILE, so that a stopped run can go on "
                             "where it stopped");
    const bool read = options_.operand == "-" ? ReadAllInput(input, kInputLimit, why)
                                              : ReadWholeFile(options_.operand, input, kInputLimit, why);
    if (!read) return Fail(kBadInput, "cannot read " + source_ + ": " + why);
    if (input.starts_with(kJournalMark))
      return Fail(kBadInput, source_ + " is a brimlock-card journal, not a list of cards; give the batch's own input");
    const std::vector<std::string> lines = Lines(std::move(input));
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].empty()) continue;
      std::string problem;
      std::optional<std::string> bytes = CardBytesOfText(lines[i], problem);
      if (!bytes)
        return Fail(kBadInput,
                    "line " + std::to_string(i + 1) + " of " + source_ + ": " + problem + "; no card was written");
      cards_.push_back({static_cast<long>(i + 1), lines[i], std::move(*bytes)});
    }
    if (cards_.empty()) return Fail(kBadInput, source_ + " holds no card text, so there is nothing to write");
    return kDone;
  }

  // Holds the journal for the run, and checks that what it records is this input's.
  int OpenJournal() {
    std::string problem;
    switch (journal_.Open(journalPath_, problem)) {
      case Journal::Opened::Ok: break;
      case Journal::Opened::NotAJournal: return Fail(kBadInput, problem);
      default: return Fail(kJournalUnusable, problem);
    }
    for (const auto& [line, entry] : journal_.entries()) {
      const Card* card = Find(line);
      if (card != nullptr && !DigestOf(*card, problem)) return Fail(kJournalUnusable, problem);
      if (card == nullptr || card->digest != entry.hash)
        return Fail(kBadInput, "line " + std::to_string(line) + " of " + source_ + " is not the text the journal " +
                                   journalPath_ +
                                   " has for it: the input changed since. No card was written; "
                                   "restore the input, or start afresh with another --journal");
      if (StateOfStep(entry.step) == CardState::Done) ++done_;
    }
    return kDone;
  }

  // The operator's word on cards named by an earlier run, journaled before any card.
  int Settle() {
    for (const bool markDone : {true, false}) {
      for (const long line : markDone ? options_.markDone : options_.rewrite) {
        const Card* card = Find(line);
        const CardState state = card != nullptr ? State(*card) : CardState::ToWrite;
        if (state != CardState::Unsettled && state != CardState::Failed)
          return Fail(kBadInput, (markDone ? "--mark-done " : "--rewrite ") + std::to_string(line) + ": the journal " +
                                     journalPath_ + " names no card of line " + std::to_string(line) +
                                     " as maybe written or failed; nothing was written");
        if (std::optional<std::string> problem = Record(*card, markDone ? "marked-done" : "rewrite"))
          return Fail(kJournalUnusable, *problem);
        if (markDone) ++done_;
      }
    }
    return kDone;
  }

  // Under --json every card an earlier run left unsettled or failed is an object too.
  void ReportEarlierCards() {
    for (const Card& card : cards_) {
      const CardState state = State(card);
      if (state == CardState::Unsettled || (state == CardState::Failed && !options_.redoFailed))
        Emit(card, state == CardState::Unsettled ? std::nullopt : std::optional<bool>(true), std::nullopt,
             StatusOf(card), Explained(card));
    }
  }

  void WriteOne(std::size_t k) {
    const Card& card = cards_[k];
    const std::string position = Position(k);
    if (IsTerminal(Stream::Err)) Write(Stream::Err, position + ": " + card.given + "\n");
    const Outcome written = WriteCard(
        options_.port, card.bytes, [&] { return Record(card, "begun"); },
        [&] { return Record(card, options_.verify ? "sent" : "written"); });
    if (written.status != kDone) return Stopped(card, position, written);
    ++tally_.written;
    // Without a check, the step journaled once the frames left is the card's last.
    if (!options_.verify) return Finished(card, position, true, std::nullopt, kDone, "", "");

    if (IsTerminal(Stream::Err))
      Write(Stream::Err, "  written; swipe the card again to check it (brimlock-card waits up to 8 seconds)\n");
    std::string shown;
    const Outcome read = VerifyCard(options_.port, card.bytes, shown);
    if (read.status == kDone) {
      ++tally_.verified;
      return Finished(card, position, true, true, kDone, "", "verified");
    }
    ++tally_.failed;
    if (read.status == kPortUnavailable) stop_ = kPortUnavailable;
    if (read.status == kDifferent)
      return Finished(card, position, true, false, kDifferent,
                      "written, but it reads back as \"" + Printable(TextOfCard(shown)) + "\"", "different");
    return Finished(card, position, true, std::nullopt, read.status, "written but not checked: " + read.problem,
                    read.status == kUnreadable ? "unreadable" : "unanswered");
  }

  // A write that did not end: nothing went out (the card is to be written by the next run),
  // or some may have (the card is named). The port or the journal failed; every card after
  // would fail too.
  void Stopped(const Card& card, const std::string& position, const Outcome& written) {
    stop_ = written.status;
    if (written.sent == Outcome::Sent::Nothing) {
      if (journal_.entries().contains(card.line) && journal_.entries().at(card.line).step == "begun")
        Record(card, "unsent");
      Emit(card, false, std::nullopt, written.status, written.problem);
      Fail(written.status, position + ": " + written.problem, false);
      return;
    }
    Emit(card, std::nullopt, std::nullopt, kUnsettled, written.problem + "; " + Explained(card));
    Fail(written.status, position + ": " + written.problem, false);
  }

  // The card's outcome, and its last step journaled (none: journaled already).
  void Finished(const Card& card, const std::string& position, bool written, std::optional<bool> verified, int status,
                const std::string& problem, std::string_view step) {
    if (std::optional<std::string> why = step.empty() ? std::nullopt : Record(card, step)) {
      stop_ = kJournalUnusable;
      Fail(kJournalUnusable, *why + "; stopped", false);
    }
    Emit(card, written, verified, status, problem);
    if (!problem.empty()) {
      Write(Stream::Err, "brimlock-card: " + position + ": " + problem + "\n");
    } else if (IsTerminal(Stream::Err)) {
      Write(Stream::Err, "  " + std::string(step.empty() ? "written" : step) + "; " +
                             std::to_string(tally_.written + done_) + " of " + std::to_string(cards_.size()) +
                             " done, " + std::to_string(tally_.failed) + " failed\n");
    }
  }

  int Finish() {
    std::string summary = "batch " + source_ + ": " + std::to_string(tally_.written) + " written, " +
                          std::to_string(tally_.verified) + " verified, " + std::to_string(tally_.failed) + " failed";
    if (done_ > 0) summary += " (and " + std::to_string(done_) + " done by an earlier run)";
    int status = stop_;
    if (stop_ == kInterrupted || stop_ == kTerminated || stop_ == kHungUp) {
      summary += "; stopped by " + std::string(SignalName(stop_)) + ": run the same command again to go on";
    } else if (stop_ != kDone) {
      summary += "; stopped: once that is mended, run the same command again to go on";
    }
    std::vector<long> failed;
    for (const Card& card : cards_) {
      const CardState state = State(card);
      if (state == CardState::Unsettled) summary += "\n  line " + std::to_string(card.line) + ": " + Explained(card);
      if (state == CardState::Failed) failed.push_back(card.line);
      if (status == kDone && (state == CardState::Unsettled || state == CardState::Failed)) status = StatusOf(card);
    }
    if (!failed.empty()) {
      std::string lines;
      for (const long line : failed) lines.append(" ").append(std::to_string(line));
      summary.append("\n  ").append(failed.size() == 1 ? "1 card was" : std::to_string(failed.size()) + " cards were");
      summary.append(" written but not verified (line").append(failed.size() == 1 ? "" : "s").append(lines);
      summary.append("); to write ").append(failed.size() == 1 ? "it" : "them").append(" again: ");
      summary.append(Command("--redo-failed"));
    }
    Write(Stream::Err, "brimlock-card: " + summary + "\n");
    return EmitSummary(status);
  }

  // Under --json the run's last object: {batch, cards, written, verified, failed,
  // done_earlier, not_done (the lines), error, status}, a rerun with nothing to do included.
  int EmitSummary(int status) {
    if (!options_.json) return status;
    Json notDone = Json::array();
    for (const Card& card : cards_)
      if (const CardState state = State(card); state == CardState::Unsettled || state == CardState::Failed)
        notDone.push_back(card.line);
    std::string why;
    const bool written = Write(Stream::Out,
                               JsonLine({{"batch", source_},
                                         {"cards", cards_.size()},
                                         {"written", tally_.written},
                                         {"verified", tally_.verified},
                                         {"failed", tally_.failed},
                                         {"done_earlier", done_},
                                         {"not_done", notDone},
                                         {"error", status == kDone ? Json(nullptr) : Json(StatusWord(status))},
                                         {"status", status}}),
                               &why);
    return written || status != kDone ? status : Fail(kOutputFailed, "the summary could not be written: " + why, false);
  }

  // The steps' journal entries, as WriteCard's steps want them.
  std::optional<std::string> Record(const Card& card, std::string_view step) {
    std::string problem;
    if (DigestOf(card, problem) && journal_.Record(card.line, card.digest, step, problem)) return std::nullopt;
    return problem;
  }

  bool DigestOf(const Card& card, std::string& problem) const {
    if (card.digest.empty()) card.digest = journal_.Digest(card.line, card.bytes, problem).value_or("");
    return !card.digest.empty();
  }

  void Emit(const Card& card, std::optional<bool> written, std::optional<bool> verified, int status,
            const std::string& message) {
    if (!options_.json) return;
    std::string why;
    if (!Write(Stream::Out, CardJsonLine(card.line, card.given, written, verified, status, message), &why) &&
        stop_ == kDone) {
      stop_ = kOutputFailed;
      Fail(kOutputFailed, "the results could not be written to standard output (" + why + "); stopped", false);
    }
  }

  std::string Position(std::size_t k) const {
    return "card " + std::to_string(k + 1) + " of " + std::to_string(cards_.size()) + " (line " +
           std::to_string(cards_[k].line) + ")";
  }

  // The cards are in line order.
  const Card* Find(long line) const {
    const auto card = std::lower_bound(cards_.begin(), cards_.end(), line,
                                       [](const Card& c, long wanted) { return c.line < wanted; });
    return card != cards_.end() && card->line == line ? &*card : nullptr;
  }

  CardState State(const Card& card) const {
    const auto found = journal_.entries().find(card.line);
    return found == journal_.entries().end() ? CardState::ToWrite : StateOfStep(found->second.step);
  }

  bool ToWrite(const Card& card) const {
    const CardState state = State(card);
    return state == CardState::ToWrite || (state == CardState::Failed && options_.redoFailed);
  }

  const StepRow& Row(const Card& card) const { return RowOfStep(journal_.entries().at(card.line).step); }
  int StatusOf(const Card& card) const { return Row(card).status; }

  // What is known of a card not done, and what settles it, by its step's row.
  std::string Explained(const Card& card) const {
    const StepRow& row = Row(card);
    const std::string line = std::to_string(card.line);
    const std::string said = "\"" + card.given + "\" " + row.known;
    if (row.settle == Settle::Rewrite) return said + "; to write it again: " + Command("--rewrite " + line);
    return said + ". Check that card with 'brimlock-card" +
           (options_.port != "com1" ? " --port " + Quoted(options_.port) : std::string()) + " read', then run " +
           Command("--mark-done " + line) + " if it holds that text, or " + Command("--rewrite " + line) +
           " to write it again";
  }

  // This batch's command again, with `extra`.
  std::string Command(const std::string& extra) const {
    std::string command = "'brimlock-card";
    if (options_.port != "com1") command += " --port " + Quoted(options_.port);
    command += " batch";
    if (options_.verify) command += " --verify";
    if (options_.journal) command += " --journal " + Quoted(*options_.journal);
    return command + " " + extra + " " +
           (options_.operand == "-" ? "-' (with the same input)" : Quoted(options_.operand) + "'");
  }

  struct Tally {
    long written = 0, verified = 0, failed = 0;
  };

  const Options& options_;
  const std::string source_;
  const std::string journalPath_;
  std::vector<Card> cards_;
  Journal journal_;
  Tally tally_;
  long done_ = 0;     // by earlier runs, or marked done by the operator
  int stop_ = kDone;  // why the run stopped before its end
};

}  // namespace

int RunBatch(const Options& options) { return Batch(options).Run(); }

}  // namespace card
