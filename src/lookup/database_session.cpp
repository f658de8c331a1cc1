// The database session: one connection for the run, one result set reopened by every query.
#include <cstdlib>

#include "app/BrimlockApp.h"
#include "dialog/BrimlockDlg.h"
#include "lookup/database_errors.h"
#include "lookup/ticket_query.h"

void ReportDataAccessError(const _com_error& e) { AfxMessageBox(e.ErrorMessage(), MB_OK); }

CString DatabaseConnectionString() {
  // A deployment may replace the whole string, or name the server the built-in one uses.
  if (const char* whole = std::getenv("BRIMLOCK_CONNECTION"); whole != nullptr && *whole != '\0') {
    return CString(whole);
  }
  const char* server = std::getenv("BRIMLOCK_DB_SERVER");
  if (server == nullptr || *server == '\0') server = "localhost";
  return CString("Provider=SQLOLEDB;SERVER=") + server + ";DATABASE=kq7_mavr;UID=sa;PWD=402617;";
}

bool CBrimlockDlg::OpenRecordset(CString strSql, const CString& strPattern) {
  if (m_pRecordset->GetState() != adStateClosed) m_pRecordset->Close();
  _variant_t source(strSql);
  try {
    m_pRecordset->Open(source, _variant_t(theApp.m_pConnection), adOpenStatic, adLockOptimistic, adCmdText,
                       _variant_t(strPattern));
  } catch (const _com_error& e) {
    AfxMessageBox(e.ErrorMessage(), MB_OK);
    return false;
  }
  return true;
}
