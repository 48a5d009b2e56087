# The program's version, written once: project(VERSION) in the top CMakeLists.txt. Every
# other place that names it is generated from there when the build is configured, into
# LUMOX_GENERATED_DIR:
#   identity.h              the program's identity (LUMOX_PROGRAM_TITLE and the rest of
#                           the top CMakeLists.txt) and the version record's numbers and
#                           texts, for C++ and the resource script
#   lumox2k.manifest        the Windows program's manifest
#   windows-readme.txt      the read-me of the Windows zip
#   windows-zip-name.txt    the zip's file name, read by make windows
#   com.example.Lumox2000.metainfo.xml   the software-centre entry
#
# The version as the program shows it is the major number, the minor one in two digits and
# the fourth one in four: 2.1.0.37 is shown "2.01.0037". The third number is not shown.
set(LUMOX_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)

function(lumox_zero_padded out value width)
    string(LENGTH "${value}" _length)
    set(_zeros "")
    if(_length LESS width)
        math(EXPR _missing "${width} - ${_length}")
        string(REPEAT "0" ${_missing} _zeros)
    endif()
    set(${out} "${_zeros}${value}" PARENT_SCOPE)
endfunction()

foreach(_part MAJOR MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${_part}}" STREQUAL "")
        set(PROJECT_VERSION_${_part} 0)
    endif()
endforeach()
lumox_zero_padded(_minor ${PROJECT_VERSION_MINOR} 2)
lumox_zero_padded(_tweak ${PROJECT_VERSION_TWEAK} 4)
set(LUMOX_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${_minor}.${_tweak}")
set(LUMOX_VERSION_NUMERIC
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")

configure_file(${PROJECT_SOURCE_DIR}/app/identity.h.in
               ${LUMOX_GENERATED_DIR}/identity.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/win32/lumox2k.manifest.in
               ${LUMOX_GENERATED_DIR}/lumox2k.manifest @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/docs/windows-readme.txt.in
               ${LUMOX_GENERATED_DIR}/windows-readme.txt @ONLY)
file(CONFIGURE OUTPUT ${LUMOX_GENERATED_DIR}/windows-zip-name.txt
     CONTENT "${PROJECT_NAME}-${LUMOX_VERSION_TEXT}-windows.zip\n")
configure_file(${PROJECT_SOURCE_DIR}/resources/com.example.Lumox2000.metainfo.xml.in
               ${LUMOX_GENERATED_DIR}/com.example.Lumox2000.metainfo.xml @ONLY)

# The generated header, for whatever includes it: the code and the resource script.
add_library(lumox_identity INTERFACE)
target_include_directories(lumox_identity INTERFACE ${LUMOX_GENERATED_DIR})
