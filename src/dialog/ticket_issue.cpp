// The window for ticket desks issues the card on show as brimlock-card issue does, through
// the same record: the attempt begun and the card claimed before its frames leave, the
// claim moved on once they have. The window's Write reads nothing back, so a card whose
// frames left whole is issued with the check waived, as the record's "written" says.
#include <cstdio>

#include "dialog/BrimlockDlg.h"
#include "dialog/database_errors.h"
#include "lookup/ticket_query.h"
#include "platform/text/codepage.h"

using issuing::Claim;
using issuing::State;

bool CBrimlockDlg::ClaimCardOnShow(std::optional<CardClaim>& claim) {
  try {
    issuing::Record record(m_pConnection);
    if (std::string why; !record.Exists(why)) {
      // A lost connection is no missing table: nothing goes out unrecorded for it.
      if (m_pConnection->GetState() == adStateClosed) {
        AfxMessageBox("数据库连接失败", MB_OK);
        return false;
      }
      // Without the record the window writes as it always has; whoever set the desk up
      // hears of it once.
      if (!m_bToldNoRecord) {
        std::fprintf(stderr,
                     "brimlock: the database has no issuing record (%s), so cards written from the ticket panel "
                     "are not recorded; its owner creates it with sql/issuing-record.sql\n",
                     text::Cp936ToUtf8(why).c_str());
        m_bToldNoRecord = true;
      }
      return true;
    }

    bool bCardExact = true, bCodeExact = true;
    CardClaim card{TicketNumber(m_pRecordset), ExactColumnText(m_pRecordset, "dcard", bCardExact).value_or(""), "", {}};
    ExactColumnText(m_pRecordset, "dcard_sbh", bCodeExact);
    if (card.card.IsEmpty() || !bCardExact) {
      MessageBox("该卡没有可记录的卡号，未写卡", nullptr, MB_OK | MB_ICONEXCLAMATION);
      return false;
    }
    if (!bCodeExact) {
      MessageBox("该卡的暗码含有写卡机不能写的字符，未写卡", nullptr, MB_OK | MB_ICONEXCLAMATION);
      return false;
    }

    // A card whose last attempt failed is the operator's to write again; any other claim
    // holds it.
    const std::optional<Claim> held = record.Find(card.ticket, card.card);
    if (held && held->state != State::Failed) {
      RefuseHeldCard(card.card, *held);
      return false;
    }
    CString port;
    m_comboPort.GetLBText(m_comboPort.GetCurSel(), port);
    const issuing::Desk desk = issuing::ThisDesk(port);
    card.attempt = record.BeginAttempt(card.ticket, card.card, desk, held ? "reissue" : "issue");
    if (!record.Take(card.ticket, card.card, desk, held, card.claim)) {
      record.EndAttempt(card.attempt, "refused");
      RefuseHeldCard(card.card, card.claim);
      return false;
    }
    claim = card;
    return true;
  } catch (const _com_error& e) {
    ReportDataAccessError(e);
    return false;
  }
}

void CBrimlockDlg::RecordCardWritten(CardClaim& card, bool bPortOpened, bool bFrameSent) {
  try {
    issuing::Record record(m_pConnection);
    if (!bPortOpened) {
      // Nothing left: the claim is let go as failed, and the card may be written again.
      record.Advance(card.ticket, card.card, card.claim, State::Failed);
      record.EndAttempt(card.attempt, "port");
      return;
    }
    if (!bFrameSent) {
      // Part of the frame may have reached the encoder: the claim stays for the operator to
      // settle, and the next Write of this card says so.
      record.EndAttempt(card.attempt, "failed");
      MessageBox("写卡未完成，该卡是否已写入不明：请读卡核对后用 brimlock-card issue 处理", nullptr,
                 MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    const bool bStillOurs = record.Advance(card.ticket, card.card, card.claim, State::Written) &&
                            record.Advance(card.ticket, card.card, card.claim, State::Issued);
    record.EndAttempt(card.attempt, "written");
    if (!bStillOurs) {
      MessageBox("写卡时该卡被另一台写卡机接管，请读卡核对并查看发卡记录", nullptr, MB_OK | MB_ICONEXCLAMATION);
    }
  } catch (const _com_error& e) {
    // The claim says how far the card got; brimlock-card issue names it.
    ReportDataAccessError(e);
  }
}

void CBrimlockDlg::RefuseHeldCard(const CString& card, const Claim& claim) {
  const CString where = claim.desk + "（操作员 " + claim.operatorName + "）";
  if (claim.state == State::Issued) {
    MessageBox("卡号 " + card + " 已于 " + issuing::LocalTimeOf(claim.issuedAt) + " 在 " + where + "发卡，未再写卡",
               nullptr, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // Claimed or written and not yet confirmed: that desk may be issuing it now, or stopped.
  MessageBox("卡号 " + card + " 已由 " + where + "于 " + issuing::LocalTimeOf(claim.claimedAt) +
                 " 开始发卡，尚未完成，未写卡。如该写卡机并未在发此卡，请读卡核对后用 brimlock-card issue 处理",
             nullptr, MB_OK | MB_ICONEXCLAMATION);
}
