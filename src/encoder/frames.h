#pragma once
// The encoder's command frames. Each is sent by one write, without its terminating NUL.
#include <string>

#include "platform/text/CString.h"

inline constexpr char FRAME_RESET[] = "\x1B\x30";  // ESC '0'
inline constexpr char FRAME_LEAD_IN[] = "\x1B%B";  // ESC '%' 'B'
inline constexpr char FRAME_READ[] = "\x1B]";      // ESC ']'
// ESC 't', the text, GS, ESC '\'. The text travels byte for byte, 0x1B and 0x1D included.
inline constexpr char FRAME_WRITE_HEAD[] = "\x1Bt";
inline constexpr char FRAME_WRITE_TAIL[] = "\x1D\x1B\\";

// The longest text a write frame carries whole: the frame is kept within 1024 bytes with
// its terminating NUL, as the encoder's buffer expects.
inline constexpr int MAX_WRITE_TEXT = 1018;

inline std::string FRAME_WRITE(const CString& text) {
  return std::string(FRAME_WRITE_HEAD) + text.bytes() + FRAME_WRITE_TAIL;
}

// The reply to FRAME_READ: up to 100 bytes in one burst, two leading and two trailing
// bytes around the card's data.
inline constexpr int REPLY_BUFFER_SIZE = 100;
inline constexpr int READ_TRIES = 5;
inline constexpr DWORD READ_PAUSE_MS = 800;
