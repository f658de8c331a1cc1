#pragma once
#include "platform/text/CString.h"

// The ticket's cards: tickets in service whose number ends with the typed text. The text is
// bound to the one parameter as "%" + text, so quotes stay literal and "%" and "_" keep
// their pattern meaning.
inline constexpr char TICKET_QUERY_SQL[] =
    "select b.dcard,b.dcard_sbh from Kcard_ticket_BaseInfo a,Kcard_BaseInfo b "
    "where a.dticket_no = b.dticket_no and a.dticket_no like ? and a.dstate_run=0";

// The built-in connection string, unless the environment replaces it.
CString DatabaseConnectionString();
