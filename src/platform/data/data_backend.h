#pragma once
// The seam of the data layer. Shared: the COM-style objects (connection, recordset, errors,
// variants), the ODBC calls both driver managers take, the connection-string rules, the
// dialects and the watchdog. Each platform supplies, under the same file names in posix/
// (unixODBC, FreeTDS) and win32/ (odbc32, the platform's SQL Server driver):
//
//   apartment.cpp          CoIsInitialized and com_runtime::Environment (com.h,
//                          com_runtime.h); Linux also CoInitialize and CoUninitialize,
//                          which Windows has itself
//   driver_connect.cpp     odbc::DriverConnect (driver_manager.h): the one call whose
//                          string type differs between the driver managers
//   link_sockets.cpp       OpenSockets, Added, ShutDown (link_sockets.h): a stalled
//                          server's link cut on Linux; none on Windows, whose drivers end
//                          a wait at their own timeout
//   sql_server_driver.cpp  SqlServerDriverString (sql_server_driver.h): the login as the
//                          platform's SQL Server driver reads it
//
// And, what Windows has itself (posix/ only):
//
//   format_message.cpp     FormatMessageA and LocalFree (format_message.h)
// driver_manager.h is included alone: the driver manager's own headers spell the
// platform's type names their way.
#include "platform/data/com.h"
#include "platform/data/com_runtime.h"
#include "platform/data/format_message.h"
#include "platform/data/link_sockets.h"
#include "platform/data/sql_server_driver.h"
