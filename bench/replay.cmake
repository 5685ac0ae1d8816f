# Replaying user actions on generated pages: scrolling an element into view
# and a replayed click, through the element's named methods.
webagent_add_benchmark(bench_replay
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ReplayBench.cpp
  LIBS webagent_elements webagent_model webagent_trap webagent_browser_shell)
