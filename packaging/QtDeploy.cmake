# On install, the Qt libraries and plugins the window needs are copied beside it on Windows
# (windeployqt) and into the bundle on macOS (macdeployqt), by the script Qt generates (Qt 6.3 and
# later). Qt's script runs after the programs are installed, so this comes after their rule. A
# cross build or a static Qt has nothing to deploy; the script says so instead of failing.
qt_generate_deploy_app_script(TARGET kslogviewer FILENAME_VARIABLE kestrelonDeployScript
                              NO_UNSUPPORTED_PLATFORM_ERROR)
install(SCRIPT ${kestrelonDeployScript})
