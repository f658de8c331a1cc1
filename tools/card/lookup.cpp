// lookup: the window's ticket query, its rows printed in the order the window steps
// through them.
#include <exception>

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

int Lookup(const Options& options, const CString& strTicket) {
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
      return Fail(kNoAnswer, "no record found for the ticket '" + options.operand +
                                 "' (tickets in service whose number ends with it)");
    }
    for (; !recordset->GetadoEOF(); recordset->MoveNext()) {
      const std::string card = text::Cp936ToUtf8(ColumnText(recordset, "dcard").bytes());
      const std::string hidden = text::Cp936ToUtf8(ColumnText(recordset, "dcard_sbh").bytes());
      Write(Stream::Out, options.json ? JsonLine({{"card", card}, {"hidden", hidden}}) : card + "\t" + hidden + "\n");
    }
    recordset->Close();
    connection->Close();
  } catch (const _com_error& e) {
    return Fail(kDatabaseError, "the ticket query failed: " + Message(e));
  }
  return kDone;
}

}  // namespace

int RunLookup(const Options& options) {
  if (options.operand.empty()) return Fail(kBadInput, "the ticket is empty; give its number, or its last digits");
  std::size_t bad = 0;
  const std::optional<std::string> ticket = text::Utf8ToCp936Exactly(options.operand, &bad);
  if (!ticket) return Fail(kBadInput, "the ticket holds a character that code page 936 lacks, so no ticket can match it");
  Apartment apartment;
  return Lookup(options, CString(*ticket));
}

}  // namespace card
