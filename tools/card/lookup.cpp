// lookup: the window's ticket query, its rows printed in the order the window steps
// through them.
#include <algorithm>
#include <exception>
#include <vector>

#include "card_text.h"
#include "commands.h"
#include "console.h"
#include "exit_status.h"
#include "json.h"
#include "lookup/ticket_query.h"
#include "platform/text/codepage.h"

namespace card {
namespace {

// The apartment the data-access objects live in, for as long as the lookup runs.
struct Apartment {
  Apartment() { CoInitialize(nullptr); }
  ~Apartment() { CoUninitialize(); }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
};

std::string Message(const _com_error& e) { return text::Cp936ToUtf8(e.ErrorMessage()); }

struct Row {
  std::string card, hidden;
};

bool HasControl(const std::string& field) { return std::any_of(field.begin(), field.end(), IsControl); }

// As plain text a tab, a line break or another control byte in a field would make other
// fields or other lines of it (and frames of a batch it is piped into): such a ticket is
// printed whole or not at all. JSON carries every value exactly.
int Print(const Options& options, const std::vector<Row>& rows) {
  std::string out;
  std::string refused;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    if (options.json) {
      out += JsonLine({{"card", row.card}, {"hidden", row.hidden}});
    } else if (HasControl(row.card) || HasControl(row.hidden)) {
      refused += (refused.empty() ? "" : ", ") + std::string("row ") + std::to_string(i + 1) + " (card \"" +
                 Printable(row.card) + "\": its " + (HasControl(row.card) ? "card number" : "hidden code") + ")";
    } else {
      out += row.card + "\t" + row.hidden + "\n";
    }
  }
  if (!refused.empty())
    return Fail(kBadInput, "the ticket '" + Printable(options.operand) +
                               "' has a field holding a tab, a line break "
                               "or another control character, which plain text cannot carry: " +
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
  connection.CreateInstance(CLSID_Connection, nullptr, CLSCTX_ALL);
  recordset.CreateInstance(CLSID_Recordset, nullptr, CLSCTX_ALL);
  if (connection == nullptr || recordset == nullptr)
    return Fail(kDatabaseError, "the data-access objects cannot be created; reinstall brimlock");
  try {
    connection->Open(DatabaseConnectionString(), "", "", adConnectUnspecified);
  } catch (const _com_error& e) {
    return Fail(kDatabaseError, "cannot connect to the database (" + Message(e) +
                                    "); check BRIMLOCK_CONNECTION, BRIMLOCK_CONNECTION_FILE or "
                                    "BRIMLOCK_DB_SERVER, and that the server runs");
  } catch (const std::exception& e) {
    return Fail(kDatabaseError, std::string("cannot connect to the database (") + e.what() + ")");
  }
  try {
    OpenTicketRecordset(recordset, connection, TICKET_QUERY_SQL, TicketPattern(strTicket));
    if (recordset->GetadoEOF()) {
      recordset->Close();
      connection->Close();
      return Fail(kNoAnswer, "no record found for the ticket '" + Printable(options.operand) +
                                 "' (tickets in service whose number ends with it)");
    }
    for (; !recordset->GetadoEOF(); recordset->MoveNext()) {
      rows.push_back({text::Cp936ToUtf8(ColumnText(recordset, "dcard").bytes()),
                      text::Cp936ToUtf8(ColumnText(recordset, "dcard_sbh").bytes())});
    }
    recordset->Close();
    connection->Close();
  } catch (const _com_error& e) {
    return Fail(kDatabaseError, "the ticket query failed: " + Message(e));
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
