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

// Whether a value could be misread unbraced: one with a separator, starting with a brace
// or a quote, or with blanks at an end.
bool NeedsBraces(const std::u16string& value);
// ODBC's own form: such a value in braces, a closing brace in it doubled.
std::u16string Braced(const std::u16string& value);
// Refuses a connection string whose value for `key` cannot reach `driver` as written.
[[noreturn]] void RefuseValue(const std::u16string& key, const std::u16string& driver, const std::u16string& why);
