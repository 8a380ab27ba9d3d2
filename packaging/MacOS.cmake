# The macOS program: an application bundle with its Info.plist and icon, and the catalogue inside
# it where the program looks (Contents/MacOS/../share/kslogviewer).
set(icon ${CMAKE_CURRENT_LIST_DIR}/macos/kslogviewer.icns)
# Source file properties belong to the folder of the target that uses them: app/.
set_source_files_properties(${icon} TARGET_DIRECTORY kslogviewer PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
set_source_files_properties(${KESTRELON_CATALOGUE} TARGET_DIRECTORY kslogviewer
                            PROPERTIES MACOSX_PACKAGE_LOCATION share/kslogviewer)
target_sources(kslogviewer PRIVATE ${icon} ${KESTRELON_CATALOGUE})
set_target_properties(kslogviewer PROPERTIES
  MACOSX_BUNDLE ON
  MACOSX_BUNDLE_INFO_PLIST ${CMAKE_CURRENT_LIST_DIR}/macos/Info.plist.in
  MACOSX_BUNDLE_BUNDLE_NAME "Kestrelon Log Viewer"
  MACOSX_BUNDLE_GUI_IDENTIFIER com.kestrelon.kslogviewer
  MACOSX_BUNDLE_ICON_FILE kslogviewer.icns
  MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
  MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}
  MACOSX_BUNDLE_COPYRIGHT "${KESTRELON_LEGAL_COPYRIGHT}")

