# Saving a 1 MB image through the browser's channels (file: and loopback
# http:) and through the fallback, beside copying the file.
webagent_add_benchmark(bench_image_saving
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageSavingBench.cpp
  LIBS webagent_dispatch webagent_browser_shell)
