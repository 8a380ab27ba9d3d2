# The Windows program's icon in the executable, for Explorer, the taskbar and shortcuts.
set(KESTRELON_WINDOWS_ICON ${CMAKE_CURRENT_LIST_DIR}/windows/kslogviewer.ico)
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/ProgramIcon.rc.in ${CMAKE_BINARY_DIR}/packaging/ProgramIcon.rc @ONLY)
target_sources(kslogviewer PRIVATE ${CMAKE_BINARY_DIR}/packaging/ProgramIcon.rc)
