# Recording a click on a button of a generated page, with recording on and off.
webagent_add_benchmark(bench_recording
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RecordingBench.cpp
  LIBS webagent_trap webagent_record webagent_browser_shell)
