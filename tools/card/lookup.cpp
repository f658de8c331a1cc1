// lookup: the window's ticket query, its rows printed in the order the window steps
// through them.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "card_text.h"
#include "commands.h"
#include "console.h"
#include "database.h"
#include "exit_status.h"
#include "json.h"
#include "lookup/ticket_query.h"
#include "platform/text/codepage.h"

namespace card {
namespace {

bool HasControl(std::string_view field) { return std::any_of(field.begin(), field.end(), IsControl); }

// A row's two fields, read exactly: views of the kept bytes, or of `held` where converted.
// `lacking` names the field holding a character code page 936 lacks.
struct Card {
  std::string_view number;
  std::optional<std::string_view> hidden;
  const char* lacking = nullptr;
  std::string held[2];
};

void ReadCard(_RecordsetPtr& recordset, long cardColumn, long hiddenColumn, Card& card) {
  bool cardExact = true, hiddenExact = true;
  card.number = ExactColumnUtf8(recordset, cardColumn, card.held[0], cardExact).value_or(std::string_view());
  card.hidden = ExactColumnUtf8(recordset, hiddenColumn, card.held[1], hiddenExact);
  card.lacking = !cardExact ? "card number" : !hiddenExact ? "hidden code" : nullptr;
}

// A ticket's rows, checked all before any is printed: a lookup may give tens of thousands,
// and one refused row means nothing is printed.
struct Rows {
  std::string refused;
  std::string lacking;
  std::size_t rows = 0;

  // As plain text a tab, a line break or another control byte in a field would make other
  // fields or other lines of it (and frames of a batch it is piped into): such a ticket is
  // printed whole or not at all. JSON carries every value exactly.
  void Check(const Options& options, const Card& card) {
    ++rows;
    // Made only for a row that is refused.
    auto which = [&] {
      return std::string("row ") + std::to_string(rows) + " (card \"" + Printable(std::string(card.number)) + "\"";
    };
    const std::optional<std::string_view>& hidden = card.hidden;
    if (card.lacking != nullptr) {
      lacking += (lacking.empty() ? "" : ", ") + which() + ": its " + card.lacking + ")";
    } else if (!options.json && (!hidden || hidden->empty() || HasControl(card.number) || HasControl(*hidden))) {
      const char* why = HasControl(card.number) ? "card number holds a control character"
                        : !hidden               ? "hidden code is NULL"
                        : hidden->empty()       ? "hidden code is empty"
                                                : "hidden code holds a control character";
      refused += (refused.empty() ? "" : ", ") + which() + ": its " + why + ")";
    }
  }

  // The refusal, or kDone when every row may be printed.
  int Verdict(const Options& options) const {
    // A '?' in place of a character would be taken for the code itself, in JSON too.
    if (!lacking.empty())
      return Fail(kBadInput, "the ticket '" + Printable(options.operand) +
                                 "' has a field holding a character code page 936 lacks, which no card can "
                                 "carry as it is: " +
                                 lacking + ". Nothing was printed");
    if (!refused.empty())
      return Fail(kBadInput, "the ticket '" + Printable(options.operand) +
                                 "' has a field that plain text cannot carry as a card's code (a tab, a line "
                                 "break or another control character, or no code at all): " +
                                 refused + ". Nothing was printed; --json gives every value exactly");
    return kDone;
  }
};

// The checked rows printed through a buffer written out as it fills, so the output is never
// held whole.
class Printer {
 public:
  explicit Printer(const Options& options) : m_json(options.json) {}

  bool Add(const Card& card) {
    if (m_json)
      return Put(JsonLine({{"card", std::string(card.number)},
                           {"hidden", card.hidden ? Json(std::string(*card.hidden)) : Json(nullptr)}}));
    return Put(card.number) && Put("\t") && Put(*card.hidden) && Put("\n");
  }

  bool Flush() {
    const bool written = Write(Stream::Out, std::string_view(m_buffer, m_used), &m_why);
    m_used = 0;
    return written;
  }

  int Failure() const { return Fail(kOutputFailed, "the cards could not be written to standard output: " + m_why); }

 private:
  bool Put(std::string_view text) {
    if (m_used + text.size() > sizeof m_buffer && !Flush()) return false;
    if (text.size() > sizeof m_buffer) return Write(Stream::Out, text, &m_why);
    std::copy(text.begin(), text.end(), m_buffer + m_used);
    m_used += text.size();
    return true;
  }

  bool m_json;
  char m_buffer[16 * 1024];
  std::size_t m_used = 0;
  std::string m_why;
};

int Lookup(const Options& options, const CString& strTicket) {
  _ConnectionPtr connection;
  _RecordsetPtr recordset;
  std::string problem;
  if (!OpenDatabase(connection, DatabaseConnectionString(), problem)) return Fail(kDatabaseError, problem);
  recordset.CreateInstance(CLSID_Recordset, nullptr, CLSCTX_ALL);
  if (recordset == nullptr)
    return Fail(kDatabaseError, "the data-access objects cannot be created; reinstall brimlock");
  try {
    OpenTicketRecordset(recordset, connection, TICKET_QUERY_SQL, TicketPattern(strTicket));
    if (recordset->GetadoEOF()) {
      recordset->Close();
      connection->Close();
      return Fail(kNoAnswer, "no record found for the ticket '" + Printable(options.operand) +
                                 "' (tickets in service whose number ends with it)");
    }
    const long cardColumn = recordset->GetOrdinal("dcard"), hiddenColumn = recordset->GetOrdinal("dcard_sbh");
    Card card;
    Rows rows;
    // Where every value is printable ASCII, as nearly always, no row can be refused.
    if (!recordset->AllPrintableAscii(cardColumn) || !recordset->AllPrintableAscii(hiddenColumn)) {
      for (; !recordset->GetadoEOF(); recordset->MoveNext()) {
        ReadCard(recordset, cardColumn, hiddenColumn, card);
        rows.Check(options, card);
      }
    }
    int status = rows.Verdict(options);
    Printer printer(options);
    if (status == kDone) {
      // The rows are kept, so reading them again reads memory, not the database.
      for (recordset->MoveFirst(); status == kDone && !recordset->GetadoEOF(); recordset->MoveNext()) {
        ReadCard(recordset, cardColumn, hiddenColumn, card);
        if (!printer.Add(card)) status = printer.Failure();
      }
    }
    recordset->Close();
    connection->Close();
    if (status == kDone && !printer.Flush()) status = printer.Failure();
    return status;
  } catch (const _com_error& e) {
    return Fail(kDatabaseError, DatabaseProblem("the ticket query failed", e));
  }
}

}  // namespace

int RunLookup(const Options& options) {
  if (options.operand.empty()) return Fail(kBadInput, "the ticket is empty; give its number, or its last digits");
  std::size_t bad = 0;
  const std::optional<std::string> ticket = text::Utf8ToCp936Exactly(options.operand, &bad);
  if (!ticket)
    return Fail(kBadInput, "the ticket holds a character that code page 936 lacks, so no ticket can match it");
  Apartment apartment;
  return Lookup(options, CString(*ticket));
}

}  // namespace card
