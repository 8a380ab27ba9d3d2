# `cpack` in the build folder packs what `cmake --install` puts in place: a Debian package on
# Linux (`cpack -G DEB`), a ZIP folder on Windows, a disk image on macOS.
set(CPACK_PACKAGE_NAME kslogviewer)
set(CPACK_PACKAGE_VENDOR Kestrelon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer of Firebird and InterBase server logs")
set(CPACK_PACKAGE_DESCRIPTION
  "Kestrelon Log Viewer shows the diagnostic log of Firebird and InterBase database servers
(firebird.log, interbase.log) as a sortable list of its entries, counts them per day, filters
them by date, kind and severity, and explains each entry from a catalogue of known server
messages. It follows a live log as the server appends to it. kslog, the command line, reads the
same logs for a terminal, a script or a log shipper.")
set(CPACK_PACKAGE_HOMEPAGE_URL https://www.kestrelon.com/logviewer)
set(CPACK_PACKAGE_CONTACT "Kestrelon <logviewer@kestrelon.com>")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
elseif(APPLE)
  set(CPACK_GENERATOR DragNDrop)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # The libraries the programs link (Qt, RE2, the C++ runtime) as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Qt loads its platform plugin at run time, so no link names the package that holds it, and
  # Debian only recommends it: without it the window cannot open.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
include(CPack)
