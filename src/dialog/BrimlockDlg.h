#pragma once
// The main window: the card panel the operator works with and the ticket lookup, shown
// only in the window for ticket desks.
#include <optional>

#include "controls/XPButton.h"
#include "lookup/issuing_record.h"
#include "platform/data/ado.h"
#include "platform/serial/winserial.h"
#include "platform/ui/afxwin.h"
#include "resources/resource.h"

class CBrimlockDlg : public CDialog {
 public:
  // The application's connection is handed in: the lookup panel opens it on first use and
  // the application closes it at shutdown. With `bTicketPanel` the window is the one for a
  // desk that issues by ticket: the lookup panel on show, and its Writes recorded.
  explicit CBrimlockDlg(_ConnectionPtr& connection, bool bTicketPanel = false, CWnd* pParent = nullptr);
  ~CBrimlockDlg() override;

  enum { IDD = IDD_MAIN_DIALOG };

  BOOL DestroyWindow() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  // Window messages
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();

  // Serial port session (port_session.cpp)
  bool OpenPort(const CString& strPortName);
  bool SendFrame(const char* frame);

  // Card operations (card_panel.cpp)
  void OnBnClickedResetButton();
  void OnBnClickedReadButton();
  void OnBnClickedWriteButton();
  void PollReply();
  void ResetLookupPanel();

  // Ticket lookup (ticket_panel.cpp; OpenRecordset in database_session.cpp)
  bool OpenRecordset(CString strSql, const CString& strPattern);
  void OnBnClickedQueryButton();
  void OnBnClickedNextButton();
  void OnBnClickedPrevButton();
  void ShowCurrentRow();

  // Issuing the card on show, where the database keeps an issuing record (ticket_issue.cpp):
  // claimed before its frames leave, recorded once they have. A card the record holds is
  // refused with a box.
  struct CardClaim {
    CString ticket;
    CString card;
    CString attempt;
    issuing::Claim claim;
  };
  bool ClaimCardOnShow(std::optional<CardClaim>& claim);
  void RecordCardWritten(CardClaim& card, bool bPortOpened, bool bFrameSent);
  void RefuseHeldCard(const CString& card, const issuing::Claim& claim);

  DECLARE_MESSAGE_MAP()

 protected:
  HICON m_hIcon;
  HANDLE m_hComm;
  _RecordsetPtr m_pRecordset;
  bool m_bReadOk;
  CString m_strTrack1;
  CString m_strTrack2;
  CString m_strPortName;
  CEdit m_editTrack1;
  CEdit m_editTrack2;
  CXPButton m_btnRead;
  CXPButton m_btnWrite;
  CComboBox m_comboPort;
  CXPButton m_btnReset;
  CXPButton m_btnQuery;
  CXPButton m_btnPrev;
  CXPButton m_btnNext;
  CButton m_checkUseLookup;
  CEdit m_editTicket;
  CEdit m_editCardNo;
  CEdit m_editHiddenCode;
  _ConnectionPtr& m_pConnection;
  const bool m_bTicketPanel;
  bool m_bToldNoRecord = false;  // standard error has said once that Writes go unrecorded
};

// Where the minimised window's icon goes: centred, with the platform's rounding.
CPoint IconicIconOrigin(const CRect& client, int iconWidth, int iconHeight);
