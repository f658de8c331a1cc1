#pragma once
// The connection object: closed when created, opened on a connection string, and closed
// again. Every failure raises _com_error.
#include <memory>

#include "platform/data/ado_types.h"
#include "platform/data/bstr.h"
#include "platform/data/com.h"

namespace odbc {
class Connection;
}

class Connection : public ComObject {
 public:
  static const CLSID& ClassId() { return CLSID_Connection; }

  long GetState();  // adStateClosed or adStateOpen
  // Waits at most 15 s for the login. On failure the connection stays closed.
  HRESULT Open(const _bstr_t& connectionString, const _bstr_t& userId, const _bstr_t& password,
               long options);
  HRESULT Close();  // raises adErrObjectClosed when not open

 private:
  friend class Recordset;
  friend HRESULT com_detail::CreateObject(const CLSID&, void*, const CLSID&, ComObject**);
  Connection();
  ~Connection() override;

  std::unique_ptr<odbc::Connection> m_odbc;
};
