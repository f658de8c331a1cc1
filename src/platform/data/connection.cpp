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

namespace {

// What the driver binds: each text as wide text, a VT_NULL as NULL; nothing else is offered.
std::vector<odbc::Value> BoundValues(const std::vector<_variant_t>& parameters) {
  std::vector<odbc::Value> values;
  values.reserve(parameters.size());
  for (const _variant_t& parameter : parameters) {
    if (parameter.vt == VT_NULL) values.emplace_back(std::nullopt);
    else if (parameter.vt == VT_BSTR) values.emplace_back(static_cast<_bstr_t>(parameter).wide());
    else throw _com_error(adErrInvalidArgument);
  }
  return values;
}

}  // namespace

odbc::Table Connection::Run(const _bstr_t& statement, const std::vector<_variant_t>& parameters) {
  if (!m_odbc->IsOpen()) throw _com_error(adErrObjectClosed);
  try {
    return m_odbc->Query(statement.wide(), BoundValues(parameters), static_cast<unsigned long>(m_commandTimeout));
  } catch (const odbc::Error& e) {
    throw ComErrorFromOdbc(e.failure);
  }
}

long Connection::Execute(const _bstr_t& statement, const std::vector<_variant_t>& parameters) {
  return Run(statement, parameters).rowsAffected;
}

void Connection::PutConnectionTimeout(long seconds) {
  if (seconds < 0) throw _com_error(adErrInvalidArgument);
  m_connectionTimeout = seconds;
}

void Connection::PutCommandTimeout(long seconds) {
  if (seconds < 0) throw _com_error(adErrInvalidArgument);
  m_commandTimeout = seconds;
}
