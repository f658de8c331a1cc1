#pragma once
// The kernel's string helpers that the program's drawing code calls.
#include <cstring>

#include "platform/text/wintypes.h"

// Length in bytes, without the NUL; a null string has length 0, as on the platform.
inline int lstrlenA(LPCSTR lpString) {
  return lpString ? static_cast<int>(std::strlen(lpString)) : 0;
}
inline int lstrlen(LPCSTR lpString) { return lstrlenA(lpString); }
