// lookup: the window's ticket query, its rows printed in the order the window steps
// through them.
#include <algorithm>
#include <optional>
#include <string>

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

bool HasControl(const std::string& field) { return std::any_of(field.begin(), field.end(), IsControl); }

// The printed cards, made row by row as the rows are read (a lookup may give tens of
// thousands), and the rows that refuse the ticket.
struct Printout {
  std::string out;
  std::string refused;
  std::string lacking;
  std::size_t rows = 0;

  // As plain text a tab, a line break or another control byte in a field would make other
  // fields or other lines of it (and frames of a batch it is piped into): such a ticket is
  // printed whole or not at all. JSON carries every value exactly.
  void Add(const Options& options, const std::string& card, const std::optional<std::string>& hidden,
           const char* lackingField) {
    ++rows;
    // Made only for a row that is refused.
    auto which = [&] { return std::string("row ") + std::to_string(rows) + " (card \"" + Printable(card) + "\""; };
    if (lackingField != nullptr) {
      lacking += (lacking.empty() ? "" : ", ") + which() + ": its " + lackingField + ")";
    } else if (options.json) {
      out += JsonLine({{"card", card}, {"hidden", hidden ? Json(*hidden) : Json(nullptr)}});
    } else if (!hidden || hidden->empty() || HasControl(card) || HasControl(*hidden)) {
      const char* why = HasControl(card)  ? "card number holds a control character"
                        : !hidden         ? "hidden code is NULL"
                        : hidden->empty() ? "hidden code is empty"
                                          : "hidden code holds a control character";
      refused += (refused.empty() ? "" : ", ") + which() + ": its " + why + ")";
    } else {
      // One growth for the line, not one for each of its four parts.
      const std::size_t at = out.size();
      out.resize(at + card.size() + 1 + hidden->size() + 1);
      char* line = out.data() + at;
      line = std::copy(card.begin(), card.end(), line);
      *line++ = '\t';
      line = std::copy(hidden->begin(), hidden->end(), line);
      *line = '\n';
    }
  }

  int Print(const Options& options) const {
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
    std::string why;
    if (!Write(Stream::Out, out, &why))
      return Fail(kOutputFailed, "the cards could not be written to standard output: " + why);
    return kDone;
  }
};

int Lookup(const Options& options, const CString& strTicket) {
  Printout printout;
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
    for (; !recordset->GetadoEOF(); recordset->MoveNext()) {
      bool cardExact = true, hiddenExact = true;
      const std::string card = ExactColumnUtf8(recordset, cardColumn, cardExact).value_or(std::string());
      const std::optional<std::string> hidden = ExactColumnUtf8(recordset, hiddenColumn, hiddenExact);
      printout.Add(options, card, hidden, !cardExact ? "card number" : !hiddenExact ? "hidden code" : nullptr);
    }
    recordset->Close();
    connection->Close();
  } catch (const _com_error& e) {
    return Fail(kDatabaseError, DatabaseProblem("the ticket query failed", e));
  }
  return printout.Print(options);
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
