// The lookup panel: Query, "<<" and ">>" show one matching card at a time.
#include "dialog/BrimlockDlg.h"
#include "dialog/database_errors.h"
#include "lookup/ticket_query.h"

void CBrimlockDlg::ShowCurrentRow() {
  m_editCardNo.SetWindowText(ColumnText(m_pRecordset, "dcard"));
  m_editHiddenCode.SetWindowText(ColumnText(m_pRecordset, "dcard_sbh"));
}

void CBrimlockDlg::OnBnClickedQueryButton() {
  m_editCardNo.SetWindowText("");
  m_editHiddenCode.SetWindowText("");
  m_btnPrev.EnableWindow(FALSE);
  m_btnNext.EnableWindow(FALSE);
  m_editTrack1.SetWindowText("");
  m_editTrack2.SetWindowText("");

  CString strTicket;
  m_editTicket.GetWindowText(strTicket);
  if (m_checkUseLookup.GetCheck() != BST_CHECKED) return;
  if (strTicket.IsEmpty()) return;

  try {
    if (m_pConnection->GetState() == adStateClosed) {
      try {
        m_pConnection->Open(DatabaseConnectionString(), "", "", adConnectUnspecified);
      } catch (const _com_error& e) {
        NoteDataAccessError(e);
        AfxMessageBox("数据库连接失败", MB_OK);
        return;
      } catch (...) {
        AfxMessageBox("数据库连接失败", MB_OK);
        return;
      }
    }

    // The window for ticket desks asks for each card's ticket too, which its Write records.
    if (!OpenRecordset(m_bTicketPanel ? TICKET_CARDS_SQL : TICKET_QUERY_SQL, TicketPattern(strTicket))) return;

    if (m_pRecordset->GetadoEOF()) {
      MessageBox("没有搜索到记录", nullptr, MB_OK);
      return;
    }
    ShowCurrentRow();

    m_pRecordset->MoveNext();
    m_btnNext.EnableWindow(!m_pRecordset->GetadoEOF());
    m_pRecordset->MovePrevious();
  } catch (const _com_error& e) {
    ReportDataAccessError(e);
  }
}

void CBrimlockDlg::OnBnClickedNextButton() {
  try {
    m_pRecordset->MoveNext();
    if (m_pRecordset->GetadoEOF()) return;
    ShowCurrentRow();
    m_btnPrev.EnableWindow(TRUE);

    m_pRecordset->MoveNext();
    if (m_pRecordset->GetadoEOF()) m_btnNext.EnableWindow(FALSE);
    m_pRecordset->MovePrevious();
  } catch (const _com_error& e) {
    ReportDataAccessError(e);
  }
}

void CBrimlockDlg::OnBnClickedPrevButton() {
  try {
    m_pRecordset->MovePrevious();
    if (m_pRecordset->GetBOF()) return;
    ShowCurrentRow();
    m_btnNext.EnableWindow(TRUE);

    m_pRecordset->MovePrevious();
    if (m_pRecordset->GetBOF()) m_btnPrev.EnableWindow(FALSE);
    m_pRecordset->MoveNext();
  } catch (const _com_error& e) {
    ReportDataAccessError(e);
  }
}
