# cmake -DSOURCES=... -DRE2_HEADERS=... -DICU_HEADERS=... -DCLI11_HEADERS=... -DGENERATED=... -DRESOURCES=a.rc;b.rc
#       -DWORK=... -P CrossCompile.cmake
# Builds log/ and cli/ for Windows (project/CMakeLists.txt). Compiling must succeed; linking
# kslog.exe must fail for RE2 and ICU alone, which Debian has no MinGW builds of: any other
# undefined symbol is a POSIX function that Windows lacks.
cmake_minimum_required(VERSION 3.25)
set(headers ${WORK}/headers)
file(MAKE_DIRECTORY ${headers})
file(CREATE_LINK ${RE2_HEADERS}/re2 ${headers}/re2 SYMBOLIC)
file(CREATE_LINK ${CLI11_HEADERS}/CLI ${headers}/CLI SYMBOLIC)
file(CREATE_LINK ${ICU_HEADERS}/unicode ${headers}/unicode SYMBOLIC)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(result ${result} PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
  if(NOT result EQUAL 0 AND NOT what STREQUAL "link")
    message(FATAL_ERROR "${what} for Windows failed:\n${output}")
  endif()
endfunction()

get_filename_component(here ${CMAKE_CURRENT_LIST_FILE} DIRECTORY)
run(configure ${CMAKE_COMMAND} -S ${here}/project -B ${WORK}/build
    -DCMAKE_TOOLCHAIN_FILE=${here}/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release
    -DKESTRELON_SOURCES=${SOURCES} -DKESTRELON_HEADERS=${headers} -DKESTRELON_GENERATED=${GENERATED}
    "-DKESTRELON_RESOURCES=${RESOURCES}")
run(compile ${CMAKE_COMMAND} --build ${WORK}/build --target engine_objects program_resources --parallel 2)
message(STATUS "compiled for Windows:\n${output}")

run(link ${CMAKE_COMMAND} --build ${WORK}/build --target kslog)
string(REGEX MATCHALL "undefined reference to `[^']*'" undefined "${output}")
list(REMOVE_DUPLICATES undefined)
list(FILTER undefined EXCLUDE REGEX "`re2::")
# ICU's C functions carry its version (ucnv_open_72), its classes a versioned namespace.
list(FILTER undefined EXCLUDE REGEX "`([uU][A-Za-z0-9]*_[A-Za-z0-9_]+_[0-9]+|icu_[0-9]+::)")
if(undefined)
  list(JOIN undefined "\n  " missing)
  message(FATAL_ERROR "Windows lacks what these need (POSIX-only code in log/ or cli/?):\n  ${missing}")
endif()
if(NOT result EQUAL 0 AND NOT output MATCHES "undefined reference to `(re2::|[uU][A-Za-z0-9]*_[A-Za-z0-9_]+_[0-9]+)")
  message(FATAL_ERROR "linking kslog.exe failed for another reason than RE2 and ICU:\n${output}")
endif()
message(STATUS "log/ and cli/ build for Windows; only RE2 and ICU are left for the link")
