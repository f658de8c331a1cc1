// The serial port session: every encoder operation opens the port chosen in the combo,
// uses it and closes it again before its handler returns.
#include <cstdio>

#include "dialog/BrimlockDlg.h"
#include "encoder/encoder_line.h"

bool CBrimlockDlg::OpenPort(const CString& /*strPortName*/) {
  // The caller's name is not used: the port is always the one chosen in the combo.
  int nIndex = m_comboPort.GetCurSel();
  m_comboPort.GetLBText(nIndex, m_strPortName);

  m_hComm = OpenEncoderPort(m_strPortName);
  if (m_hComm == INVALID_HANDLE_VALUE) {
    // The box keeps its text; standard error says which port, and why, beside it.
    std::fprintf(stderr, "brimlock: %s\n", PortProblem(m_strPortName, GetLastError()).c_str());
    MessageBox("请检查写卡机", nullptr, MB_OK);
    return false;
  }

  ConfigureEncoderPort(m_hComm);
  return true;
}

bool CBrimlockDlg::SendFrame(const char* frame) { return SendEncoderFrame(m_hComm, frame); }
