# Element objects on generated pages: collecting every element object of a
# frame, reading properties of one element, and the object for one node by
# its identifier.
webagent_add_benchmark(bench_elements
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ElementsBench.cpp
  LIBS webagent_elements webagent_trap webagent_model webagent_browser_shell)
