# The Windows program: its icon in the executable, for Explorer, the taskbar and shortcuts, and
# on install the Qt libraries and plugins it needs copied beside it (windeployqt, run by the
# script Qt generates; Qt 6.3 and later).
set(KESTRELON_WINDOWS_ICON ${CMAKE_CURRENT_LIST_DIR}/windows/kslogviewer.ico)
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/ProgramIcon.rc.in ${CMAKE_BINARY_DIR}/packaging/ProgramIcon.rc @ONLY)
target_sources(kslogviewer PRIVATE ${CMAKE_BINARY_DIR}/packaging/ProgramIcon.rc)

# A cross build or a static Qt has nothing to deploy; Qt's script says so instead of failing.
qt_generate_deploy_app_script(TARGET kslogviewer FILENAME_VARIABLE kestrelonDeployScript
                              NO_UNSUPPORTED_PLATFORM_ERROR)
install(SCRIPT ${kestrelonDeployScript})
