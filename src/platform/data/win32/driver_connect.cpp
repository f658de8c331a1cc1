#include "platform/data/driver_manager.h"

namespace odbc {

// The wide call: odbc32 hands each driver the string in the form it takes, and Wine's
// narrow SQLDriverConnect is no more than a stub.
SQLRETURN DriverConnect(SQLHDBC dbc, const std::u16string& connectionString) {
  std::wstring wide(connectionString.begin(), connectionString.end());
  return SQLDriverConnectW(dbc, nullptr, wide.data(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
}

}  // namespace odbc
