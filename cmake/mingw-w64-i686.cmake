# Cross-compiling the Windows program with MinGW-w64 for 32-bit Windows (i686). The
# win32-thread variant of the compiler keeps winpthread out of the executable.
set(LUMOX_MINGW_ARCH i686)
set(LUMOX_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
