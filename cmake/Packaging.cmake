# A Debian package of the installed program: `cd build && cpack -G DEB` writes
# orvanta_<version>-1_<arch>.deb. Its Depends are worked out by dpkg-shlibdeps (package
# dpkg-dev) from the libraries the executable links, so they name the packages of the
# system it was built on (Debian 12: libqt6widgets6, libsqlite3-0, libpq5, …).
set(CPACK_PACKAGE_NAME orvanta)
set(CPACK_PACKAGE_VENDOR "Orvanta")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "client records, documents and events for a small office")
# Lines of the package's long description, kept under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Orvanta keeps a small office's clients, each client's documents (stored"
    "inside the database, with versions), a shared library of reference documents"
    "and a log of client events, behind a login with user levels. Its data is kept"
    "in one SQLite file or in one PostgreSQL database.")
set(CPACK_PACKAGE_CONTACT "Orvanta developers <developers@orvanta.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")

include(CPack)
