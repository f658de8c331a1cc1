#pragma once
// The system's message texts. Only the texts of Win32 error codes are known here (the
// codes themselves or as HRESULTs of facility Win32, 0x8007xxxx); every other code has none.
#include "platform/text/wintypes.h"

#if !defined(_WIN32)  // on Windows, FormatMessageA and LocalFree are the platform's own
#include <cstdarg>

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x0100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x0200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr DWORD MAKELANGID(WORD primary, WORD sub) { return static_cast<DWORD>(sub) << 10 | primary; }

// Writes the text (code page 936, ending in "\r\n" as the system's texts do) and answers
// its length without the NUL, or 0 when there is no text. With ALLOCATE_BUFFER, `buffer` is
// really a char** that receives a block to be given back with LocalFree; otherwise the text
// goes into `buffer` of `size` bytes and 0 is answered when it does not fit.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     va_list* arguments);
LPVOID LocalFree(LPVOID block);
#endif
