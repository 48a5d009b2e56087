# Cross-compiling for 32-bit Windows with MinGW-w64. The posix-thread variant of the
# compiler is used because GoogleTest needs std::thread and std::mutex.
set(LUMOX_MINGW_ARCH i686)
set(LUMOX_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/mingw-w64.cmake)
