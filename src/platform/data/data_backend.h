#pragma once
// The seam of the data layer. Shared: the COM-style objects (connection, recordset, errors,
// variants), the ODBC calls both driver managers take, the connection-string rules, the
// dialects and the watchdog. Each platform supplies the rest, in posix/ (unixODBC, FreeTDS)
// and win32/ (odbc32, the platform's SQL Server driver), twins under the same file names:
// the apartment (apartment.cpp; CoInitialize and CoUninitialize are Windows' own), the
// driver connection, the one call whose string type differs between the driver managers
// (driver_connect.cpp, declared in driver_manager.h, which is included alone: the driver
// manager's own headers spell the platform's type names their way), a stalled server's link
// cut on Linux and none on Windows, whose drivers end a wait at their own timeout
// (link_sockets.cpp), the login as the platform's SQL Server driver reads it
// (sql_server_driver.cpp), and the environment the drivers read, which only Linux's need
// (driver_environment.cpp). FormatMessageA and LocalFree are Windows' own; posix/ builds them
// (format_message.cpp).
#include <tuple>

#include "platform/data/com.h"
#include "platform/data/com_runtime.h"
#include "platform/data/driver_environment.h"
#include "platform/data/format_message.h"
#include "platform/data/link_sockets.h"
#include "platform/data/sql_server_driver.h"

namespace odbc::seam {
// Everything a platform supplies, by address (DriverConnect beside it in odbc.cpp). com.cpp
// keeps this table, so a backend that lacks one fails to link on its own platform.
inline const auto kSupplied = std::make_tuple(
    &CoInitialize, &CoUninitialize, &CoIsInitialized, &com_runtime::Environment, &OpenSockets, &Added, &ShutDown,
    &SqlServerDriverString, &FormatMessageA, &LocalFree, &PrepareDriverEnvironment);
}  // namespace odbc::seam
