// The statement's settings and the reading of its rows, without the window: the dialog's
// handlers and brimlock-card share them.
#include "lookup/ticket_query.h"
#include <algorithm>

#include "platform/text/codepage.h"
#include "platform/text/environment.h"

CString DatabaseConnectionString() {
  // A deployment may replace the whole string, from the environment or from a file that
  // only its owner may read, or name the server the built-in one uses.
  auto setting = [](const char* name) { return CString(text::EnvironmentSetting(name).value_or("")); };
  if (CString whole = setting("BRIMLOCK_CONNECTION"); !whole.IsEmpty()) return whole;
  if (auto file = text::EnvironmentSetting("BRIMLOCK_CONNECTION_FILE")) {
    return file->empty() ? CString() : CString(text::OwnersFileFirstLine(*file).value_or(""));
  }
  CString server = setting("BRIMLOCK_DB_SERVER");
  if (server.IsEmpty()) server = "localhost";
  return "Provider=SQLOLEDB;SERVER=" + server + ";DATABASE=kq7_mavr;UID=sa;PWD=402617;";
}

void OpenTicketRecordset(_RecordsetPtr& recordset, _ConnectionPtr& connection, const CString& strSql,
                         const CString& strPattern) {
  _variant_t source(strSql);
  recordset->Open(source, _variant_t(connection), adOpenStatic, adLockOptimistic, adCmdText, _variant_t(strPattern));
}

CString ColumnText(_RecordsetPtr& recordset, const char* column) {
  _variant_t value = recordset->GetCollect(column);
  return value.vt == VT_NULL ? CString() : CString(static_cast<const char*>(_bstr_t(value)));
}

std::optional<CString> ExactColumnText(_RecordsetPtr& recordset, const char* column, bool& exact) {
  return ExactColumnText(recordset, recordset->GetOrdinal(column), exact);
}

std::optional<CString> ExactColumnText(_RecordsetPtr& recordset, long column, bool& exact) {
  if (const std::optional<std::string_view> ascii = recordset->GetAscii(column)) {
    exact = true;  // in the code page as it is: nothing to convert or check
    return CString(std::string(*ascii));
  }
  _variant_t value = recordset->GetCollect(column);
  if (value.vt == VT_NULL) return std::nullopt;
  const _bstr_t wide(value);
  const std::optional<std::string> bytes = text::Utf16ToCp936Exactly(wide.wide());
  exact = bytes.has_value();
  return CString(bytes ? bytes->c_str() : static_cast<const char*>(wide));
}

std::optional<std::string_view> ConvertedColumnUtf8(_RecordsetPtr& recordset, long column, std::string& held,
                                                    bool& exact) {
  const std::optional<CString> cp936 = ExactColumnText(recordset, column, exact);
  if (!cp936) return std::nullopt;
  held = text::Cp936ToUtf8(cp936->bytes());
  return held;
}

CString TicketNumber(_RecordsetPtr& recordset) {
  std::string ticket = ColumnText(recordset, "dticket_no").bytes();
  ticket.erase(ticket.find_last_not_of(' ') + 1);
  return CString(std::move(ticket));
}

std::vector<TicketCard> FindTicketCards(_ConnectionPtr& connection, const CString& strTicket) {
  _RecordsetPtr recordset;
  recordset.CreateInstance(CLSID_Recordset);
  if (recordset == nullptr) throw _com_error(E_POINTER);
  OpenTicketRecordset(recordset, connection, TICKET_CARDS_SQL, TicketPattern(strTicket));
  std::vector<TicketCard> cards;
  for (; !recordset->GetadoEOF(); recordset->MoveNext()) {
    bool cardExact = true, hiddenExact = true;
    TicketCard card{TicketNumber(recordset), ExactColumnText(recordset, "dcard", cardExact).value_or(CString()),
                    ExactColumnText(recordset, "dcard_sbh", hiddenExact)};
    if (!hiddenExact) card.lacking = "hidden code";
    if (!cardExact) card.lacking = "card number";
    cards.push_back(std::move(card));
  }
  recordset->Close();
  return cards;
}

std::optional<CString> ChosenTicket(const std::vector<TicketCard>& cards, const CString& strTicket,
                                    std::vector<CString>& tickets) {
  tickets.clear();
  for (const TicketCard& card : cards) {
    if (std::find(tickets.begin(), tickets.end(), card.ticket) == tickets.end()) tickets.push_back(card.ticket);
  }
  if (tickets.size() == 1) return tickets.front();
  if (std::find(tickets.begin(), tickets.end(), strTicket) != tickets.end()) return strTicket;
  return std::nullopt;
}
