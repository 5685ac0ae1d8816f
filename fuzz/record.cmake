# The record decoder against arbitrary bytes; seeds in corpus/record/ are
# written by the record's tests (see tests/agent/channel/RecordSeedsTest.cpp).
webagent_add_fuzzer(fuzz_record
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/record/FuzzRecord.cpp
  LIBS webagent_channel_record)
