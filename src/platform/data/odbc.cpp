#include "platform/data/odbc.h"

#include "platform/data/driver_manager.h"
#include "platform/data/watchdog.h"
#include "platform/text/codepage.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <memory>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager's wide text is UTF-16");

namespace odbc {
namespace {

bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

SQLWCHAR* Wide(const std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(text.c_str())); }

Failure ReadFailure(SQLSMALLINT type, SQLHANDLE handle) {
  SQLWCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLWCHAR message[1024] = {};
  SQLSMALLINT length = 0;
  SQLRETURN rc = SQLGetDiagRecW(type, handle, 1, state, &native, message, static_cast<SQLSMALLINT>(std::size(message)),
                                &length);
  if (!Succeeded(rc)) return Failure{"HY000", 0, u"The driver gave no diagnostic."};
  Failure failure;
  for (SQLWCHAR c : state) {
    if (c != 0) failure.sqlState += static_cast<char>(c);
  }
  failure.nativeError = native;
  auto count = std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), std::size(message) - 1);
  failure.message.assign(reinterpret_cast<const char16_t*>(message), count);
  return failure;
}

[[noreturn]] void Fail(SQLSMALLINT type, SQLHANDLE handle) { throw Error{ReadFailure(type, handle)}; }

// The driver's own timeout answers at the limit where it can; the watchdog acts a moment
// later, for drivers that ignore the limit and servers that no longer answer.
std::chrono::milliseconds WatchdogLimit(unsigned long seconds) {
  using namespace std::chrono_literals;
  return seconds == 0 ? 0ms : std::chrono::milliseconds(std::chrono::seconds(seconds) + 1s);
}

const Failure kLoginTimedOut{"HYT00", 0, u"The login did not end within its timeout."};
const Failure kStatementTimedOut{"HYT00", 0, u"The statement did not end within its timeout."};

}  // namespace

// A statement handle freed on every way out.
class Statement {
 public:
  explicit Statement(SQLHDBC dbc) {
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_stmt))) Fail(SQL_HANDLE_DBC, dbc);
  }
  ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, m_stmt); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void Check(SQLRETURN rc) const {
    if (!Succeeded(rc)) Fail(SQL_HANDLE_STMT, m_stmt);
  }
  SQLHSTMT handle() const { return m_stmt; }

 private:
  SQLHSTMT m_stmt = SQL_NULL_HSTMT;
};

namespace {

// The column's name; `size` gets its size in characters (0 where the driver knows none).
// Nothing else is asked: psqlODBC answers a column's type by querying the catalog, a round
// trip to the server and a query as dear as a small lookup.
std::u16string DescribeColumn(const Statement& statement, SQLUSMALLINT column, SQLULEN& size) {
  SQLWCHAR name[256] = {};
  SQLSMALLINT length = 0;
  size = 0;
  statement.Check(SQLDescribeColW(statement.handle(), column, name, static_cast<SQLSMALLINT>(std::size(name)), &length,
                                  nullptr, &size, nullptr, nullptr));
  auto count = std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), std::size(name) - 1);
  return std::u16string(reinterpret_cast<const char16_t*>(name), count);
}

// Reads one value in full as wide text into `value`, in pieces when it is longer than the
// buffer; false for a NULL.
bool ReadValue(const Statement& statement, SQLUSMALLINT column, std::u16string& value) {
  value.clear();
  SQLWCHAR buffer[512];
  constexpr SQLLEN kPieceChars = std::size(buffer) - 1;  // the driver ends each piece in NUL
  for (;;) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(statement.handle(), column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
    if (rc == SQL_NO_DATA) break;
    statement.Check(rc);
    if (indicator == SQL_NULL_DATA) return false;
    SQLLEN chars = (indicator == SQL_NO_TOTAL || indicator / 2 > kPieceChars) ? kPieceChars : indicator / 2;
    value.append(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(chars));
    if (rc == SQL_SUCCESS) break;
  }
  return true;
}

void AddValue(const Statement& statement, SQLUSMALLINT column, std::u16string& scratch, Table& table) {
  if (ReadValue(statement, column, scratch)) table.Add(scratch);
  else table.AddNull();
}

// Reads every row into `table` with one SQLGetData a value: the way every driver offers.
void FetchRowByRow(const Statement& statement, SQLUSMALLINT columns, Table& table) {
  std::u16string scratch;
  SQLRETURN rc;
  while ((rc = SQLFetch(statement.handle())) != SQL_NO_DATA) {
    statement.Check(rc);
    for (SQLUSMALLINT c = 1; c <= columns; ++c) AddValue(statement, c, scratch, table);
  }
}

// A text the driver tells about itself (SQLGetInfo); empty when it does not.
std::u16string InfoText(SQLHDBC dbc, SQLUSMALLINT type) {
  SQLWCHAR text[128] = {};
  SQLSMALLINT bytes = 0;
  if (!Succeeded(SQLGetInfoW(dbc, type, text, sizeof text, &bytes))) return {};
  return std::u16string(
      reinterpret_cast<const char16_t*>(text),
      std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(bytes, 0)) / 2, std::size(text) - 1));
}

// Rows a fetch brings at once, and the room a bound buffer gives each value, in units
// (bytes or wide characters): enough for the lookup's columns, while longer values are read
// again in full.
constexpr SQLULEN kBlockRows = 256;
constexpr SQLULEN kFewestUnits = 64;
constexpr SQLULEN kMostChars = 256;

// One column's values for a block of rows, converted by the fetch itself: to wide text, the
// one form every driver gives exactly whatever the locale, or to UTF-8 where the driver was
// seen to give exactly that (NarrowIsUtf8, below), which costs the driver less.
struct BoundColumn {
  bool narrow = false;
  SQLULEN room = 0;  // units (bytes or wide characters) for each value, besides its NUL
  std::unique_ptr<char[]> data;
  std::vector<SQLLEN> indicators;

  // `chars`: the column's size in characters, as the driver describes it.
  BoundColumn(SQLULEN chars, SQLULEN rows, bool utf8)
      : narrow(utf8),
        // A wide unit is at most three bytes of UTF-8.
        room(std::clamp(utf8 ? 3 * chars : chars, kFewestUnits, utf8 ? 3 * kMostChars : kMostChars)),
        data(std::make_unique_for_overwrite<char[]>(rows * Stride())),
        indicators(rows) {}

  SQLSMALLINT Type() const { return narrow ? SQL_C_CHAR : SQL_C_WCHAR; }
  SQLLEN Stride() const { return static_cast<SQLLEN>((room + 1) * (narrow ? 1 : sizeof(SQLWCHAR))); }

  // Row `row` of the block into `table`; false when the value is longer than its room, or
  // is not UTF-8 after all: it must then be read again as wide text.
  bool Add(SQLULEN row, Table& table) const {
    const SQLLEN bytes = indicators[row];
    if (bytes == SQL_NULL_DATA) {
      table.AddNull();
      return true;
    }
    if (bytes < 0 || static_cast<SQLULEN>(bytes) > room * (narrow ? 1 : sizeof(SQLWCHAR))) return false;  // cut
    const char* value = data.get() + row * static_cast<SQLULEN>(Stride());
    if (narrow) return table.AddUtf8(std::string_view(value, static_cast<size_t>(bytes)));
    table.Add(std::u16string_view(reinterpret_cast<const char16_t*>(value), static_cast<size_t>(bytes) / 2));
    return true;
  }
};

// Reads every row of the result into `table` through bound buffers, a block of rows a fetch
// wherever the driver takes one: one SQLGetData a value costs more than the statement's own
// work on short values. A value longer than its buffer is read again in full where the driver can read a
// bound column again (and a row of a block, in a block); where it cannot, this gives false
// and the result must be read again another way.
bool FetchBound(const Statement& statement, const std::vector<SQLULEN>& sizes, SQLUINTEGER extensions, bool utf8,
                Table& table) {
  const SQLHSTMT handle = statement.handle();
  const auto columns = static_cast<SQLUSMALLINT>(sizes.size());
  SQLULEN rows = 1, fetched = 1;
  if (Succeeded(SQLSetStmtAttr(handle, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kBlockRows), 0)) &&
      Succeeded(SQLGetStmtAttr(handle, SQL_ATTR_ROW_ARRAY_SIZE, &rows, 0, nullptr))) {
    rows = std::clamp<SQLULEN>(rows, 1, kBlockRows);  // a driver may take fewer
  }
  if (rows > 1) statement.Check(SQLSetStmtAttr(handle, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0));
  const bool readAgain = (extensions & SQL_GD_BOUND) != 0 && (rows == 1 || (extensions & SQL_GD_BLOCK) != 0);
  std::vector<BoundColumn> bound;
  bound.reserve(columns);
  for (SQLUSMALLINT c = 0; c < columns; ++c) {
    BoundColumn& column = bound.emplace_back(std::min(sizes[c], kMostChars), rows, utf8);
    statement.Check(SQLBindCol(handle, static_cast<SQLUSMALLINT>(c + 1), column.Type(), column.data.get(),
                               column.Stride(), column.indicators.data()));
  }
  std::u16string scratch;
  bool whole = true;
  SQLRETURN rc;
  while (whole && (rc = SQLFetch(handle)) != SQL_NO_DATA) {
    statement.Check(rc);
    for (SQLULEN r = 0; whole && r < fetched; ++r) {
      for (SQLUSMALLINT c = 0; whole && c < columns; ++c) {
        if (bound[c].Add(r, table)) continue;
        whole = readAgain;
        if (!whole) break;
        if (rows > 1) {
          statement.Check(SQLSetPos(handle, static_cast<SQLSETPOSIROW>(r + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE));
        }
        AddValue(statement, static_cast<SQLUSMALLINT>(c + 1), scratch, table);
      }
    }
  }
  // The buffers go with this call; the statement must not write to them after it.
  SQLFreeStmt(handle, SQL_UNBIND);
  if (rows > 1) {
    SQLSetStmtAttr(handle, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
    SQLSetStmtAttr(handle, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
  }
  return whole;
}

// Whether the driver's narrow text is UTF-8, asked of the driver itself rather than guessed
// from its name or the locale: a text with a two-, a three- and a four-byte character goes
// out wide and must come back narrow as exactly its UTF-8. It goes as national text, so
// that the answer is the driver's and not the server's code page for plain text (a Chinese
// one lacks the four-byte character). A driver that answers in a code page, or cannot say,
// is read wide.
bool NarrowIsUtf8(SQLHDBC dbc) {
  static const char16_t kSent[] = u"\u00e9\u4e2d\U00020000";
  static const char kUtf8[] = "\xc3\xa9\xe4\xb8\xad\xf0\xa0\x80\x80";
  try {
    Statement probe(dbc);
    SQLLEN sentBytes = sizeof kSent - sizeof(char16_t);
    probe.Check(SQLBindParameter(probe.handle(), 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 16, 0,
                                 const_cast<char16_t*>(kSent), sentBytes, &sentBytes));
    std::u16string select = u"select ?";
    probe.Check(SQLExecDirectW(probe.handle(), Wide(select), SQL_NTS));
    probe.Check(SQLFetch(probe.handle()));
    char back[32] = {};
    SQLLEN length = 0;
    return SQLGetData(probe.handle(), 1, SQL_C_CHAR, back, sizeof back, &length) == SQL_SUCCESS &&
           std::string_view(back, static_cast<size_t>(std::max<SQLLEN>(length, 0))) == kUtf8;
  } catch (const Error&) {
    return false;
  }
}

}  // namespace

Environment::Environment() = default;

void* Environment::handle() const {
  // Made at the first connection: the driver manager reads its configuration then, not as
  // the program starts.
  if (m_env != nullptr) return m_env;
  SQLHENV env = SQL_NULL_HENV;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
    throw Error{Failure{"HY001", 0, u"The ODBC environment cannot be allocated."}};
  }
  SQLRETURN rc = SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  if (!Succeeded(rc)) {
    Failure failure = ReadFailure(SQL_HANDLE_ENV, env);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    throw Error{failure};
  }
  m_env = env;
  return m_env;
}

Environment::~Environment() {
  if (m_env != nullptr) SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

Connection::~Connection() {
  if (m_dbc != nullptr) {
    SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
  }
}

void Connection::Open(const std::u16string& connectionString, unsigned long loginTimeoutSeconds) {
  SQLHDBC dbc = SQL_NULL_HDBC;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, m_environment->handle(), &dbc))) {
    Fail(SQL_HANDLE_ENV, m_environment->handle());
  }
  // A driver without a login timeout simply connects without one.
  SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(loginTimeoutSeconds), 0);
  SocketSet before = OpenSockets();
  Watchdog watchdog(WatchdogLimit(loginTimeoutSeconds), [&before] { ShutDown(Added(before, OpenSockets())); });
  SQLRETURN rc = DriverConnect(dbc, connectionString);
  bool expired = watchdog.Stop();
  if (!Succeeded(rc) || expired) {
    // A login the watchdog cut is not to be trusted, whatever the driver made of it.
    Failure failure = expired ? kLoginTimedOut : ReadFailure(SQL_HANDLE_DBC, dbc);
    if (Succeeded(rc)) SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    throw Error{failure};
  }
  m_dbc = dbc;
  m_sockets = Added(before, OpenSockets());
  m_busySeconds.reset();
  m_narrowUtf8.reset();
  // Which data source this is: the statements are adapted to its rules, and its results
  // read the cheapest way its driver offers.
  m_dbms = DbmsNamed(InfoText(dbc, SQL_DBMS_NAME));
  if (!Succeeded(SQLGetInfo(dbc, SQL_GETDATA_EXTENSIONS, &m_getDataExtensions, sizeof m_getDataExtensions, nullptr))) {
    m_getDataExtensions = 0;
  }
}

void Connection::Close() {
  if (!Succeeded(SQLDisconnect(m_dbc))) Fail(SQL_HANDLE_DBC, m_dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
  m_dbc = nullptr;
}

// Closes a connection whose link is gone; the driver's complaints about it are moot.
void Connection::Drop() {
  SQLDisconnect(m_dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
  m_dbc = nullptr;
}

Table Connection::Query(const std::u16string& statement, const std::vector<Value>& parameters,
                        unsigned long timeoutSeconds) {
  bool lost = false;
  try {
    if (m_dbms == Dbms::Sqlite) SetBusyTimeout(timeoutSeconds);
    Statement handle(m_dbc);
    // Where the driver holds a link, only cutting it wakes a wait on a silent server; an
    // embedded engine is interrupted.
    Watchdog watchdog(WatchdogLimit(timeoutSeconds), [&] {
      if (m_sockets.empty()) SQLCancel(handle.handle());
      else ShutDown(m_sockets);
    });
    try {
      if (!m_narrowUtf8) m_narrowUtf8 = NarrowIsUtf8(m_dbc);
      Table table = Run(handle, statement, parameters, timeoutSeconds);
      if (watchdog.Stop() && !m_sockets.empty()) Drop();  // answered just as the link was cut
      return table;
    } catch (const Error& e) {
      bool expired = watchdog.Stop();
      lost = (expired && !m_sockets.empty()) || LinkLost(e.failure);  // asked while the statement exists
      if (expired) throw Error{kStatementTimedOut};
      throw;
    }
  } catch (const Error&) {
    // A dead connection would fail every later query; closed, the next one opens afresh.
    if (lost) Drop();
    throw;
  }
}

// The SQLite driver waits for a locked file as long as its Timeout keyword says (at most
// the login timeout, for the open). A statement the engine gives up on, after its busy
// timeout, the driver tries once more, which waits that long again: half the statement's
// timeout each, so both fit in it (connection_string.cpp keeps the driver's own wait to
// that half too).
void Connection::SetBusyTimeout(unsigned long seconds) {
  if (m_busySeconds == seconds) return;
  unsigned long milliseconds = seconds == 0 ? 0x7FFFFFFF : seconds * 500;
  std::string pragma = "PRAGMA busy_timeout = " + std::to_string(milliseconds);
  std::u16string wide(pragma.begin(), pragma.end());
  Statement statement(m_dbc);
  statement.Check(SQLExecDirectW(statement.handle(), Wide(wide), SQL_NTS));
  m_busySeconds = seconds;
}

// SQLSTATE class 08, or the driver's own verdict. A server that shuts down may first
// report it as a general error (psqlODBC: HY000 "The connection has been lost") and say
// so only at the next call; a trivial statement asks that call now.
bool Connection::LinkLost(const Failure& failure) const {
  auto said = [&](const Failure& f) {
    if (f.sqlState.starts_with("08")) return true;
    SQLUINTEGER dead = SQL_CD_FALSE;
    return Succeeded(SQLGetConnectAttr(m_dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) && dead == SQL_CD_TRUE;
  };
  if (said(failure)) return true;
  if (failure.sqlState != "HY000") return false;
  try {
    Statement probe(m_dbc);
    std::u16string select = u"select 1";
    probe.Check(SQLExecDirectW(probe.handle(), Wide(select), SQL_NTS));
    return false;
  } catch (const Error& e) {
    return said(e.failure);
  }
}

Table Connection::Run(const Statement& statement, const std::u16string& statementText,
                      const std::vector<Value>& parameters, unsigned long timeoutSeconds) {
  // A driver without statement timeouts runs the statement without one.
  SQLSetStmtAttr(statement.handle(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(timeoutSeconds), 0);
  std::vector<size_t> markers;
  std::u16string text = StatementFor(m_dbms, statementText, &markers);
  statement.Check(SQLPrepareW(statement.handle(), Wide(text), SQL_NTS));

  // The values and their lengths stay where they are until the statement has run.
  std::vector<SQLLEN> lengths(markers.size());
  for (size_t i = 0; i < markers.size(); ++i) {
    if (markers[i] >= parameters.size()) continue;  // not given: the driver tells
    const Value& value = parameters[markers[i]];
    lengths[i] = value ? static_cast<SQLLEN>(value->size() * sizeof(char16_t)) : SQL_NULL_DATA;
    // Plain text, as a literal in the statement would be: SQL Server compares national
    // text by other rules (the blanks padding a char(n) value count). The size is in the
    // server's bytes, up to three for each UTF-16 unit.
    SQLULEN columnSize = value ? std::max<size_t>(3 * value->size(), 1) : 1;
    SQLPOINTER data = value ? Wide(*value) : nullptr;
    statement.Check(SQLBindParameter(statement.handle(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_WCHAR,
                                     SQL_VARCHAR, columnSize, 0, data, value ? lengths[i] : 0, &lengths[i]));
  }
  SQLRETURN rc = SQLExecute(statement.handle());
  if (rc != SQL_NO_DATA) statement.Check(rc);

  Table table;
  SQLSMALLINT columns = 0;
  statement.Check(SQLNumResultCols(statement.handle(), &columns));
  std::vector<SQLULEN> sizes(static_cast<size_t>(std::max<SQLSMALLINT>(columns, 0)));
  for (SQLUSMALLINT c = 1; c <= columns; ++c) {
    table.columns.push_back(DescribeColumn(statement, c, sizes[c - 1]));
  }
  if (columns > 0 && !FetchBound(statement, sizes, m_getDataExtensions, m_narrowUtf8.value_or(false), table)) {
    // A value too long for its buffer that cannot be read again where it lies: the result
    // once more, a value at a time. Only a query gives rows, so running it again changes
    // nothing.
    table.ClearRows();
    statement.Check(SQLFreeStmt(statement.handle(), SQL_CLOSE));
    rc = SQLExecute(statement.handle());
    if (rc != SQL_NO_DATA) statement.Check(rc);
    FetchRowByRow(statement, static_cast<SQLUSMALLINT>(columns), table);
  }
  SQLLEN changed = -1;
  if (columns == 0 && Succeeded(SQLRowCount(statement.handle(), &changed)))
    table.rowsAffected = static_cast<long>(changed);
  return table;
}

}  // namespace odbc
