# The HTML parser, serialiser and plain-text encoder against arbitrary bytes;
# seeds in corpus/html/.
webagent_add_fuzzer(fuzz_html
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/html/FuzzHtml.cpp
  LIBS webagent_browser_dom)
