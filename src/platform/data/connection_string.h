#pragma once
// The connection string keeps the platform's form; ODBC gets its own:
//   Provider=SQLOLEDB;SERVER=host[,port];DATABASE=..;UID=..;PWD=..;   -> FreeTDS, or on Windows
//                                                       the platform's "SQL Server" driver
//     [Encrypt=yes|true|strict|no] [Use Encryption for Data=True] [TrustServerCertificate=yes]
//   Provider=MSDASQL;<ODBC keywords>  (or no Provider at all)         -> the keywords unchanged,
//     except quoted values (OLE DB's "a;b", 'a;b', doubled inside, or ODBC's {a;b}), which
//     go in the form the named driver decodes
#include <string>

// Raises _com_error for an unknown provider, a keyword the SQL Server route does not offer,
// or a value its driver cannot be given whole. A non-empty user id or password replaces the
// string's own. The SQLite driver is told how long to wait for a locked file (no longer than
// the login timeout, nor half the command timeout), unless the string says.
std::u16string OdbcConnectionString(const std::u16string& connectionString, const std::u16string& userId,
                                    const std::u16string& password, long loginTimeoutSeconds = 15,
                                    long commandTimeoutSeconds = 30);
