# What every MinGW-w64 toolchain file of the project shares. The including file sets
# LUMOX_MINGW_ARCH (i686 or x86_64) and LUMOX_MINGW_THREADS (win32 or posix) first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${LUMOX_MINGW_ARCH})

set(CMAKE_C_COMPILER ${LUMOX_MINGW_ARCH}-w64-mingw32-gcc-${LUMOX_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${LUMOX_MINGW_ARCH}-w64-mingw32-g++-${LUMOX_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${LUMOX_MINGW_ARCH}-w64-mingw32-windres)

# The 32-bit program runs on the processors of the Windows 95 family: the i486
# instruction set with its x87 unit, nothing of the Pentium Pro (cmov, fcomi) or later.
# Tuned for the Pentium, the usual processor of those machines.
if(LUMOX_MINGW_ARCH STREQUAL "i686")
    set(CMAKE_C_FLAGS_INIT "-march=i486 -mtune=pentium")
    set(CMAKE_CXX_FLAGS_INIT "-march=i486 -mtune=pentium")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${LUMOX_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
