# Form controls and lists on a page of the simulated browser: the properties
# the tool reads of every control, and selection replay on a long list.
webagent_add_benchmark(bench_controls
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ControlsBench.cpp
  LIBS webagent_controls webagent_elements webagent_model webagent_browser_shell)
