#pragma once
// The ticket match as SQL Server's plain-text LIKE has it, one table for every route the
// lookup takes (SQLite and PostgreSQL through their drivers, SQLite under Wine's odbc32),
// over sql/sample.sql and ticket_match_extra.sql: "%" and "_" are wildcards, a backslash
// is a character, case does not count, nor do blanks after a ticket number.
#include <string>
#include <vector>

struct TicketMatchCase {
  const char* ticket;              // as the operator types it; the lookup binds "%" + it
  std::vector<std::string> cards;  // "card|hidden code" by card number, code page 936
};

inline const TicketMatchCase kTicketMatchCases[] = {
    {"123", {"10000001|H0001", "10000002|H0002", "10000003|贵宾卡0003"}},
    {"1_3", {"10000001|H0001", "10000002|H0002", "10000003|贵宾卡0003"}},
    {"1%4", {"10000004|H0004", "10000005|H0005", "10000006|H0006"}},
    {"a0123", {"10000002|H0002", "10000003|贵宾卡0003"}},
    {"B0123", {}},  // out of service
    {"9001", {"10000008|<NULL>"}},
    {"A\\B7", {"10000009|H0009"}},
    {"\\B7", {"10000009|H0009"}},
    {"a\\b7", {"10000009|H0009"}},
    {"体票007", {"10000010|贵宾"}},
    {"pad", {"10000011|H0011"}},
    {"1234 ", {}},
    {"'; drop table Kcard_BaseInfo; --", {}},
};
