// The cheapest ODBC client of a lookup the API allows, the bench's anchor for what a driver
// costs: the statement prepared with its pattern bound, both columns bound as narrow text, a
// block cursor of 256 rows, every row printed as the shells print them ("a|b", a NULL as
// nothing). Usage: best_client ODBC-STRING STATEMENT PATTERN
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr SQLULEN kRows = 256;
constexpr SQLLEN kRoom = 256;  // bytes a value, with its NUL: far more than the bench's values

bool Ok(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

int Fail(const char* what) {
  std::fprintf(stderr, "best_client: %s failed\n", what);
  return 1;
}

SQLCHAR* Chars(const char* text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: best_client ODBC-STRING STATEMENT PATTERN\n");
    return 2;
  }
  SQLHENV env;
  SQLHDBC dbc;
  SQLHSTMT stmt;
  if (!Ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return Fail("SQLAllocHandle");
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  if (!Ok(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) return Fail("SQLAllocHandle");
  if (!Ok(SQLDriverConnect(dbc, nullptr, Chars(argv[1]), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
    return Fail("SQLDriverConnect");
  }
  if (!Ok(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt))) return Fail("SQLAllocHandle");
  if (!Ok(SQLPrepare(stmt, Chars(argv[2]), SQL_NTS))) return Fail("SQLPrepare");
  // Every marker takes the pattern (a statement sent to SQLite matches it twice).
  SQLLEN patternLength = static_cast<SQLLEN>(std::strlen(argv[3]));
  SQLSMALLINT markers = 0;
  SQLNumParams(stmt, &markers);
  for (SQLUSMALLINT marker = 1; marker <= markers; ++marker) {
    if (!Ok(SQLBindParameter(stmt, marker, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                             static_cast<SQLULEN>(patternLength) + 1, 0, argv[3], patternLength, &patternLength))) {
      return Fail("SQLBindParameter");
    }
  }
  if (!Ok(SQLExecute(stmt))) return Fail("SQLExecute");
  static char text[2][kRows][kRoom];
  static SQLLEN lengths[2][kRows];
  SQLULEN fetched = 0;
  if (!Ok(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0)) ||
      !Ok(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0))) {
    return Fail("a block cursor");
  }
  for (SQLUSMALLINT c = 0; c < 2; ++c) {
    if (!Ok(SQLBindCol(stmt, c + 1, SQL_C_CHAR, text[c], kRoom, lengths[c]))) return Fail("SQLBindCol");
  }
  SQLRETURN rc;
  while (Ok(rc = SQLFetch(stmt))) {
    for (SQLULEN r = 0; r < fetched; ++r) {
      for (int c = 0; c < 2; ++c) {
        if (c > 0) std::putchar('|');
        if (lengths[c][r] != SQL_NULL_DATA) std::fputs(text[c][r], stdout);
      }
      std::putchar('\n');
    }
  }
  if (rc != SQL_NO_DATA) return Fail("SQLFetch");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  return 0;
}
