#pragma once
// The ticket query as plain functions: the window's Query and brimlock-card's lookup run
// the same statement, with the same pattern, on the same connection settings.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/ado.h"
#include "platform/text/CString.h"

// The ticket's cards: tickets in service whose number ends with the typed text. The text is
// bound to the one parameter as "%" + text, so quotes stay literal and "%" and "_" keep
// their pattern meaning.
inline constexpr char TICKET_QUERY_SQL[] =
    "select b.dcard,b.dcard_sbh from Kcard_ticket_BaseInfo a,Kcard_BaseInfo b "
    "where a.dticket_no = b.dticket_no and a.dticket_no like ? and a.dstate_run=0";

// The built-in connection string, unless the environment replaces it.
CString DatabaseConnectionString();

// The pattern the statement's parameter takes: "%" and the ticket text as typed.
inline CString TicketPattern(const CString& strTicket) { return "%" + strTicket; }

// Opens the recordset on the statement as a static snapshot on an open connection, the
// pattern bound to its parameter. Raises _com_error.
void OpenTicketRecordset(_RecordsetPtr& recordset, _ConnectionPtr& connection, const CString& strSql,
                         const CString& strPattern);

// A column of the current row as text, read by name; a NULL is the empty text.
CString ColumnText(_RecordsetPtr& recordset, const char* column);

// The same where the text must arrive exactly (it goes onto a card, or keys the issuing
// record): nothing for a NULL, and `exact` false when a character code page 936 lacks
// became '?'.
std::optional<CString> ExactColumnText(_RecordsetPtr& recordset, const char* column, bool& exact);
// The same by the column's place (Recordset::GetOrdinal), for reading many rows.
std::optional<CString> ExactColumnText(_RecordsetPtr& recordset, long column, bool& exact);
// ExactColumnUtf8's text that is not ASCII, converted into `held`.
std::optional<std::string_view> ConvertedColumnUtf8(_RecordsetPtr& recordset, long column, std::string& held,
                                                    bool& exact);
// The same as UTF-8, for printing many rows: ASCII, most of them, is a view of the kept
// bytes (valid until the result set moves); other text is converted into `held`. Inline for
// the ASCII: a lookup reads every value this way.
inline std::optional<std::string_view> ExactColumnUtf8(_RecordsetPtr& recordset, long column, std::string& held,
                                                       bool& exact) {
  if (const std::optional<std::string_view> ascii = recordset->GetAscii(column)) {
    exact = true;  // the same bytes in every form
    return ascii;
  }
  return ConvertedColumnUtf8(recordset, column, held, exact);
}

// The same statement, naming the ticket each card belongs to: issuing a ticket must know
// which of the tickets that end with the typed text it is.
inline constexpr char TICKET_CARDS_SQL[] =
    "select a.dticket_no,b.dcard,b.dcard_sbh from Kcard_ticket_BaseInfo a,Kcard_BaseInfo b "
    "where a.dticket_no = b.dticket_no and a.dticket_no like ? and a.dstate_run=0";

// The ticket number of the current row of TICKET_CARDS_SQL, without the blanks that pad a
// char(n) column: what the issuing record keys a card by.
CString TicketNumber(_RecordsetPtr& recordset);

struct TicketCard {
  CString ticket;                 // without the blanks that pad a char(n) column
  CString card;                   // a NULL card number is the empty text
  std::optional<CString> hidden;  // nothing for a NULL hidden code
  // The field that holds a character code page 936 lacks ("card number" or "hidden
  // code"), shown as '?' above; null when both came through unchanged.
  const char* lacking = nullptr;
};

// Every card of the tickets that match, in the database's order. Raises _com_error.
std::vector<TicketCard> FindTicketCards(_ConnectionPtr& connection, const CString& strTicket);

// The one ticket the operator means: the only one that matched, or the one whose number is
// the typed text itself. Nothing when several match and none is named exactly; then
// `tickets` lists them, in the order they came.
std::optional<CString> ChosenTicket(const std::vector<TicketCard>& cards, const CString& strTicket,
                                    std::vector<CString>& tickets);
