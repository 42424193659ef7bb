# Cross-compiles for 64-bit Windows with the win32-thread mingw-w64 toolchain;
# test executables run under Wine (in a 64-bit prefix) through the emulator.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
