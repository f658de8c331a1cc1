// The database session: one connection for the run, one result set reopened by every query.
#include <cstdio>

#include "dialog/BrimlockDlg.h"
#include "dialog/database_errors.h"
#include "lookup/database_failure.h"
#include "lookup/ticket_query.h"

void NoteDataAccessError(const _com_error& e) {
  std::fprintf(stderr, "brimlock: %s; %s\n", FailureDiagnostic(e).c_str(), WhatToCheck(e).c_str());
}

void ReportDataAccessError(const _com_error& e) {
  NoteDataAccessError(e);
  AfxMessageBox(e.ErrorMessage(), MB_OK);
}

bool CBrimlockDlg::OpenRecordset(CString strSql, const CString& strPattern) {
  if (m_pRecordset->GetState() != adStateClosed) m_pRecordset->Close();
  try {
    OpenTicketRecordset(m_pRecordset, m_pConnection, strSql, strPattern);
  } catch (const _com_error& e) {
    NoteDataAccessError(e);
    AfxMessageBox(e.ErrorMessage(), MB_OK);
    return false;
  }
  return true;
}
