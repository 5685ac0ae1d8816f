# The simulated browser under load: many inner frames, deep nesting, long typing.
if(TARGET webagent_browser_shell)
  webagent_add_benchmark(bench_browser
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/BrowserBench.cpp
    LIBS webagent_browser_shell)
endif()
