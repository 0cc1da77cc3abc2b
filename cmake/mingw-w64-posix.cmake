# Cross-compiling the Windows build with mingw-w64's posix-threads compilers (GoogleTest and the
# program use std::thread and std::mutex). The runtime is linked statically, so Mirtel.exe needs
# no DLLs beyond the system's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MIRTEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MIRTEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIRTEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MIRTEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MIRTEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(MIRTEL_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${MIRTEL_WINE})
