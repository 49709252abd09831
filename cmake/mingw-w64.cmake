# Cross-building for 64-bit Windows with Debian's mingw-w64 toolchain (the
# POSIX threads flavour, which has std::thread). Every program links the C and
# C++ run-times and winpthread in, so that each .exe runs on a bare Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(REPARADOR_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${REPARADOR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${REPARADOR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${REPARADOR_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${REPARADOR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Windows programs run here under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine)
