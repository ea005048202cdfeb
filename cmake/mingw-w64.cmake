# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the engines and parcelbarge-cli.exe for 64-bit Windows with
# Debian's mingw-w64 (the posix thread model, for std::thread):
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PB_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PB_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PB_MINGW_PREFIX})
# Programs of the build machine, libraries and headers of the target only.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# One executable to carry: the C and C++ runtimes and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# The tests run the Windows programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(ZLIB_USE_STATIC_LIBS ON)
