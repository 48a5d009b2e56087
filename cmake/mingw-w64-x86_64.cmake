# Cross-compiling the Windows program with MinGW-w64 for 64-bit Windows (x86_64). The
# win32-thread variant of the compiler keeps winpthread out of the executable.
set(LUMOX_MINGW_ARCH x86_64)
set(LUMOX_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
