# Parsing generated pages and laying them out with the layout engine.
find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_GUMBO REQUIRED IMPORTED_TARGET gumbo)
webagent_add_benchmark(bench_layout
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LayoutBench.cpp
  LIBS webagent_browser_layout PkgConfig::BENCH_GUMBO)
