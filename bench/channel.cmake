# Request round trips through the agent window, from the tool's thread and
# from the agent's own thread.
webagent_add_benchmark(bench_channel
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChannelBench.cpp
  LIBS webagent_cli webagent_agent_window webagent_dispatch)
