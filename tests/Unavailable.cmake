# cmake -DREASON=... -P Unavailable.cmake: a test that cannot run fails and says why.
message(FATAL_ERROR "${REASON}")
