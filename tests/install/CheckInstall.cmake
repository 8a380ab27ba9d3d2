# cmake -DBUILD_DIR=... -DPREFIX=... -P CheckInstall.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

include(GNUInstallDirs)
set(expected
  ${CMAKE_INSTALL_BINDIR}/kslogviewer
  ${CMAKE_INSTALL_BINDIR}/kslog
  ${CMAKE_INSTALL_MANDIR}/man1/kslog.1
  ${CMAKE_INSTALL_MANDIR}/man1/kslogviewer.1
  ${CMAKE_INSTALL_DATADIR}/kslogviewer/fblvlog.descr
  ${CMAKE_INSTALL_DATADIR}/applications/kslogviewer.desktop
  ${CMAKE_INSTALL_DATADIR}/mime/packages/kslogviewer.xml
  ${CMAKE_INSTALL_DATADIR}/metainfo/com.kestrelon.kslogviewer.metainfo.xml
  ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps/kslogviewer.svg)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND expected ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps/kslogviewer.png)
endforeach()
foreach(path IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "missing from the installed tree: ${path}")
  endif()
endforeach()

# The program finds its catalogue at ../share/kslogviewer relative to itself.
file(RELATIVE_PATH fromProgram ${PREFIX}/${CMAKE_INSTALL_BINDIR} ${PREFIX}/${CMAKE_INSTALL_DATADIR}/kslogviewer/fblvlog.descr)
if(NOT fromProgram STREQUAL "../share/kslogviewer/fblvlog.descr")
  message(FATAL_ERROR "the catalogue is not where the program looks: ${fromProgram}")
endif()

file(READ ${PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/kslogviewer.desktop desktop)
# Each line as it begins; the MIME types make "Open with" offer the program for the servers' logs
# (the type the installed MIME package gives them) and for other .log files, not for all text.
foreach(line "Type=Application\n" "Exec=kslogviewer %f\n" "Icon=kslogviewer\n" "MimeType=text/x-firebird-log;text/x-log;\n")
  string(FIND "${desktop}" "\n${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "kslogviewer.desktop lacks the line: ${line}")
  endif()
endforeach()

file(READ ${PREFIX}/${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps/kslogviewer.png header LIMIT 8 HEX)
if(NOT header STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "the 48x48 icon is not a PNG image")
endif()
message(STATUS "installed tree complete")
