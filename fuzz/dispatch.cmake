# Arbitrary request records through the browser dispatcher, with and without
# a tree of the dispatcher tests' objects; seeds in corpus/dispatch/ (see
# tests/fuzz/DispatchSeedsTest.cpp).
webagent_add_fuzzer(fuzz_dispatch
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/dispatch/FuzzDispatch.cpp
  LIBS webagent_dispatch webagent_trap webagent_win32)
target_include_directories(fuzz_dispatch PRIVATE ${PROJECT_SOURCE_DIR}/tests)
