# The console's script lines and its JSON form of records against arbitrary
# input; seeds in corpus/console/.
webagent_add_fuzzer(fuzz_console
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/console/FuzzConsole.cpp
  LIBS webagent_cli)
