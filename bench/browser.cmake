# The simulated browser under load: many inner frames, deep nesting, long typing.
webagent_add_benchmark(bench_browser
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/BrowserBench.cpp
  LIBS webagent_browser_shell)
