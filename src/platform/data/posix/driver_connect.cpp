#include "platform/data/driver_manager.h"

#include "platform/text/codepage.h"

namespace odbc {

// The narrow call with UTF-8: the driver manager hands a wide string to a driver without
// wide entry points before it knows the character set, and a Chinese path would be lost.
SQLRETURN DriverConnect(SQLHDBC dbc, const std::u16string& connectionString) {
  std::string narrow = text::Utf16ToUtf8(connectionString);
  return SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(narrow.data()), SQL_NTS, nullptr, 0, nullptr,
                          SQL_DRIVER_NOPROMPT);
}

}  // namespace odbc
