#pragma once
// The SQL Server route's last step: its login as the ODBC driver of this platform takes it.
// FreeTDS on Linux; on Windows the platform's own "SQL Server" driver.
#include <optional>
#include <string>

struct SqlServerLogin {
  std::u16string host;
  std::optional<std::u16string> port;  // none for a named instance (host\instance)
  std::optional<std::u16string> database, uid, pwd;
  std::optional<bool> encrypt;  // none: the driver's default
  bool strict = false;          // encryption that always checks the server's certificate
  std::optional<bool> trust;    // trust the server's certificate as it is
};

std::u16string SqlServerDriverString(const SqlServerLogin& login);

// ODBC takes a value in braces when it could be misread: one with a separator or a brace,
// with blanks at an end, or starting with a quote.
std::u16string Braced(const std::u16string& value);
