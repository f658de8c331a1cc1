#include "platform/data/odbc_error.h"

#include <string_view>

#include "platform/data/ado_types.h"

namespace {

struct StateCode {
  std::string_view prefix;  // a whole SQLSTATE or its class
  HRESULT code;
};
// clang-format off
constexpr StateCode kStateCodes[] = {
    {"42", DB_E_ERRORSINCOMMAND},  // syntax error or access rule violation
    {"28000", DB_SEC_E_AUTH_FAILED},
    {"08", E_FAIL},  // the server cannot be reached or dropped the link
    {"HYT00", DB_E_ABORTLIMITREACHED},
    {"HYT01", DB_E_ABORTLIMITREACHED},
    {"57014", DB_E_ABORTLIMITREACHED},  // PostgreSQL cancelled it at the statement timeout
};
// clang-format on

// The SQLite driver classes every failure of the engine as HY000 with the engine's own
// code: SQLITE_ERROR for a statement it rejects (no such table or column, a syntax error),
// an error in the command all the same; SQLITE_BUSY for a file still locked when the busy
// timeout ran out, a timeout.
constexpr long SQLITE_ERROR = 1;
constexpr long SQLITE_BUSY = 5;
bool IsSqlite(const odbc::Failure& failure, long engineCode) {
  return failure.sqlState == "HY000" && failure.nativeError == engineCode && failure.message.starts_with(u"[SQLite]");
}

}  // namespace

HRESULT HresultFromDiagnostic(const odbc::Failure& failure) {
  if (IsSqlite(failure, SQLITE_ERROR)) return DB_E_ERRORSINCOMMAND;
  if (IsSqlite(failure, SQLITE_BUSY)) return DB_E_ABORTLIMITREACHED;
  for (const StateCode& entry : kStateCodes) {
    if (std::string_view(failure.sqlState).starts_with(entry.prefix)) return entry.code;
  }
  return E_FAIL;
}

_com_error ComErrorFromOdbc(const odbc::Failure& failure) {
  auto info = std::make_shared<ErrorInformation>();
  info->sqlState = failure.sqlState;
  info->nativeError = failure.nativeError;
  info->description = failure.message;
  return _com_error(HresultFromDiagnostic(failure), std::move(info));
}
