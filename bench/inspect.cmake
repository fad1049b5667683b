# Opening details windows over long value ranges, and sorting a large grid, each against a floor
# measured in the same run.
veskor_add_bench(NAME bench_inspect SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_inspect.cpp
  LIBS Veskor::inspect Veskor::simulator Veskor::testsupport Qt6::Widgets)
