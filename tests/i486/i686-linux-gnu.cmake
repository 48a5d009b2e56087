# Cross-compiling the shared core's tests for 32-bit Linux with Debian's i686 compiler
# and the Windows program's processor flags, so that they run as the program's i486
# code does, under qemu-i386.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/i486.cmake)
set(CMAKE_C_FLAGS_INIT "${LUMOX_I486_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${LUMOX_I486_FLAGS}")

set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
