// Reset, Read and Write: one port session each, from open to close.
#include "dialog/BrimlockDlg.h"
#include "encoder/encoder_line.h"
#include "dialog/database_errors.h"

void CBrimlockDlg::ResetLookupPanel() {
  m_editTicket.SetWindowText("");
  m_editCardNo.SetWindowText("");
  m_editHiddenCode.SetWindowText("");
  m_btnPrev.EnableWindow(FALSE);
  m_btnNext.EnableWindow(FALSE);
  // The recordset object may be missing if it could not be created; then there is nothing to close.
  try {
    if (m_pRecordset != nullptr && m_pRecordset->GetState() != adStateClosed) m_pRecordset->Close();
  } catch (const _com_error& e) {
    ReportDataAccessError(e);
  }
}

void CBrimlockDlg::OnBnClickedResetButton() {
  m_editTrack1.SetWindowText("");
  m_editTrack2.SetWindowText("");
  OpenPort("COM1");
  SendFrame(FRAME_RESET);
  CloseHandle(m_hComm);
}

void CBrimlockDlg::OnBnClickedReadButton() {
  m_editTrack1.SetWindowText("");
  if (m_checkUseLookup.GetCheck() != BST_CHECKED) ResetLookupPanel();
  m_bReadOk = true;
  OpenPort("COM1");
  SendFrame(FRAME_LEAD_IN);
  SendFrame(FRAME_READ);
  PollReply();
  if (!m_bReadOk) {
    SendFrame(FRAME_RESET);
    m_editTrack1.SetFocus();
  }
  CloseHandle(m_hComm);
}

void CBrimlockDlg::PollReply() {
  // Up to five reads with a pause after each empty one; the first reply is shown.
  const std::optional<CString> strShown = PollEncoderReply(m_hComm);
  if (strShown) {
    m_editTrack1.SetWindowText(*strShown);
    m_bReadOk = true;
    return;
  }
  m_bReadOk = false;
}

void CBrimlockDlg::OnBnClickedWriteButton() {
  CString strText;
  const bool bUseLookup = m_checkUseLookup.GetCheck() == BST_CHECKED;
  if (bUseLookup) {
    m_editHiddenCode.GetWindowText(strText);
  } else {
    ResetLookupPanel();
    m_editTrack1.GetWindowText(strText);
  }
  // A text that does not fit one frame whole is neither cut nor sent, nor shown in Track 1,
  // where the operator would take it for written.
  if (strText.GetLength() > MAX_WRITE_TEXT) {
    MessageBox("写卡内容过长（超过 1018 字节），未写卡", nullptr, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // The looked-up code is shown in Track 1, so that the operator sees what is written.
  if (bUseLookup) m_editTrack1.SetWindowText(strText);

  if (strText.GetLength() == 0) {
    m_editTrack1.SetFocus();
    m_editTrack1.SetWindowText("");
    return;
  }

  // A ticket desk's card is claimed in the issuing record before its frames leave.
  std::optional<CardClaim> claim;
  if (bUseLookup && m_bTicketPanel && !ClaimCardOnShow(claim)) return;

  const bool bOpened = OpenPort("COM1");
  SendFrame(FRAME_LEAD_IN);
  const bool bSent = SendFrame(FRAME_WRITE(strText).c_str());
  CloseHandle(m_hComm);
  if (claim) RecordCardWritten(*claim, bOpened, bSent);
}
