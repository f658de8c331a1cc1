// lookup: the window's ticket query, its rows printed in the order the window steps
// through them.
#include <algorithm>
#include <exception>
#include <vector>

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

struct Row {
  std::string card;
  std::optional<std::string> hidden;  // nothing for a NULL
  const char* lacking;                // a field holding a character code page 936 lacks
};

bool HasControl(const std::string& field) { return std::any_of(field.begin(), field.end(), IsControl); }

// As plain text a tab, a line break or another control byte in a field would make other
// fields or other lines of it (and frames of a batch it is piped into): such a ticket is
// printed whole or not at all. JSON carries every value exactly.
int Print(const Options& options, const std::vector<Row>& rows) {
  std::string out;
  std::string refused;
  std::string lacking;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    // Made only for a row that is refused: a lookup may print tens of thousands.
    auto which = [&] { return std::string("row ") + std::to_string(i + 1) + " (card \"" + Printable(row.card) + "\""; };
    static const std::string kNoCode;
    const std::string& hidden = row.hidden ? *row.hidden : kNoCode;
    if (row.lacking != nullptr) {
      lacking += (lacking.empty() ? "" : ", ") + which() + ": its " + row.lacking + ")";
    } else if (options.json) {
      out += JsonLine({{"card", row.card}, {"hidden", row.hidden ? Json(*row.hidden) : Json(nullptr)}});
    } else if (!row.hidden || hidden.empty() || HasControl(row.card) || HasControl(hidden)) {
      const char* why = HasControl(row.card) ? "card number holds a control character"
                        : !row.hidden        ? "hidden code is NULL"
                        : hidden.empty()     ? "hidden code is empty"
                                             : "hidden code holds a control character";
      refused += (refused.empty() ? "" : ", ") + which() + ": its " + why + ")";
    } else {
      out += row.card + "\t" + hidden + "\n";
    }
  }
  // A '?' in place of a character would be taken for the code itself, in JSON too.
  if (!lacking.empty())
    return Fail(kBadInput, "the ticket '" + Printable(options.operand) +
                               "' has a field holding a character code page 936 lacks, which no card can "
                               "carry as it is: " +
                               lacking + ". Nothing was printed");
  if (!refused.empty())
    return Fail(kBadInput, "the ticket '" + Printable(options.operand) +
                               "' has a field that plain text cannot carry as a card's code (a tab, a line break "
                               "or another control character, or no code at all): " +
                               refused + ". Nothing was printed; --json gives every value exactly");
  std::string why;
  if (!Write(Stream::Out, out, &why))
    return Fail(kOutputFailed, "the cards could not be written to standard output: " + why);
  return kDone;
}

int Lookup(const Options& options, const CString& strTicket) {
  std::vector<Row> rows;
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
      const CString card = ExactColumnText(recordset, cardColumn, cardExact).value_or(CString());
      const std::optional<CString> hidden = ExactColumnText(recordset, hiddenColumn, hiddenExact);
      rows.push_back({text::Cp936ToUtf8(card.bytes()),
                      hidden ? std::optional<std::string>(text::Cp936ToUtf8(hidden->bytes())) : std::nullopt,
                      !cardExact     ? "card number"
                      : !hiddenExact ? "hidden code"
                                     : nullptr});
    }
    recordset->Close();
    connection->Close();
  } catch (const _com_error& e) {
    return Fail(kDatabaseError, DatabaseProblem("the ticket query failed", e));
  }
  return Print(options, rows);
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
