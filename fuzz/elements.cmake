# Requests of every message identifier against the whole agent on real pages
# of the simulated browser, addressed to live, removed and navigated-away
# elements; seeds in corpus/elements/.
webagent_add_fuzzer(fuzz_elements
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/elements/FuzzElements.cpp
  LIBS webagent_site_session webagent_win32)
target_include_directories(fuzz_elements PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(fuzz_elements PRIVATE WEBAGENT_MODULE_DIR="${WEBAGENT_MODULE_DIR}")
# Class matching loads the tool's expression library at run time.
add_dependencies(fuzz_elements webagent_rexp)
