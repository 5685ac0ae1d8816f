# The chrome (XUL) parser against arbitrary bytes; seeds in corpus/xul/.
webagent_add_fuzzer(fuzz_xul
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/xul/FuzzXul.cpp
  LIBS webagent_browser_dom)
