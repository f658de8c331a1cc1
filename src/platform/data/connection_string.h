#pragma once
// The connection string keeps the platform's form; ODBC gets its own:
//   Provider=SQLOLEDB;SERVER=host[,port];DATABASE=..;UID=..;PWD=..;   -> FreeTDS, or on Windows
//                                                       the platform's "SQL Server" driver
//     [Encrypt=yes|true|strict|no] [Use Encryption for Data=True] [TrustServerCertificate=yes]
//   Provider=MSDASQL;<ODBC keywords>  (or no Provider at all)         -> the keywords unchanged,
//     except values in OLE DB's quotes ("a;b", 'a;b', doubled inside), which ODBC takes braced
#include <string>

// Raises _com_error for an unknown provider or a keyword the SQL Server route does not
// offer. A non-empty user id or password replaces the string's own. The SQLite driver is
// told to wait no longer than the login timeout for a locked file, unless the string says.
std::u16string OdbcConnectionString(const std::u16string& connectionString,
                                    const std::u16string& userId, const std::u16string& password,
                                    long loginTimeoutSeconds = 15);
