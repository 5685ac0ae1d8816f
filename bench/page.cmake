# Parsing generated pages with the simulated browser's DOM, laying them out,
# and the frame's element-count signature on them.
find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_PAGE_GUMBO REQUIRED IMPORTED_TARGET gumbo)
webagent_add_benchmark(bench_page
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/PageBench.cpp
  LIBS webagent_model webagent_browser_shell PkgConfig::BENCH_PAGE_GUMBO)
