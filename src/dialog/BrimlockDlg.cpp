#include "dialog/BrimlockDlg.h"

#include "app/AboutDlg.h"
#include "encoder/frames.h"

CBrimlockDlg::CBrimlockDlg(_ConnectionPtr& connection, bool bTicketPanel, CWnd* pParent)
    : CDialog(bTicketPanel ? IDD_TICKET_DIALOG : IDD_MAIN_DIALOG, pParent),
      m_hComm(INVALID_HANDLE_VALUE),
      m_bReadOk(false),
      m_pConnection(connection),
      m_bTicketPanel(bTicketPanel) {
  m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
  m_pRecordset.CreateInstance(CLSID_Recordset, nullptr, CLSCTX_ALL);
}

CBrimlockDlg::~CBrimlockDlg() = default;

void CBrimlockDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_TRACK1_EDIT, m_editTrack1);
  DDX_Control(pDX, IDC_TRACK2_EDIT, m_editTrack2);
  DDX_Control(pDX, IDC_READ_BUTTON, m_btnRead);
  DDX_Control(pDX, IDC_WRITE_BUTTON, m_btnWrite);
  DDX_Control(pDX, IDC_PORT_COMBO, m_comboPort);
  DDX_Control(pDX, IDC_RESET_BUTTON, m_btnReset);
  DDX_Text(pDX, IDC_TRACK1_EDIT, m_strTrack1);
  DDV_MaxChars(pDX, m_strTrack1, 80);
  DDX_Text(pDX, IDC_TRACK2_EDIT, m_strTrack2);
  DDV_MaxChars(pDX, m_strTrack2, 80);
  DDX_Control(pDX, IDC_QUERY_BUTTON, m_btnQuery);
  DDX_Control(pDX, IDC_PREV_BUTTON, m_btnPrev);
  DDX_Control(pDX, IDC_NEXT_BUTTON, m_btnNext);
  DDX_Control(pDX, IDC_USE_LOOKUP_CHECK, m_checkUseLookup);
  DDX_Control(pDX, IDC_TICKET_EDIT, m_editTicket);
  DDX_Control(pDX, IDC_CARDNO_EDIT, m_editCardNo);
  DDX_Control(pDX, IDC_HIDDENCODE_EDIT, m_editHiddenCode);
}

BEGIN_MESSAGE_MAP(CBrimlockDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_READ_BUTTON, OnBnClickedReadButton)
  ON_BN_CLICKED(IDC_WRITE_BUTTON, OnBnClickedWriteButton)
  ON_BN_CLICKED(IDC_RESET_BUTTON, OnBnClickedResetButton)
  ON_BN_CLICKED(IDC_QUERY_BUTTON, OnBnClickedQueryButton)
  ON_BN_CLICKED(IDC_PREV_BUTTON, OnBnClickedPrevButton)
  ON_BN_CLICKED(IDC_NEXT_BUTTON, OnBnClickedNextButton)
END_MESSAGE_MAP()

BOOL CBrimlockDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  CMenu* pSysMenu = GetSystemMenu(FALSE);
  if (pSysMenu != nullptr) {
    CString strAboutMenu;
    strAboutMenu.LoadString(IDS_ABOUTBOX);
    if (!strAboutMenu.IsEmpty()) {
      pSysMenu->AppendMenu(MF_SEPARATOR);
      pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    }
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  m_editCardNo.EnableWindow(FALSE);
  m_editHiddenCode.EnableWindow(FALSE);
  m_bReadOk = false;
  m_strTrack2.Empty();
  m_strTrack1.Empty();

  m_comboPort.InsertString(0, "com1");
  m_comboPort.InsertString(1, "com2");
  m_comboPort.SetCurSel(0);
  // A desk that issues by ticket starts with the lookup on: Query runs, Write takes the code.
  if (m_bTicketPanel) m_checkUseLookup.SetCheck(BST_CHECKED);
  return TRUE;
}

void CBrimlockDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

CPoint IconicIconOrigin(const CRect& client, int iconWidth, int iconHeight) {
  // Signed division truncating toward zero: an empty client gives -15 for a 32-pixel icon.
  return CPoint((client.Width() - iconWidth + 1) / 2, (client.Height() - iconHeight + 1) / 2);
}

void CBrimlockDlg::OnPaint() {
  if (IsIconic()) {
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    CPoint origin = IconicIconOrigin(rect, cxIcon, cyIcon);
    dc.DrawIcon(origin.x, origin.y, m_hIcon);
  } else {
    CDialog::OnPaint();
  }
}

HCURSOR CBrimlockDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

BOOL CBrimlockDlg::DestroyWindow() {
  OpenPort("COM1");
  SendFrame(FRAME_RESET);
  CloseHandle(m_hComm);

  // The recordset object may be missing if it could not be created; then there is nothing to close.
  if (m_pRecordset != nullptr && m_pRecordset->GetState() != adStateClosed) m_pRecordset->Close();

  return CDialog::DestroyWindow();
}
