# Counted test objects created, read and dropped through handles.
webagent_add_benchmark(bench_handle
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HandleBench.cpp
  LIBS webagent_model)
