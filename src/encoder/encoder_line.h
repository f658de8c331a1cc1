#pragma once
// The encoder's line as every operation uses it, in plain functions over a port handle:
// the window's handlers and brimlock-card make the same calls, so both speak one line.
#include <optional>
#include <string>

#include "encoder/frames.h"
#include "platform/serial/winserial.h"
#include "platform/text/CString.h"

// Opens the named port ("com1", "com2" or a device) for one operation, exclusively. On
// failure INVALID_HANDLE_VALUE, and GetLastError says why (missing, held, refused).
HANDLE OpenEncoderPort(const char* portName);

// 9600 baud 8N1, the reply's read timeouts and the frames' write timeouts, the queue
// sizes, and both directions purged, so nothing from an earlier operation is read.
void ConfigureEncoderPort(HANDLE hComm);

// One frame in one write, up to its first NUL; true when the platform reports it done.
// `sent`, when given, gets the count of bytes the platform took.
bool SendEncoderFrame(HANDLE hComm, const char* frame, DWORD* sent = nullptr);

// Up to five reads of 100 bytes, 800 ms after each empty one (the fifth included): the
// shown text of the first reply, or nothing when every try came back empty.
std::optional<CString> PollEncoderReply(HANDLE hComm);
// The same poll, giving the first reply's bytes as they were received.
std::optional<std::string> PollEncoderReplyBytes(HANDLE hComm);

// A reply runs to its first NUL, never past what the read received; its first two and
// last two bytes frame the card's data. Four bytes or fewer hold no data.
CString ShownReplyText(const char* reply, DWORD received);

// The longest card text a reply can bring back whole: a read holds 100 bytes, four of them frame.
inline constexpr int MAX_READ_TEXT = REPLY_BUFFER_SIZE - 4;

// Why OpenEncoderPort failed, in a line for the one who set the desk up: the port, the
// device it stands for, and what its last error says to do.
std::string PortProblem(const CString& strPortName, DWORD error);
