# Start-up catalogue scan and library list fill, against a bare loop of the same platform calls.
veskor_add_bench(NAME bench_catalogue SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_catalogue.cpp
  LIBS Veskor::catalogue Veskor::simulator Qt6::Widgets)
