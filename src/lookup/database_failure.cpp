#include "lookup/database_failure.h"

#include "platform/text/codepage.h"

namespace {

struct Advice {
  const char* sqlState;   // a whole SQLSTATE, or its class
  const char* inMessage;  // or a phrase of drivers that report every failure as HY000
  const char* check;
};

// clang-format off
constexpr Advice kAdvice[] = {
    {"IM002", nullptr, "the ODBC driver the connection string names is not installed: compare its DRIVER= (or Provider=) with 'odbcinst -q -d'"},
    {"IM", nullptr, "the ODBC driver could not be loaded: check its installation and odbcinst.ini"},
    {nullptr, "Can't open lib", "the ODBC driver the connection string names is not installed: compare its DRIVER= with 'odbcinst -q -d'"},
    {nullptr, "[SQLite]connect failed", "the SQLite file Database= names cannot be opened: check that it exists and this user may read and write it"},
    {"28", nullptr, "the server refused the login: check UID= and PWD= in the connection string"},
    {"3D000", nullptr, "the server has no database of the name DATABASE= gives"},
    {"08", nullptr, "the database server cannot be reached: check SERVER= (or BRIMLOCK_DB_SERVER), its port, and that the server runs"},
    {"HYT00", nullptr, "the database did not answer in time: check that the server runs and is not busy or locked"},
    {"42S02", nullptr, "a table the program reads is not in this database: check that DATABASE= names the ticket database"},
    {"42P01", nullptr, "a table the program reads is not in this database: check that DATABASE= names the ticket database"},
    {nullptr, "no such table", "a table the program reads is not in this database: check that Database= names the ticket database's file"},
    {nullptr, "unable to open database", "the database file cannot be opened: check that the file Database= names exists and may be read"},
    {nullptr, "database is locked", "another program holds the database file: try again once it is done"},
    {nullptr, "connection string", "the connection string is malformed: check BRIMLOCK_CONNECTION (or BRIMLOCK_CONNECTION_FILE), KEY=value pairs separated by ';'"},
};
// clang-format on

// The driver's words on one line: a server's message may span several, indented.
std::string DescriptionOf(const _com_error& e) {
  if (e.ErrorInfo() == nullptr) return {};
  std::string said, pending;
  for (const char c : text::Utf16ToUtf8(e.ErrorInfo()->description)) {
    if (c == '\n' || c == '\r' || c == '\t' || c == ' ') {
      pending = (c == '\n' || pending == "; ") ? "; " : pending.empty() ? " " : pending;
      continue;
    }
    if (!said.empty()) said += pending;
    pending.clear();
    said += c;
  }
  return said;
}

}  // namespace

std::string FailureDiagnostic(const _com_error& e) {
  const ErrorInformation* info = e.ErrorInfo();
  if (info == nullptr) return text::Cp936ToUtf8(e.ErrorMessage());
  std::string said = info->sqlState.empty() ? std::string() : "SQLSTATE " + info->sqlState + ": ";
  return said + (info->description.empty() ? text::Cp936ToUtf8(e.ErrorMessage()) : DescriptionOf(e));
}

std::string WhatToCheck(const _com_error& e) {
  const std::string state = e.ErrorInfo() != nullptr ? e.ErrorInfo()->sqlState : std::string();
  const std::string message = DescriptionOf(e);
  for (const Advice& advice : kAdvice) {
    if (advice.sqlState != nullptr ? state.starts_with(advice.sqlState)
                                   : message.find(advice.inMessage) != std::string::npos)
      return advice.check;
  }
  return "check the connection string and the database server's own log";
}
