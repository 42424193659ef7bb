# Cross-compiles for 32-bit Windows with the win32-thread mingw-w64 toolchain;
# test executables run under Wine through the emulator.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
