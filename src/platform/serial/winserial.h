#pragma once
// The Win32 serial and timing calls the encoder operations make, and the seam of the serial
// layer: Windows has every call itself; posix/serial.cpp builds them on POSIX termios and
// poll(2), with its helpers beside it (port names, locks, the read rule, the line's timing).
// Names, values and signatures are those of the Win32 headers, so a Windows build takes
// <windows.h> in place of this file and nothing else changes.
//
// Semantics the program relies on:
// - Port names: "comN" (any case, N = 1..256, no leading zero) is the device named by the
//   environment variable BRIMLOCK_COMN when it is set and not empty, otherwise
//   /dev/ttyS<N-1>. A name that starts with '/' is taken as a device path. Every other
//   name fails with ERROR_FILE_NOT_FOUND, as does a path that is not a terminal.
// - Share mode 0 is an exclusive open: a UUCP lock file in /var/lock, flock(2) and
//   TIOCEXCL; a port another process holds fails with ERROR_SHARING_VIOLATION, and one
//   whose lock file was made but could not be written (a full disk) with ERROR_WRITE_FAULT.
// - ReadFile and WriteFile honour COMMTIMEOUTS as the Windows serial driver does.
// - Calls on INVALID_HANDLE_VALUE (or any handle not open) fail at once with
//   ERROR_INVALID_HANDLE and touch nothing; ReadFile then reports 0 bytes.
// - One thread uses a handle at a time, as the program's single GUI thread does.
#if defined(_WIN32)
// On Windows they are the platform's own, straight through to its serial driver.
#include "platform/text/wintypes.h"
#else
#include <cstdint>

#include "platform/text/wintypes.h"

using HANDLE = void*;
using LPDWORD = DWORD*;

// A macro, as in the Win32 headers: a constant that static initialisers may already use.
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(~std::uintptr_t{0}))

constexpr DWORD MAXDWORD = 0xFFFFFFFF;

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD OPEN_EXISTING = 3;

constexpr DWORD CBR_9600 = 9600;
constexpr BYTE NOPARITY = 0;
constexpr BYTE ODDPARITY = 1;
constexpr BYTE EVENPARITY = 2;
constexpr BYTE MARKPARITY = 3;
constexpr BYTE SPACEPARITY = 4;
constexpr BYTE ONESTOPBIT = 0;
constexpr BYTE ONE5STOPBITS = 1;
constexpr BYTE TWOSTOPBITS = 2;

constexpr DWORD DTR_CONTROL_DISABLE = 0;
constexpr DWORD DTR_CONTROL_ENABLE = 1;
constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_DISABLE = 0;
constexpr DWORD RTS_CONTROL_ENABLE = 1;
constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;

constexpr DWORD PURGE_TXABORT = 0x0001;
constexpr DWORD PURGE_RXABORT = 0x0002;
constexpr DWORD PURGE_TXCLEAR = 0x0004;
constexpr DWORD PURGE_RXCLEAR = 0x0008;

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_COUNTER_TIMEOUT = 1121;

// The line settings. GetCommState fills every field from the terminal's settings;
// SetCommState applies BaudRate, ByteSize, Parity and StopBits (see posix/serial.cpp for
// what it does with the rest).
struct DCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD fBinary : 1;
  DWORD fParity : 1;
  DWORD fOutxCtsFlow : 1;
  DWORD fOutxDsrFlow : 1;
  DWORD fDtrControl : 2;
  DWORD fDsrSensitivity : 1;
  DWORD fTXContinueOnXoff : 1;
  DWORD fOutX : 1;
  DWORD fInX : 1;
  DWORD fErrorChar : 1;
  DWORD fNull : 1;
  DWORD fRtsControl : 2;
  DWORD fAbortOnError : 1;
  DWORD fDummy2 : 17;
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;
  BYTE Parity;
  BYTE StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
};
using LPDCB = DCB*;

// Milliseconds. Read: a read of n bytes ends at n bytes, at a gap longer than
// ReadIntervalTimeout after the first byte, or after Multiplier * n + Constant in all;
// all three 0 waits for n bytes. Write: Multiplier * n + Constant in all, 0 and 0 = none.
struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
};
using LPCOMMTIMEOUTS = COMMTIMEOUTS*;

// Accepted and ignored: a handle opened without FILE_FLAG_OVERLAPPED does synchronous
// I/O on Windows too, and nothing here opens one with it.
struct OVERLAPPED {
  std::uintptr_t Internal;
  std::uintptr_t InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;

// creation must be OPEN_EXISTING; security, flags and templ are ignored.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, void* security, DWORD creation, DWORD flags, HANDLE templ);
BOOL GetCommState(HANDLE file, LPDCB dcb);
BOOL SetCommState(HANDLE file, LPDCB dcb);
BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
// What SetCommTimeouts set, so one suite can see the settings take on both platforms.
BOOL GetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
// Linux keeps its own fixed tty queues; the sizes are a request that needs nothing here.
BOOL SetupComm(HANDLE file, DWORD inQueue, DWORD outQueue);
BOOL PurgeComm(HANDLE file, DWORD flags);
// A device that fails or vanishes mid-read ends the read: FALSE, *read = what arrived.
BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
// FALSE when the write timeout passes (ERROR_COUNTER_TIMEOUT) or the device fails.
BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
// Waits until every byte written has left the port (twice the line time of what is queued,
// at most 2 s): FALSE when the device fails or vanishes, or the bytes do not leave in time
// (ERROR_COUNTER_TIMEOUT).
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE object);
void Sleep(DWORD milliseconds);
DWORD GetLastError();
#endif
