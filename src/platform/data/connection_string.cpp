#include "platform/data/connection_string.h"

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/data/ado_types.h"
#include "platform/data/com_error.h"
#include "platform/data/sql_server_driver.h"

namespace {

struct Entry {
  std::u16string key;    // trimmed
  std::u16string value;  // trimmed, quotes or braces taken off
  std::u16string raw;    // as written, for passing on unchanged
  bool quoted = false;   // written in OLE DB's "..." or '...', which ODBC does not read
  bool braced = false;   // written in ODBC's {...}, which not every driver reads
};

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Trim(std::u16string_view s) {
  size_t first = 0, last = s.size();
  while (first < last && IsSpace(s[first])) ++first;
  while (last > first && IsSpace(s[last - 1])) --last;
  return std::u16string(s.substr(first, last - first));
}

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? c - u'A' + u'a' : c; }

bool Is(const std::u16string& key, std::initializer_list<std::u16string_view> names) {
  return std::any_of(names.begin(), names.end(), [&](std::u16string_view name) {
    return key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(),
                                                   [](char16_t a, char16_t b) { return Lower(a) == Lower(b); });
  });
}

[[noreturn]] void Reject(HRESULT code, const std::u16string& why) {
  auto info = std::make_shared<ErrorInformation>();
  info->description = why;
  throw _com_error(code, std::move(info));
}

// Splits at semicolons outside {braced} or "quoted" values; a closing brace or quote is
// escaped by doubling it, as both syntaxes do.
std::vector<Entry> Parse(const std::u16string& text) {
  std::vector<Entry> entries;
  size_t i = 0;
  while (i < text.size()) {
    size_t start = i;
    size_t equals = text.find(u'=', i);
    size_t semicolon = text.find(u';', i);
    if (equals == std::u16string::npos || (semicolon != std::u16string::npos && semicolon < equals)) {
      // No "=" in this piece: an empty piece is allowed, anything else is not a keyword.
      size_t end = semicolon == std::u16string::npos ? text.size() : semicolon;
      if (!Trim(std::u16string_view(text).substr(start, end - start)).empty()) {
        Reject(E_FAIL, u"The connection string has a part without '=': " + text.substr(start, end - start));
      }
      i = end + 1;
      continue;
    }
    Entry entry;
    entry.key = Trim(std::u16string_view(text).substr(start, equals - start));
    size_t v = equals + 1;
    while (v < text.size() && IsSpace(text[v])) ++v;
    if (v < text.size() && (text[v] == u'{' || text[v] == u'"' || text[v] == u'\'')) {
      char16_t close = text[v] == u'{' ? u'}' : text[v];
      entry.quoted = close != u'}';
      entry.braced = !entry.quoted;
      size_t j = v + 1;
      for (;; ++j) {
        if (j >= text.size()) Reject(E_FAIL, u"The connection string has an unclosed value.");
        if (text[j] == close) {
          if (j + 1 < text.size() && text[j + 1] == close) {
            entry.value += close;
            ++j;
            continue;
          }
          break;
        }
        entry.value += text[j];
      }
      i = j + 1;
      while (i < text.size() && IsSpace(text[i])) ++i;
      if (i < text.size() && text[i] != u';') {
        Reject(E_FAIL, u"The connection string has text after a closed value.");
      }
    } else {
      i = std::min(text.find(u';', v), text.size());
      entry.value = Trim(std::u16string_view(text).substr(v, i - v));
    }
    entry.raw = text.substr(start, i - start);
    entries.push_back(std::move(entry));
    ++i;
  }
  return entries;
}

}  // namespace

bool NeedsBraces(const std::u16string& value) {
  return value.find_first_of(u";{}") != std::u16string::npos ||
         (!value.empty() &&
          (IsSpace(value.front()) || IsSpace(value.back()) || value.front() == u'"' || value.front() == u'\''));
}

void RefuseValue(const std::u16string& key, const std::u16string& driver, const std::u16string& why) {
  Reject(E_FAIL, u"The value of '" + key + u"' cannot be given to the " + driver + u" driver: " + why + u".");
}

std::u16string Braced(const std::u16string& value) {
  if (!NeedsBraces(value)) return value;
  std::u16string out = u"{";
  for (char16_t c : value) {
    out += c;
    if (c == u'}') out += c;
  }
  return out + u"}";
}

namespace {

// A yes-or-no keyword's value; `strict` also counts as yes where it is offered.
bool Flag(const Entry& e, bool strictOffered = false) {
  if (Is(e.value, {u"yes", u"true", u"mandatory"}) || (strictOffered && Is(e.value, {u"strict"}))) return true;
  if (Is(e.value, {u"no", u"false", u"optional"})) return false;
  Reject(E_FAIL, u"The keyword '" + e.key + u"' takes yes or no, not '" + e.value + u"'.");
}

std::u16string ForSqlServer(const std::vector<Entry>& entries, const std::u16string& userId,
                            const std::u16string& password) {
  SqlServerLogin login;
  std::optional<std::u16string> server;
  for (const Entry& e : entries) {
    if (Is(e.key, {u"Provider"})) continue;
    if (Is(e.key, {u"Server", u"Data Source", u"Address", u"Addr"})) server = e.value;
    else if (Is(e.key, {u"Database", u"Initial Catalog"})) login.database = e.value;
    else if (Is(e.key, {u"UID", u"User ID"})) login.uid = e.value;
    else if (Is(e.key, {u"PWD", u"Password"})) login.pwd = e.value;
    else if (Is(e.key, {u"Encrypt", u"Use Encryption for Data"})) {
      login.encrypt = Flag(e, Is(e.key, {u"Encrypt"}));
      login.strict = Is(e.value, {u"strict"});
    } else if (Is(e.key, {u"TrustServerCertificate", u"Trust Server Certificate"})) login.trust = Flag(e);
    else Reject(E_FAIL, u"The keyword '" + e.key + u"' is not offered with Provider=SQLOLEDB.");
  }
  if (!userId.empty()) login.uid = userId;
  if (!password.empty()) login.pwd = password;

  // "host,port" names the port; "host\instance" is found through the server's browser.
  std::u16string host = server.value_or(u"localhost");
  std::u16string port = u"1433";
  if (size_t comma = host.rfind(u','); comma != std::u16string::npos) {
    port = Trim(std::u16string_view(host).substr(comma + 1));
    host = Trim(std::u16string_view(host).substr(0, comma));
    bool digits = !port.empty() && port.size() <= 5 &&
                  std::all_of(port.begin(), port.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
    if (!digits || std::stoi(std::string(port.begin(), port.end())) > 65535) {
      Reject(E_FAIL, u"The server's port '" + port + u"' is not a port number.");
    }
  }
  login.host = host;
  // A named instance's port comes from the server's browser.
  if (host.find(u'\\') == std::u16string::npos) login.port = port;
  return SqlServerDriverString(login);
}

// Drivers that read values their own way rather than as ODBC says.
enum class DriverKind { Standard, Sqlite, PostgreSql };

DriverKind KindOf(const std::vector<Entry>& entries) {
  for (const Entry& e : entries) {
    if (!Is(e.key, {u"DRIVER"})) continue;
    std::u16string driver;
    for (char16_t c : e.value) driver += Lower(c);
    if (driver.find(u"sqlite") != std::u16string::npos) return DriverKind::Sqlite;
    if (driver.find(u"postgres") != std::u16string::npos) return DriverKind::PostgreSql;
  }
  return DriverKind::Standard;
}

// A value in the form its driver decodes. The SQLite driver reads no braces at all and
// psqlODBC reads them in a password only, so elsewhere a value goes as it is, and one that
// would need them (a separator in it) cannot be given.
std::u16string ValueFor(DriverKind kind, const std::u16string& key, const std::u16string& value) {
  const bool bracesRead = kind == DriverKind::Standard || (kind == DriverKind::PostgreSql && Is(key, {u"PWD"}));
  if (bracesRead) return Braced(value);
  if (value.find(u';') != std::u16string::npos) {
    RefuseValue(key, kind == DriverKind::Sqlite ? u"SQLite" : u"PostgreSQL",
                u"it holds ';', which that driver cannot take");
  }
  return value;
}

// The SQLite driver's Timeout (ms) bounds its own waits for a locked file: the open's, and
// the one more try it gives a statement the engine has given up on, which then waits the
// engine's busy timeout once more. The statement's busy timeout is half the command timeout
// (odbc.cpp) and this is no more, so the two waits fit in it; nor more than the login's.
long SqliteDriverWaitMs(long loginTimeoutSeconds, long commandTimeoutSeconds) {
  long ms = loginTimeoutSeconds * 1000;
  if (commandTimeoutSeconds > 0 && (ms <= 0 || commandTimeoutSeconds * 500 < ms)) ms = commandTimeoutSeconds * 500;
  return ms;
}

std::u16string ForOdbc(const std::vector<Entry>& entries, const std::u16string& userId, const std::u16string& password,
                       long loginTimeoutSeconds, long commandTimeoutSeconds) {
  const DriverKind kind = KindOf(entries);
  std::u16string out;
  bool timeoutGiven = false;
  for (const Entry& e : entries) {
    timeoutGiven = timeoutGiven || Is(e.key, {u"Timeout"});
    if (Is(e.key, {u"Provider"})) continue;
    if (!userId.empty() && Is(e.key, {u"UID"})) continue;
    if (!password.empty() && Is(e.key, {u"PWD"})) continue;
    // The driver manager itself reads the driver's and the data source's names.
    const bool plain = !(e.quoted || e.braced) || Is(e.key, {u"DRIVER", u"DSN"});
    out += plain ? e.raw + u";" : e.key + u"=" + ValueFor(kind, e.key, e.value) + u";";
  }
  if (!userId.empty()) out += u"UID=" + ValueFor(kind, u"UID", userId) + u";";
  if (!password.empty()) out += u"PWD=" + ValueFor(kind, u"PWD", password) + u";";
  const long waitMs = SqliteDriverWaitMs(loginTimeoutSeconds, commandTimeoutSeconds);
  if (!timeoutGiven && waitMs > 0 && kind == DriverKind::Sqlite) {
    std::string ms = std::to_string(waitMs);
    out += u"Timeout=" + std::u16string(ms.begin(), ms.end()) + u";";
  }
  return out;
}

}  // namespace

std::u16string OdbcConnectionString(const std::u16string& connectionString, const std::u16string& userId,
                                    const std::u16string& password, long loginTimeoutSeconds,
                                    long commandTimeoutSeconds) {
  std::vector<Entry> entries = Parse(connectionString);
  std::u16string provider = u"MSDASQL";  // the platform's default provider speaks ODBC
  for (const Entry& e : entries) {
    if (Is(e.key, {u"Provider"})) provider = e.value;
  }
  if (Is(provider, {u"SQLOLEDB", u"SQLOLEDB.1"})) return ForSqlServer(entries, userId, password);
  if (Is(provider, {u"MSDASQL", u"MSDASQL.1"}))
    return ForOdbc(entries, userId, password, loginTimeoutSeconds, commandTimeoutSeconds);
  Reject(adErrProviderNotFound, u"The provider '" + provider + u"' is not offered.");
}
