// The database session: one connection for the run, one result set reopened by every query.
#include "dialog/BrimlockDlg.h"
#include "dialog/database_errors.h"
#include "lookup/ticket_query.h"

void ReportDataAccessError(const _com_error& e) { AfxMessageBox(e.ErrorMessage(), MB_OK); }

bool CBrimlockDlg::OpenRecordset(CString strSql, const CString& strPattern) {
  if (m_pRecordset->GetState() != adStateClosed) m_pRecordset->Close();
  try {
    OpenTicketRecordset(m_pRecordset, m_pConnection, strSql, strPattern);
  } catch (const _com_error& e) {
    AfxMessageBox(e.ErrorMessage(), MB_OK);
    return false;
  }
  return true;
}
