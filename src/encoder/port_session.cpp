// The serial port session: every encoder operation opens the port chosen in the combo,
// uses it and closes it again before its handler returns.
#include <cstring>

#include "dialog/BrimlockDlg.h"

bool CBrimlockDlg::OpenPort(const CString& /*strPortName*/) {
  // The caller's name is not used: the port is always the one chosen in the combo.
  int nIndex = m_comboPort.GetCurSel();
  m_comboPort.GetLBText(nIndex, m_strPortName);

  m_hComm = CreateFileA(m_strPortName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (m_hComm == INVALID_HANDLE_VALUE) {
    MessageBox("请检查写卡机", nullptr, MB_OK);
    return false;
  }

  DCB dcb{};
  GetCommState(m_hComm, &dcb);
  dcb.BaudRate = CBR_9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetCommState(m_hComm, &dcb);

  // A read of 100 bytes ends at 100 bytes, at a gap of more than 8 ms, or after 808 ms.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 8;
  timeouts.ReadTotalTimeoutMultiplier = 8;
  timeouts.ReadTotalTimeoutConstant = 8;
  timeouts.WriteTotalTimeoutMultiplier = 3;
  timeouts.WriteTotalTimeoutConstant = 2;
  SetCommTimeouts(m_hComm, &timeouts);

  SetupComm(m_hComm, 1024, 1024);
  // Whatever the encoder sent after the last operation stopped reading is thrown away.
  PurgeComm(m_hComm, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  return true;
}

bool CBrimlockDlg::SendFrame(const char* frame) {
  // The frame ends at its first NUL, which is never sent.
  DWORD dwLength = static_cast<DWORD>(std::strlen(frame));
  DWORD dwWritten = 0;
  OVERLAPPED overlapped{};
  return WriteFile(m_hComm, frame, dwLength, &dwWritten, &overlapped) != FALSE;
}
