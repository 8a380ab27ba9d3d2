# cmake -DGENERATOR=fblog-generate -DSCRATCH=... -P GeneratorCommandLine.cmake
# --help prints the usage on standard output and succeeds; a wrong argument prints it on standard
# error and fails; a good command line writes the log it was asked for.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})

function(expect_answer expectedResult expectedOut expectedErr)
  execute_process(COMMAND ${GENERATOR} ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result STREQUAL expectedResult OR NOT out MATCHES "${expectedOut}" OR NOT err MATCHES "${expectedErr}")
    message(FATAL_ERROR "fblog-generate ${ARGN}: exit ${result} (expected ${expectedResult})\n"
                        "standard output:\n${out}\nstandard error:\n${err}")
  endif()
endfunction()

expect_answer(0 "^usage: fblog-generate .*-o FILE\n.*--help +print this" "^$" --help)
expect_answer(0 "^usage: fblog-generate " "^$" -h)
expect_answer(0 "^usage: fblog-generate " "^$" --entries 5 --help)
expect_answer(2 "^$" "bad argument --bogus\nusage: fblog-generate " --bogus)
expect_answer(2 "^$" "^usage: fblog-generate " --entries 5)
expect_answer(0 "small.log: [0-9]+ bytes, 5 entries" "^$" --entries 5 --clean -o ${SCRATCH}/small.log)
if(NOT EXISTS ${SCRATCH}/small.log)
  message(FATAL_ERROR "fblog-generate said it wrote small.log, but there is none")
endif()
message(STATUS "the generator answers its command line")
