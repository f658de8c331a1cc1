# Cross-builds the Windows program with Debian's mingw-w64 (the POSIX thread model, which
# std::thread and std::mutex need) and runs what the build runs (test discovery) under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# A caller may name its own runner (scripts/test-windows does).
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(BRIMLOCK_WINE NAMES wine REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BRIMLOCK_WINE})
endif()
