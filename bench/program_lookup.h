#pragma once
// A ticket lookup as the program makes it: the connection opened when it is closed (the
// first lookup, or after a lost link), the statement run with the pattern bound, and both
// values of every match read as the panel shows them (code page 936). Gives the number of
// matches; raises _com_error.
#include <string>

#include "lookup/ticket_query.h"
#include "platform/data/ado.h"
#include "platform/data/dialect.h"

inline size_t ProgramLookup(_ConnectionPtr& connection, const std::string& connectionString, const char* pattern) {
  if (connection->GetState() == adStateClosed) connection->Open(connectionString.c_str(), "", "", adConnectUnspecified);
  _RecordsetPtr recordset;
  recordset.CreateInstance(CLSID_Recordset);
  recordset->Open(TICKET_QUERY_SQL, connection, adOpenStatic, adLockOptimistic, adCmdText, pattern);
  size_t rows = 0, bytes = 0;
  for (; !recordset->GetadoEOF(); recordset->MoveNext(), ++rows) {
    for (const char* column : {"dcard", "dcard_sbh"}) {
      _variant_t value = recordset->GetCollect(column);
      if (value.vt != VT_NULL) bytes += std::string(static_cast<const char*>(static_cast<_bstr_t>(value))).size();
    }
  }
  recordset->Close();
  return bytes > 0 ? rows : 0;
}

// The same on a connection of its own, closed again.
inline size_t ProgramLookup(const std::string& connectionString, const char* pattern) {
  _ConnectionPtr connection;
  connection.CreateInstance(CLSID_Connection);
  size_t rows = ProgramLookup(connection, connectionString, pattern);
  connection->Close();
  return rows;
}

// The statement as the program's route to `dbms` sends it, its markers in place.
inline std::string RewrittenStatement(odbc::Dbms dbms) {
  const std::string program = TICKET_QUERY_SQL;
  std::string statement;
  for (char16_t c : odbc::StatementFor(dbms, std::u16string(program.begin(), program.end())))
    statement += static_cast<char>(c);  // the statement is ASCII
  return statement;
}

// The same with `pattern` as a literal in place of every marker (they all take the pattern):
// what a shell beside it must run to do the same work.
inline std::string SentStatement(odbc::Dbms dbms, const std::string& pattern) {
  std::string statement = RewrittenStatement(dbms);
  for (size_t at; (at = statement.find('?')) != std::string::npos;) statement.replace(at, 1, "'" + pattern + "'");
  return statement;
}
