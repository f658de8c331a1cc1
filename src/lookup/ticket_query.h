#pragma once
// The ticket query as plain functions: the window's Query and brimlock-card's lookup run
// the same statement, with the same pattern, on the same connection settings.
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
