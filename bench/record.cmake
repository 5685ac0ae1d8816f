# Encoding and decoding records beside a copy of the same bytes.
webagent_add_benchmark(bench_record
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RecordBench.cpp
  LIBS webagent_channel_record)
