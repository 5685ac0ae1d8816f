# The checkpoint writers: a table grid written through the class utilities.
webagent_add_benchmark(bench_checkpoint
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CheckpointBench.cpp
  LIBS webagent_classutil)
