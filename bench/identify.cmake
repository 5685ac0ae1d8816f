# Identification on generated pages of test objects: warm lookups of
# generated descriptions through the dispatcher, rebuilding the frame's maps,
# their memory, the general search and runaway patterns.
webagent_add_benchmark(bench_identify
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/IdentifyBench.cpp
  LIBS webagent_identify webagent_dispatch webagent_regexp
    webagent_trap)
add_dependencies(bench_identify webagent_rexp)
