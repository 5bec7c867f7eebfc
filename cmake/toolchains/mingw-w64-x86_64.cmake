# Cross build for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix), linked
# statically so that the .exe needs no DLLs beside it. Programs built here run under Wine, so
# CTest and test discovery can run them on the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(WQNPREP_MINGW_TRIPLE x86_64-w64-mingw32)
# The -posix variant: std::thread and the other threading parts of the standard library.
set(CMAKE_C_COMPILER ${WQNPREP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WQNPREP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${WQNPREP_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW-w64 tree only, never from the build machine;
# programs (Wine, the shell) come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${WQNPREP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

find_program(WQNPREP_WINE wine)
if(WQNPREP_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all ${WQNPREP_WINE})
endif()
