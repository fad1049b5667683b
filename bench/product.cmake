# Product selection against a floor of the same platform calls and widget fills.
veskor_add_bench(NAME bench_product SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_product.cpp LIBS Veskor::product Veskor::simulator Veskor::testsupport)
