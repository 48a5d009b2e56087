# Desktop integration and the Debian package.
#
# `cmake --install` puts the program, its desktop entry, its icons (app/CMakeLists.txt) and its
# software-centre entry (below) under the prefix. `cpack -G DEB` in the build folder, or
# `make package` at the top of the source tree, turns exactly that installation into
# lumox2000_<version>_<arch>.deb; the tests, the benchmarks and the libraries of the build
# have no install rules and so stay out of it (tests/packaging checks the package's contents).
#
# The package's Depends line is not written here: dpkg-shlibdeps computes it from the
# libraries the installed program is linked against (Qt 6, SQLite, the C and C++ run-time),
# so it follows the build machine's versions. The Qt platform and picture-format plugins the
# program loads at run time are part of libqt6gui6, which that line names.

install(FILES ${LUMOX_GENERATED_DIR}/com.example.Lumox2000.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumox2000)
set(CPACK_PACKAGE_VENDOR "${LUMOX_COMPANY}")
# The package version is the numeric version record with all four numbers; left alone, CPack
# would take only the first three.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Lumox Software <support@example.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.example.com/lumox2000/")
# The first line of the package description; the lines below follow it.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "connection tuner for the MTU and the TCP receive window")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Lumox 2000 speeds up a dial-up or broadband connection by tuning two values of the "
    "TCP/IP stack: the MTU, the largest packet the connection sends, and RWIN, the TCP "
    "receive window. It proposes the RWIN that matches the MTU your provider uses, stores "
    "both values, and deletes them again on request.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Lumox Software <packages@example.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without the Windows fonts the program draws its pages in Liberation Sans, and a banner
# click opens the sponsor's page through the desktop's URL handler (xdg-open).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, xdg-utils")

# The build is RelWithDebInfo; the package carries the program without its debugging data.
set(CPACK_STRIP_FILES ON)
# Directories in the package get the usual mode whatever the umask of the packager.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# `make package_source` packs the source tree alone.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/[.]git/" "/build/" "__pycache__/")

include(CPack)
