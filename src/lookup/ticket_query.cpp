// The statement's settings and the reading of its rows, without the window: the dialog's
// handlers and brimlock-card share them.
#include "lookup/ticket_query.h"
#include "platform/text/environment.h"

CString DatabaseConnectionString() {
  // A deployment may replace the whole string, from the environment or from a file that
  // only its owner may read, or name the server the built-in one uses.
  auto setting = [](const char* name) { return CString(text::EnvironmentSetting(name).value_or("")); };
  if (CString whole = setting("BRIMLOCK_CONNECTION"); !whole.IsEmpty()) return whole;
  if (auto file = text::EnvironmentSetting("BRIMLOCK_CONNECTION_FILE")) {
    return file->empty() ? CString() : CString(text::OwnersFileFirstLine(*file).value_or(""));
  }
  CString server = setting("BRIMLOCK_DB_SERVER");
  if (server.IsEmpty()) server = "localhost";
  return "Provider=SQLOLEDB;SERVER=" + server + ";DATABASE=kq7_mavr;UID=sa;PWD=402617;";
}

void OpenTicketRecordset(_RecordsetPtr& recordset, _ConnectionPtr& connection, const CString& strSql,
                         const CString& strPattern) {
  _variant_t source(strSql);
  recordset->Open(source, _variant_t(connection), adOpenStatic, adLockOptimistic, adCmdText, _variant_t(strPattern));
}

CString ColumnText(_RecordsetPtr& recordset, const char* column) {
  _variant_t value = recordset->GetCollect(column);
  return value.vt == VT_NULL ? CString() : CString(static_cast<const char*>(_bstr_t(value)));
}
