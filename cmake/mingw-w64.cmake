# Cross-builds the Windows program with Debian's mingw-w64 (the POSIX thread model, which
# std::thread and std::mutex need). 32-bit x86, as the desks run it: the one program starts
# on 32- and 64-bit Windows alike. mingw-w64-x86_64.cmake builds the same source for x64.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT DEFINED BRIMLOCK_MINGW)
  set(CMAKE_SYSTEM_PROCESSOR x86)
  set(BRIMLOCK_MINGW i686-w64-mingw32)
endif()
set(CMAKE_C_COMPILER ${BRIMLOCK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRIMLOCK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${BRIMLOCK_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BRIMLOCK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The tests run under Wine, at test time only: building needs no Wine. A caller may name its
# own runner (scripts/test-windows does).
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(BRIMLOCK_WINE NAMES wine)
  if(BRIMLOCK_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${BRIMLOCK_WINE})
  endif()
endif()
