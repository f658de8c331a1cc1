#pragma once
// The ODBC calls behind the data-access objects, in plain C++ types. This header and
// odbc.cpp are the only places that see the driver manager; its headers bring their own
// Windows-like type names, which must not meet the program's.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/data/dialect.h"
#include "platform/data/link_sockets.h"
#include "platform/data/table.h"

namespace odbc {

// The first diagnostic record of a failed call.
struct Failure {
  std::string sqlState;
  long nativeError = 0;
  std::u16string message;
};

// Thrown by every call here that fails.
struct Error {
  Failure failure;
};

using Value = std::optional<std::u16string>;  // nullopt is a database NULL

class Environment {
 public:
  Environment();
  ~Environment();
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;
  // The environment's handle, with ODBC 3 behaviour; throws Error when none can be had.
  void* handle() const;

 private:
  mutable void* m_env = nullptr;
};

class Statement;

class Connection {
 public:
  explicit Connection(std::shared_ptr<Environment> environment) : m_environment(std::move(environment)) {}
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool IsOpen() const { return m_dbc != nullptr; }
  // Connects without prompting; on failure the connection stays closed. A zero timeout
  // waits as long as the driver does.
  void Open(const std::u16string& connectionString, unsigned long loginTimeoutSeconds);
  void Close();
  // Runs one statement, as the data source must receive it to match as SQL Server does,
  // with its `?` markers bound, in order, to plain (not national) text values. It ends
  // within its timeout (0: none) even where the server stops answering; a failure that
  // shows the link to the data source gone closes the connection too.
  Table Query(const std::u16string& statement, const std::vector<Value>& parameters, unsigned long timeoutSeconds);

 private:
  Table Run(const Statement& handle, const std::u16string& statement, const std::vector<Value>& parameters,
            unsigned long timeoutSeconds);
  bool LinkLost(const Failure& failure) const;
  void SetBusyTimeout(unsigned long seconds);
  void Drop();

  std::shared_ptr<Environment> m_environment;
  void* m_dbc = nullptr;
  Dbms m_dbms = Dbms::Other;
  std::optional<bool> m_narrowUtf8;            // the driver's narrow text is UTF-8: asked at the first query
  std::uint32_t m_getDataExtensions = 0;       // SQL_GETDATA_EXTENSIONS: where a bound value can be read again
  SocketSet m_sockets;                         // the driver's link to a server; empty for an embedded engine
  std::optional<unsigned long> m_busySeconds;  // as last set on the engine
};

}  // namespace odbc
