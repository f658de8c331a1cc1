# The same cross-build for 64-bit Windows (x64): where no 32-bit Wine can be had, the
# Windows backends are tried under 64-bit Wine on this build.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(BRIMLOCK_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
