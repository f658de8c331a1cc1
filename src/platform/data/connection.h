#pragma once
// The connection object: closed when created, opened on a connection string, and closed
// again. Every failure raises _com_error.
#include <memory>
#include <vector>

#include "platform/data/ado_types.h"
#include "platform/data/bstr.h"
#include "platform/data/com.h"
#include "platform/data/variant.h"

namespace odbc {
class Connection;
class Table;
}  // namespace odbc

class Connection : public ComObject {
 public:
  static const CLSID& ClassId() { return CLSID_Connection; }

  long GetState();  // adStateClosed or adStateOpen
  // Waits at most ConnectionTimeout for the login. On failure the connection stays closed.
  HRESULT Open(const _bstr_t& connectionString, const _bstr_t& userId, const _bstr_t& password, long options);
  HRESULT Close();  // raises adErrObjectClosed when not open
  // Runs a statement that changes rows (the issuing record's), its `?` markers bound in
  // order to the values (text, or VT_NULL), within the command timeout; gives the number of
  // rows it changed, -1 when the driver does not tell.
  long Execute(const _bstr_t& statement, const std::vector<_variant_t>& parameters);

  // Seconds to wait for a login and for each statement run on this connection; 0 waits
  // without end, a negative value raises adErrInvalidArgument. The platform's defaults,
  // 15 and 30, are what the program runs with.
  long GetConnectionTimeout() const { return m_connectionTimeout; }
  void PutConnectionTimeout(long seconds);
  long GetCommandTimeout() const { return m_commandTimeout; }
  void PutCommandTimeout(long seconds);

 private:
  friend class Recordset;
  odbc::Table Run(const _bstr_t& statement, const std::vector<_variant_t>& parameters);
  friend HRESULT com_detail::CreateObject(const CLSID&, void*, const CLSID&, ComObject**);
  Connection();
  ~Connection() override;

  std::unique_ptr<odbc::Connection> m_odbc;
  long m_connectionTimeout = 15;
  long m_commandTimeout = 30;
};
