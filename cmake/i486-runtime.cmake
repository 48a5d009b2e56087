# lumox_link_i486_runtime(TARGET): links TARGET, a 32-bit Windows program, with the
# MinGW-w64 runtime rebuilt for the i486 (tools/i486-runtime puts it into
# build/i486-runtime; make windows runs it first): its start-up code and C runtime come
# before Debian's, which need a Pentium Pro. Without the rebuild it warns and links
# Debian's. Does nothing for 64-bit programs.
function(lumox_link_i486_runtime target)
    if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
        return()
    endif()
    set(_folder ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../build/i486-runtime)
    cmake_path(NORMAL_PATH _folder)
    set(_files crt2.o libmingw32.a libmingwex.a libmsvcrt.a)
    list(TRANSFORM _files PREPEND ${_folder}/)
    foreach(_file IN LISTS _files)
        if(NOT EXISTS ${_file})
            message(WARNING "${_file} is missing (tools/i486-runtime makes it): ${target} "
                            "links Debian's runtime, which needs a Pentium Pro.")
            return()
        endif()
    endforeach()
    target_link_options(${target} PRIVATE -B${_folder} -L${_folder})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${_files})
endfunction()
