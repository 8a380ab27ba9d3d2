# cmake -DDRAW=kslog-icons -DPACKAGING=... -DSCRATCH=... -P ComparePlatformIcons.cmake
# The .ico and .icns files are kept in the sources for builds that cannot draw them; they must be
# what the drawing gives now.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
set(ENV{QT_QPA_PLATFORM} offscreen)
foreach(kind ico icns)
  if(kind STREQUAL "ico")
    set(kept ${PACKAGING}/windows/kslogviewer.ico)
  else()
    set(kept ${PACKAGING}/macos/kslogviewer.icns)
  endif()
  execute_process(COMMAND ${DRAW} --${kind} ${SCRATCH}/kslogviewer.${kind} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "kslog-icons --${kind} failed: ${result}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${kept} ${SCRATCH}/kslogviewer.${kind}
                  RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${kept} is not what the drawing gives now; write it again with\n"
                        "  build/bin/kslog-icons --${kind} ${kept}")
  endif()
endforeach()
message(STATUS "the kept icon files are the drawing's")
