#include "platform/data/connection.h"

#include "platform/data/com_error.h"
#include "platform/data/com_runtime.h"
#include "platform/data/connection_string.h"
#include "platform/data/odbc.h"
#include "platform/data/odbc_error.h"

Connection::Connection() : m_odbc(std::make_unique<odbc::Connection>(com_runtime::Environment())) {}

Connection::~Connection() = default;

long Connection::GetState() { return m_odbc->IsOpen() ? adStateOpen : adStateClosed; }

HRESULT Connection::Open(const _bstr_t& connectionString, const _bstr_t& userId, const _bstr_t& password,
                         long options) {
  if (m_odbc->IsOpen()) throw _com_error(adErrObjectOpen);
  // Asynchronous opening is not offered: the program waits for every open.
  if (options != 0 && options != adConnectUnspecified) throw _com_error(adErrInvalidArgument);
  std::u16string odbcString = OdbcConnectionString(connectionString.wide(), userId.wide(), password.wide(),
                                                   m_connectionTimeout, m_commandTimeout);
  try {
    m_odbc->Open(odbcString, static_cast<unsigned long>(m_connectionTimeout));
  } catch (const odbc::Error& e) {
    throw ComErrorFromOdbc(e.failure);
  }
  return S_OK;
}

HRESULT Connection::Close() {
  if (!m_odbc->IsOpen()) throw _com_error(adErrObjectClosed);
  try {
    m_odbc->Close();
  } catch (const odbc::Error& e) {
    throw ComErrorFromOdbc(e.failure);
  }
  return S_OK;
}

void Connection::PutConnectionTimeout(long seconds) {
  if (seconds < 0) throw _com_error(adErrInvalidArgument);
  m_connectionTimeout = seconds;
}

void Connection::PutCommandTimeout(long seconds) {
  if (seconds < 0) throw _com_error(adErrInvalidArgument);
  m_commandTimeout = seconds;
}
