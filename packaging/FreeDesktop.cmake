# What a Linux desktop needs to offer the viewer for server logs: the desktop entry, a MIME type
# of the servers' logs, the software centre's description and the icons (drawn by the build,
# tools/make_icons.cpp, as PNG images of every size and one SVG).
set(KESTRELON_APP_ID com.kestrelon.kslogviewer)
install(FILES ${PROJECT_SOURCE_DIR}/data/kslogviewer.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/kslogviewer-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME kslogviewer.xml)
install(FILES ${PROJECT_SOURCE_DIR}/data/${KESTRELON_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
