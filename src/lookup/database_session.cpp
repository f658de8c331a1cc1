// The database session: one connection for the run, one result set reopened by every query.
#include "app/BrimlockApp.h"
#include "dialog/BrimlockDlg.h"
#include "lookup/database_errors.h"
#include "lookup/ticket_query.h"
#include "platform/text/environment.h"

void ReportDataAccessError(const _com_error& e) { AfxMessageBox(e.ErrorMessage(), MB_OK); }

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
