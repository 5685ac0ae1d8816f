# Arbitrary request records through the browser dispatcher, with and without
# a tree of the dispatcher tests' objects; seeds in corpus/dispatch/ (see
# tests/fuzz/DispatchSeedsTest.cpp).
# The dispatcher, the model, the trap state and the class utilities are
# static libraries that use each other: the linker rescans them as a group.
webagent_add_fuzzer(fuzz_dispatch
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/dispatch/FuzzDispatch.cpp
  LIBS "$<LINK_GROUP:RESCAN,webagent_classutil,webagent_dispatch,webagent_model,webagent_trap,webagent_agent_window>"
    webagent_win32)
target_include_directories(fuzz_dispatch PRIVATE ${PROJECT_SOURCE_DIR}/tests)
