#pragma once
// The kernel's string helpers that the program's drawing code calls.
#include "platform/text/wintypes.h"

#if !defined(_WIN32)  // the platform's own on Windows
#include <cstring>

// Length in bytes, without the NUL; a null string has length 0, as on the platform.
inline int lstrlenA(LPCSTR lpString) { return lpString ? static_cast<int>(std::strlen(lpString)) : 0; }
inline int lstrlen(LPCSTR lpString) { return lstrlenA(lpString); }
#endif
