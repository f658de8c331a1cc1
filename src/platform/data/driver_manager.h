#pragma once
// The driver manager's headers as each platform has them, and the one call that differs
// between the two driver managers: connecting on a string, without prompting.
#if defined(_WIN32)
#include <windows.h>  // odbc32's headers take their types from it
#endif
#include <sql.h>
#include <sqlext.h>

#include <string>

namespace odbc {

SQLRETURN DriverConnect(SQLHDBC dbc, const std::u16string& connectionString);

}  // namespace odbc
