#include "encoder/encoder_line.h"

#include <cstring>

#include "platform/serial/portname.h"

HANDLE OpenEncoderPort(const char* portName) {
  return CreateFileA(portName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

void ConfigureEncoderPort(HANDLE hComm) {
  DCB dcb{};
  GetCommState(hComm, &dcb);
  dcb.BaudRate = CBR_9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetCommState(hComm, &dcb);

  // A read of 100 bytes ends at 100 bytes, at a gap of more than 8 ms, or after 808 ms.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 8;
  timeouts.ReadTotalTimeoutMultiplier = 8;
  timeouts.ReadTotalTimeoutConstant = 8;
  timeouts.WriteTotalTimeoutMultiplier = 3;
  timeouts.WriteTotalTimeoutConstant = 2;
  SetCommTimeouts(hComm, &timeouts);

  SetupComm(hComm, 1024, 1024);
  // Whatever the encoder sent after the last operation stopped reading is thrown away.
  PurgeComm(hComm, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

bool SendEncoderFrame(HANDLE hComm, const char* frame, DWORD* sent) {
  // The frame ends at its first NUL, which is never sent.
  DWORD dwLength = static_cast<DWORD>(std::strlen(frame));
  DWORD dwWritten = 0;
  OVERLAPPED overlapped{};
  const bool done = WriteFile(hComm, frame, dwLength, &dwWritten, &overlapped) != FALSE;
  if (sent != nullptr) *sent = dwWritten;
  return done;
}

std::optional<CString> PollEncoderReply(HANDLE hComm) {
  const std::optional<std::string> reply = PollEncoderReplyBytes(hComm);
  if (!reply) return std::nullopt;
  return ShownReplyText(reply->data(), static_cast<DWORD>(reply->size()));
}

std::optional<std::string> PollEncoderReplyBytes(HANDLE hComm) {
  char reply[REPLY_BUFFER_SIZE];
  std::memset(reply, 0, sizeof reply);
  for (int nTry = 0; nTry < READ_TRIES; ++nTry) {
    // A failed read counts as nothing received.
    DWORD dwRead = 0;
    if (!ReadFile(hComm, reply, sizeof reply, &dwRead, nullptr)) dwRead = 0;
    if (dwRead > 0) return std::string(reply, dwRead);
    Sleep(READ_PAUSE_MS);
  }
  return std::nullopt;
}

CString ShownReplyText(const char* reply, DWORD received) {
  const int nLength = static_cast<int>(strnlen(reply, received));
  return nLength > 4 ? CString(reply + 2, nLength - 4) : CString();
}

std::string PortProblem(const CString& strPortName, DWORD error) {
  const std::optional<std::string> device = serial::DevicePathForName(strPortName);
  std::string said = std::string(strPortName) + (device ? " (" + *device + ")" : std::string()) + " cannot be opened: ";
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return said + "it does not exist, or no serial port is behind it";
    case ERROR_ACCESS_DENIED: return said + "this user may not use it (join the group that owns the device)";
    case ERROR_SHARING_VIOLATION: return said + "another program holds it ('brimlock-card ports' names it)";
    case ERROR_WRITE_FAULT: return said + "its lock file could not be written (is the disk holding /var/lock full?)";
    default: return said + "error " + std::to_string(error);
  }
}
