// issue: a ticket's cards, one at a time, each claimed in the issuing record before its
// frames leave, written, read back and recorded, so that no desk writes a card twice.
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "card_operations.h"
#include "card_text.h"
#include "commands.h"
#include "console.h"
#include "database.h"
#include "exit_status.h"
#include "json.h"
#include "pace.h"
#include "lookup/issuing_record.h"
#include "lookup/ticket_query.h"
#include "platform/text/codepage.h"

namespace card {
namespace {

using issuing::Claim;
using issuing::State;

std::string Utf8(const CString& text) { return text::Cp936ToUtf8(text.bytes()); }

bool Listed(const std::vector<std::string>& cards, const std::string& card) {
  return std::find(cards.begin(), cards.end(), card) != cards.end();
}

// What became of one card, for its line and its JSON object.
struct Result {
  const char* outcome;  // issued, written, already-issued, held, refused, failed, ...
  int status = kDone;
  std::string message;
  std::optional<bool> verified;
};

class TicketIssue {
 public:
  TicketIssue(const Options& options, _ConnectionPtr& record)
      : options_(options), record_(record), desk_(issuing::ThisDesk(CString(options.port.c_str()))) {}

  // Every card in turn; the status of the first card that went wrong, or 0.
  int Run(const CString& ticket, const std::vector<TicketCard>& cards, const std::vector<std::string>& bytes) {
    CatchStopSignals();
    int status = kDone;
    for (std::size_t i = 0; i < cards.size(); ++i) {
      if (const int stop = StopRequested(); stop != 0) {
        Fail(stop, "stopped before card " + std::to_string(i + 1) + " of " + std::to_string(cards.size()) +
                       "; run the same command again to go on");
        return stop;
      }
      const std::string number = Utf8(cards[i].card);
      Result result;
      try {
        result = Issue(ticket, cards[i].card, bytes[i], i + 1, cards.size());
      } catch (const _com_error& e) {
        // The claim, if taken, says how far the card got; the rerun names it.
        result = {"record",
                  kDatabaseError,
                  DatabaseProblem("the issuing record could not be kept for card " + number, e) +
                      "; run the same command again: a card whose frames may have left is named there",
                  {}};
      }
      Report(i + 1, cards.size(), number, cards[i], result);
      if (result.status != kDone && status == kDone) status = result.status;
      if (result.status == kDatabaseError || result.status == kPortUnavailable ||
          result.outcome == std::string("stopped"))
        break;
      counts_[result.outcome]++;
    }
    Summary(ticket, cards.size(), status);
    return status;
  }

 private:
  Result Issue(const CString& ticket, const CString& card, const std::string& bytes, std::size_t k, std::size_t n) {
    issuing::Record record(record_);
    const std::string number = Utf8(card);
    const std::optional<Claim> held = record.Find(ticket, card);
    const bool reissue = Listed(options_.reissue, number), markIssued = Listed(options_.markIssued, number);
    if (held && !reissue && !markIssued) return Refusal(number, *held);
    // Unchecked, the encoder learns of the next card only when the last is swiped.
    if (!markIssued && options_.noVerify && std::exchange(wroteOne_, true) &&
        !AwaitOperator("card " + std::to_string(k) + " of " + std::to_string(n) + ", number " + number,
                       options_.pace)) {
      return {"stopped",
              StopRequested() != 0 ? StopRequested() : kHungUp,
              "stopped before this card; run the same command again to go on",
              {}};
    }

    const CString attempt = record.BeginAttempt(ticket, card, desk_,
                                                markIssued ? "mark-issued"
                                                : reissue  ? "reissue"
                                                           : "issue");
    Claim claim;
    if (!record.Take(ticket, card, desk_, held, claim)) {
      record.EndAttempt(attempt, "refused");
      return Refusal(number, claim);
    }
    if (markIssued) {
      record.Advance(ticket, card, claim, State::Issued);
      record.EndAttempt(attempt, "issued");
      return {"marked-issued", kDone, "recorded as issued, as the operator found it; nothing was written", {}};
    }

    Prompt("card " + std::to_string(k) + " of " + std::to_string(n) + ", number " + number +
           ": swipe a card through the encoder on " + options_.port + " now");
    bool advanced = true;
    const Outcome written = WriteCard(options_.port, bytes, {}, [&]() -> std::optional<std::string> {
      advanced = record.Advance(ticket, card, claim, State::Written);
      return std::nullopt;
    });
    if (written.status != kDone) {
      // Nothing left the port: the claim is let go as failed, and the card may be written again.
      const bool maybe = written.sent != Outcome::Sent::Nothing;
      if (!maybe) record.Advance(ticket, card, claim, State::Failed);
      record.EndAttempt(attempt, written.status == kPortUnavailable ? "port" : "failed");
      return {"failed",
              written.status,
              written.problem + (maybe ? "; part of its frames left the port: check the card with 'brimlock-card "
                                         "read', then settle it with --mark-issued " +
                                             number + " or --reissue " + number
                                       : "; nothing was written: run the same command again with --reissue " + number),
              {}};
    }
    if (!advanced) return TakenOver(number);
    if (options_.noVerify) {
      if (!record.Advance(ticket, card, claim, State::Issued)) return TakenOver(number);
      record.EndAttempt(attempt, "written");
      return {"written", kDone, "issued, written and not read back (--no-verify)", {}};
    }

    Prompt("card " + number + " written; swipe it again to check it");
    std::string shown;
    const Outcome read = ReadCard(options_.port, shown);
    const bool same = read.status == kDone && shown == bytes;
    if (!record.Advance(ticket, card, claim, same ? State::Issued : State::Failed)) return TakenOver(number);
    const char* outcome = same                         ? "issued"
                          : read.status == kDone       ? "different"
                          : read.status == kUnreadable ? "unreadable"
                          : read.status == kNoAnswer   ? "no-answer"
                                                       : "port";
    record.EndAttempt(attempt, outcome);
    if (same) return {"issued", kDone, "", true};
    const std::string why = read.status == kDone ? "the card reads back other data than was written"
                                                 : "the card was written but not checked: " + read.problem;
    return {"failed", read.status == kDone ? kDifferent : read.status,
            why + "; write it again with --reissue " + number + " (the record keeps this attempt)",
            read.status == kDone ? std::optional<bool>(false) : std::nullopt};
  }

  // A card the record holds: issued before, held by a desk (perhaps one that stopped), or
  // failed its check. The message names where and when, and how to go on.
  Result Refusal(const std::string& number, const Claim& claim) const {
    const std::string where = Utf8(claim.desk) + " (user " + Utf8(claim.operatorName) + ")";
    const std::string settle = "; if it is not, check the card with 'brimlock-card read', then run again with "
                               "--mark-issued " +
                               number + " (it holds its code) or --reissue " + number;
    switch (claim.state) {
      case State::Issued:
        return {"already-issued",
                kDone,
                "already issued " + Utf8(claim.issuedAt) + " at " + where + "; not written (--reissue " + number +
                    " writes it again)",
                {}};
      case State::Failed:
        return {"failed-before",
                kUnsettled,
                "its last attempt, at " + where + " claimed " + Utf8(claim.claimedAt) +
                    ", did not leave a good card; write it again with --reissue " + number,
                {}};
      case State::Written:
        return {"held",
                kUnsettled,
                "written but not yet checked by " + where + ", claimed " + Utf8(claim.claimedAt) +
                    "; that desk may be checking it now" + settle,
                {}};
      case State::Claimed: break;
    }
    return {"held",
            kUnsettled,
            "claimed by " + where + " " + Utf8(claim.claimedAt) +
                ", its frames perhaps on their way; that desk may be "
                "issuing it now" +
                settle,
            {}};
  }

  Result TakenOver(const std::string& number) const {
    return {"taken-over",
            kUnsettled,
            "another desk took the card over while it was written here; check the card with 'brimlock-card read' "
            "and look at the issuing record for card " +
                number,
            {}};
  }

  void Prompt(const std::string& what) const {
    if (!options_.json && IsTerminal(Stream::Err)) Write(Stream::Err, what + "\n");
  }

  void Report(std::size_t k, std::size_t n, const std::string& number, const TicketCard& card, const Result& result) {
    if (options_.json) {
      Write(Stream::Out, JsonLine({{"card", number},
                                   {"index", static_cast<long>(k)},
                                   {"of", static_cast<long>(n)},
                                   {"outcome", result.outcome},
                                   {"verified", result.verified ? Json(*result.verified) : Json(nullptr)},
                                   {"hidden", options_.showCodes ? Json(Utf8(*card.hidden)) : Json(nullptr)},
                                   {"error", result.status == kDone ? Json(nullptr) : Json(StatusWord(result.status))},
                                   {"message", result.message.empty() ? Json(nullptr) : Json(result.message)}}));
      return;
    }
    const std::string line = "card " + std::to_string(k) + " of " + std::to_string(n) + ", number " +
                             Printable(number) + ": " +
                             (result.message.empty() ? "issued, read back the same" : result.message) + "\n";
    Write(result.status == kDone ? Stream::Out : Stream::Err, line);
  }

  void Summary(const CString& ticket, std::size_t n, int status) {
    auto count = [&](const char* outcome) { return static_cast<long>(counts_[outcome]); };
    const long issued = count("issued") + count("written") + count("marked-issued");
    if (options_.json) {
      Write(Stream::Out, JsonLine({{"ticket", Utf8(ticket)},
                                   {"cards", static_cast<long>(n)},
                                   {"issued", issued},
                                   {"already_issued", count("already-issued")},
                                   {"status", static_cast<long>(status)}}));
      return;
    }
    Write(Stream::Err, "brimlock-card: ticket " + Printable(Utf8(ticket)) + ": " + std::to_string(n) +
                           (n == 1 ? " card, " : " cards, ") + std::to_string(issued) + " issued now, " +
                           std::to_string(count("already-issued")) + " issued before" +
                           (status == kDone ? "" : "; see above for the rest") + "\n");
  }

  const Options& options_;
  _ConnectionPtr& record_;
  issuing::Desk desk_;
  std::map<std::string, std::size_t> counts_;
  bool wroteOne_ = false;
};

// The cards of the one ticket meant, each one's bytes as they go onto the card: every card
// is judged before any is written, so a ticket is issued whole or refused whole.
int Prepare(const Options& options, const CString& typed, const std::vector<TicketCard>& found, CString& ticket,
            std::vector<TicketCard>& cards, std::vector<std::string>& bytes) {
  std::vector<CString> tickets;
  const std::optional<CString> chosen = ChosenTicket(found, typed, tickets);
  if (!chosen) {
    std::string list;
    for (const CString& t : tickets) list += (list.empty() ? "" : ", ") + Printable(Utf8(t));
    return Fail(kBadInput, "'" + Printable(options.operand) + "' matches " + std::to_string(tickets.size()) +
                               " tickets (" + list + "); give one of them whole");
  }
  ticket = *chosen;
  std::string refused;
  for (const TicketCard& card : found) {
    if (!(card.ticket == ticket)) continue;
    std::string problem;
    std::optional<std::string> onCard;
    if (card.card.IsEmpty()) problem = "it has no card number, which the issuing record needs";
    else if (card.lacking != nullptr)
      problem = std::string("its ") + card.lacking + " holds a character code page 936 lacks";
    else if (!card.hidden || card.hidden->IsEmpty()) problem = "no hidden code is recorded for it";
    else onCard = CardBytesOfText(Utf8(*card.hidden), problem);
    if (!onCard) {
      refused += (refused.empty() ? "" : "; ") + std::string("card ") + Printable(Utf8(card.card)) + ": " + problem;
      continue;
    }
    cards.push_back(card);
    bytes.push_back(*onCard);
  }
  if (!refused.empty())
    return Fail(kBadInput, "the ticket " + Printable(Utf8(ticket)) + " cannot be issued as it is recorded: " + refused +
                               ". Nothing was written");
  for (const std::vector<std::string>* asked : {&options.reissue, &options.markIssued}) {
    for (const std::string& number : *asked) {
      if (std::none_of(cards.begin(), cards.end(), [&](const TicketCard& c) { return Utf8(c.card) == number; }))
        return Fail(kBadInput, "the ticket " + Printable(Utf8(ticket)) + " has no card numbered '" + Printable(number) +
                                   "'; nothing was written");
    }
  }
  return kDone;
}

}  // namespace

int RunIssue(const Options& options) {
  if (options.operand.empty()) return Fail(kBadInput, "the ticket is empty; give its number, or its last digits");
  const std::optional<std::string> typed = text::Utf8ToCp936Exactly(options.operand);
  if (!typed)
    return Fail(kBadInput, "the ticket holds a character that code page 936 lacks, so no ticket can match it");
  const CString strTicket(typed->c_str());

  Apartment apartment;
  _ConnectionPtr tickets;
  std::string problem;
  if (!OpenDatabase(tickets, DatabaseConnectionString(), problem)) return Fail(kDatabaseError, problem);
  std::vector<TicketCard> found;
  try {
    found = FindTicketCards(tickets, strTicket);
  } catch (const _com_error& e) {
    return Fail(kDatabaseError, DatabaseProblem("the ticket query failed", e));
  }
  if (found.empty())
    return Fail(kNoAnswer, "no record found for the ticket '" + Printable(options.operand) +
                               "' (tickets in service whose number ends with it)");
  CString ticket;
  std::vector<TicketCard> cards;
  std::vector<std::string> bytes;
  if (const int status = Prepare(options, strTicket, found, ticket, cards, bytes); status != kDone) return status;
  if (options.noVerify && cards.size() > 1)
    if (WhyUnpaced(options.pace))
      return Fail(kBadInput, "cards issued with --no-verify follow each other only as fast as the operator swipes "
                             "them, and there is no terminal to wait on: give --pace SECONDS, or leave out "
                             "--no-verify; no card was written");

  // The record: the shared one in the lookup's database, or this desk's own file.
  _ConnectionPtr own;
  _ConnectionPtr& record = options.record ? own : tickets;
  try {
    if (options.record) {
      if (!OpenDatabase(own, issuing::LocalRecordConnectionString(CString(text::Utf8ToCp936(*options.record).c_str())),
                        problem))
        return Fail(kDatabaseError, "the record file " + *options.record + ": " + problem);
      issuing::Record(own).CreateLocal();
    } else if (std::string why; !issuing::Record(tickets).Exists(why)) {
      return Fail(kDatabaseError,
                  "the database has no issuing record (" + text::Cp936ToUtf8(why) +
                      "), so no card is written: have its owner create it with sql/issuing-record.sql, or keep "
                      "this desk's own record with --record FILE");
    }
  } catch (const _com_error& e) {
    return Fail(kDatabaseError, DatabaseProblem("the issuing record cannot be opened", e));
  }
  return TicketIssue(options, record).Run(ticket, cards, bytes);
}

}  // namespace card
