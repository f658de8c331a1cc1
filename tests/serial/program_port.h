#pragma once
// A port as the encoder operations use it, through the serial calls alone: the same on
// the Linux stand-in and on the platform's own serial driver.
#include <string>

#include "platform/serial/winserial.h"

namespace serial_test {

// The encoder operations' settings: 9600 8N1, reads (8, 8, 8), writes (3, 2).
inline COMMTIMEOUTS ProgramTimeouts() { return {8, 8, 8, 3, 2}; }

// Opens and sets up a port as every encoder operation does, purge included.
inline HANDLE OpenLikeProgram(const char* name) {
  HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) return port;
  DCB dcb{};
  GetCommState(port, &dcb);
  dcb.BaudRate = CBR_9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetCommState(port, &dcb);
  COMMTIMEOUTS timeouts = ProgramTimeouts();
  SetCommTimeouts(port, &timeouts);
  SetupComm(port, 1024, 1024);
  PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  return port;
}

// One read of up to `count` bytes, as the program's poll makes it.
inline std::string ReadBytes(HANDLE port, DWORD count = 100) {
  std::string buffer(count, '\0');
  DWORD got = 0;
  ReadFile(port, buffer.data(), count, &got, nullptr);
  buffer.resize(got);
  return buffer;
}

inline BOOL WriteBytes(HANDLE port, const std::string& bytes) {
  DWORD written = 0;
  OVERLAPPED unused{};
  return WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &unused);
}

}  // namespace serial_test
