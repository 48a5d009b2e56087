# Defines lumox_picture_decoder: the program's own JPEG and GIF decoder (picture_decoder.h,
# stb_image's readers compiled in) and the dithering of its pictures for displays of few
# colours (picture_dither.h), shared by both front ends and free of Qt and Windows.
# Included by resources/CMakeLists.txt and by the cross-built Windows test and benchmark
# programs, so that all of them compile it alike. stb_image is header-only: Debian's
# libstb-dev puts it in /usr/include/stb, where the MinGW-w64 cross builds look too (it is
# plain C and needs no header beyond the C library's).
find_path(LUMOX_STB_INCLUDE_DIR stb_image.h PATHS /usr/include/stb NO_DEFAULT_PATH
    NO_CMAKE_FIND_ROOT_PATH)
if(NOT LUMOX_STB_INCLUDE_DIR)
    message(FATAL_ERROR "stb_image.h is missing from /usr/include/stb: run tools/bootstrap "
                        "(package libstb-dev).")
endif()
add_library(lumox_picture_decoder STATIC
    ${CMAKE_CURRENT_LIST_DIR}/picture_decoder.h ${CMAKE_CURRENT_LIST_DIR}/picture_decoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_dither.h ${CMAKE_CURRENT_LIST_DIR}/picture_dither.cpp)
set_target_properties(lumox_picture_decoder PROPERTIES AUTOMOC OFF)
target_include_directories(lumox_picture_decoder PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_include_directories(lumox_picture_decoder SYSTEM PRIVATE ${LUMOX_STB_INCLUDE_DIR})
# The stb_image of Debian 12 can shift a 32-bit value by more than 31 bits when the
# entropy-coded data of a JPEG is damaged (its bit count runs below zero; later stb_image
# releases check for that). On x86 that only garbles the bits of a picture that is damaged
# anyway, and nothing outside the picture is read or written; the fuzz build, which stops at
# the first finding, leaves that one check out here so that it goes on looking for others.
if(LUMOX_FUZZ)
    target_compile_options(lumox_picture_decoder PRIVATE -fno-sanitize=shift-exponent)
endif()
